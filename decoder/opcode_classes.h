#pragma once
// Opcode classes: the class of every first opcode byte and of every byte
// after the 0Fh escape, as the record's opcodeClass and subClass hold them,
// and what the opcodes of each class have in common (its description and bit
// fields). The operand forms are built by class, vexa-decode names the class
// and the workbench chooses its bit-field labels by it.
#include <array>
#include <cstdint>

namespace vexa {

namespace OpcodeClass {
enum : uint8_t {
    Prefix = 0, Imm8 = 1, RegRm = 2, RegMemFixed = 3, MovRmImm = 4, PortImm8 = 5, SegmentPushPop = 6,
    ReturnImm16 = 7, Group1 = 8, ShiftOrGroup3 = 9, StringOrPortDx = 10, AccumulatorImm = 11, PopOrGroup45 = 12,
    ShortConditionalJump = 13, LoopOrShortJump = 14, NearCallJmp = 15, FarCallJmp = 16, ShiftImm8 = 17, Enter = 18,
    MovRegImm = 19, MovAccumulatorOffset = 20, MovSegment = 21, PushImm = 22, ImulImm = 23, TwoByteEscape = 24,
    FpuEscape = 25, RegisterInOpcode = 26, NoOperands = 27, TestXchg = 28,
    Invalid = 99,
};
constexpr uint8_t kCount = 29;  // 0 to 28
}  // namespace OpcodeClass

namespace TwoByteClass {
enum : uint8_t {
    Bswap = 0, BitTestImm = 1, MovControlDebug = 2, SegmentPushPop = 3, ShiftDoubleImm = 4, WidthInBit0 = 5,
    NoOperands = 6, Cmov = 7, NearConditionalJump = 8, Setcc = 9, SystemGroup = 10, RegRmByMnemonic = 11,
    Mmx = 12, SseScalar = 13,
    Invalid = 99,  // an unassigned byte
};
constexpr uint8_t kCount = 14;  // 0 to 13
}  // namespace TwoByteClass

// A named bit field of the opcode byte that carries it: the first opcode
// byte, or for a two-byte opcode the byte after 0Fh.
namespace OpcodeFieldKind {
enum : uint8_t {
    None = 0,
    Width,             // w: 8-bit or full-size operands
    Direction,         // d: which operand is the destination
    SignExtend,        // s: an imm8 sign-extended to the operand size
    Condition,         // tttn: the condition of jcc, setcc, cmovcc
    Register,          // reg: a general register in bits 0-2
    SegmentRegister,   // sr: es, cs, ss, ds in bits 3-4
    SegmentRegister3,  // sr3: a segment register in bits 3-5
};
constexpr unsigned kCount = 8;
}  // namespace OpcodeFieldKind

// The field's letters from its highest bit down ("tttn"); one letter per bit.
inline constexpr const char* kOpcodeFieldLetters[OpcodeFieldKind::kCount] = {"",     "w",   "d",  "s",
                                                                             "tttn", "reg", "sr", "sr3"};

struct OpcodeBitField {
    uint8_t kind;    // OpcodeFieldKind
    uint8_t lowBit;  // the field's lowest bit in its byte
};

// What the opcodes of a class have in common: the words vexa-decode names the
// class with, and the bit fields the workbench labels over the code bits.
struct ClassDescription {
    const char* text;
    OpcodeBitField fields[2];
};

namespace class_description_rows {
using namespace OpcodeFieldKind;
constexpr OpcodeBitField kW{Width, 0};
constexpr OpcodeBitField kD{Direction, 1};
constexpr OpcodeBitField kS{SignExtend, 1};
constexpr OpcodeBitField kTttn{Condition, 0};
constexpr OpcodeBitField kReg{Register, 0};

// By OpcodeClass; 0Fh's fields are those of the second byte's class.
inline constexpr std::array<ClassDescription, OpcodeClass::kCount> kOneByteClassDescriptions{{
    /*  0 */ {"prefix", {}},
    /*  1 */ {"imm8", {}},
    /*  2 */ {"r/m and reg, d and w bits", {kW, kD}},
    /*  3 */ {"reg and memory of a fixed size", {}},
    /*  4 */ {"r/m, imm (reg field 0)", {kW}},
    /*  5 */ {"accumulator and port imm8", {kW}},
    /*  6 */ {"segment register in opcode bits 3-4", {{SegmentRegister, 3}}},
    /*  7 */ {"imm16 constant", {}},
    /*  8 */ {"group 1: r/m, imm", {kW, kS}},
    /*  9 */ {"shift group by 1 or cl; group 3", {kW}},
    /* 10 */ {"string instructions; in/out with dx", {kW}},
    /* 11 */ {"accumulator, imm", {kW}},
    /* 12 */ {"pop r/m; groups 4 and 5", {}},
    /* 13 */ {"short conditional jump", {kTttn}},
    /* 14 */ {"loops, jcxz, short jmp", {}},
    /* 15 */ {"near call/jmp", {}},
    /* 16 */ {"far call/jmp with pointer", {}},
    /* 17 */ {"shift group by imm8", {kW}},
    /* 18 */ {"enter imm16, imm8", {}},
    /* 19 */ {"mov register, imm (register in bits 0-2, w in bit 3)", {kReg, {Width, 3}}},
    /* 20 */ {"mov accumulator and memory offset", {kW, kD}},
    /* 21 */ {"mov with segment register", {kD}},
    /* 22 */ {"push imm", {kS}},
    /* 23 */ {"imul reg, r/m, imm", {kS}},
    /* 24 */ {"two-byte escape", {}},
    /* 25 */ {"x87 escape", {}},
    /* 26 */ {"register in bits 0-2", {kReg}},
    /* 27 */ {"no operands", {}},
    /* 28 */ {"test/xchg r/m with reg", {kW}},
}};

// By TwoByteClass.
inline constexpr std::array<ClassDescription, TwoByteClass::kCount> kTwoByteClassDescriptions{{
    /*  0 */ {"bswap, register in bits 0-2", {kReg}},
    /*  1 */ {"group 8: bt/bts/btr/btc r/m, imm8", {}},
    /*  2 */ {"mov with a control or debug register", {kD}},
    /*  3 */ {"push/pop fs, gs, segment register in bits 3-5", {{SegmentRegister3, 3}}},
    /*  4 */ {"shld/shrd r/m, reg, imm8", {}},
    /*  5 */ {"w in bit 0: cmpxchg, xadd, movzx, movsx", {kW}},
    /*  6 */ {"no operands", {}},
    /*  7 */ {"cmovcc reg, r/m", {kTttn}},
    /*  8 */ {"near conditional jump", {kTttn}},
    /*  9 */ {"setcc r/m8 (reg field 0)", {kTttn}},
    /* 10 */ {"groups 6 and 7, cmpxchg8b", {}},
    /* 11 */ {"reg and r/m, by mnemonic", {}},
    /* 12 */ {"MMX", {}},
    /* 13 */ {"scalar SSE (with F3)", {}},
}};
}  // namespace class_description_rows

using class_description_rows::kOneByteClassDescriptions;
using class_description_rows::kTwoByteClassDescriptions;

inline constexpr ClassDescription kUnassignedTwoByteDescription{"not assigned", {}};
inline constexpr ClassDescription kNoClassDescription{"", {}};

// The description of a one-byte class, or of a two-byte class (subClass, 99
// included); the empty one for any other value.
constexpr const ClassDescription& OneByteClassDescription(uint8_t opcodeClass) {
    return opcodeClass < OpcodeClass::kCount ? kOneByteClassDescriptions[opcodeClass] : kNoClassDescription;
}
constexpr const ClassDescription& TwoByteClassDescription(uint8_t subClass) {
    if (subClass == TwoByteClass::Invalid) return kUnassignedTwoByteDescription;
    return subClass < TwoByteClass::kCount ? kTwoByteClassDescriptions[subClass] : kNoClassDescription;
}

// The fields over an instruction's code bits: the two-byte class's for 0Fh.
constexpr const ClassDescription& FieldClassDescription(uint8_t opcodeClass, uint8_t subClass) {
    return opcodeClass == OpcodeClass::TwoByteEscape ? TwoByteClassDescription(subClass)
                                                     : OneByteClassDescription(opcodeClass);
}

// Row = high hex digit of the byte, column = low hex digit.

// Indexed by the first opcode byte.
inline constexpr uint8_t kOneByteClassTable[256] = {
     2,  2,  2,  2, 11, 11,  6,  6,  2,  2,  2,  2, 11, 11,  6, 24,  // 0x
     2,  2,  2,  2, 11, 11,  6,  6,  2,  2,  2,  2, 11, 11,  6,  6,  // 1x
     2,  2,  2,  2, 11, 11,  0, 27,  2,  2,  2,  2, 11, 11,  0, 27,  // 2x
     2,  2,  2,  2, 11, 11,  0, 27,  2,  2,  2,  2, 11, 11,  0, 27,  // 3x
    26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26,  // 4x
    26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26,  // 5x
    27, 27,  3,  3,  0,  0,  0,  0, 22, 23, 22, 23, 10, 10, 10, 10,  // 6x
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 7x
     8,  8,  8,  8, 28, 28, 28, 28,  2,  2,  2,  2, 21,  3, 21, 12,  // 8x
    27, 26, 26, 26, 26, 26, 26, 26, 27, 27, 16, 27, 27, 27, 27, 27,  // 9x
    20, 20, 20, 20, 10, 10, 10, 10, 11, 11, 10, 10, 10, 10, 10, 10,  // Ax
    19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19,  // Bx
    17, 17,  7, 27,  3,  3,  4,  4, 18, 27,  7, 27, 27,  1, 27, 27,  // Cx
     9,  9,  9,  9,  1,  1, 27, 27, 25, 25, 25, 25, 25, 25, 25, 25,  // Dx
    14, 14, 14, 14,  5,  5,  5,  5, 15, 15, 16, 14, 10, 10, 10, 10,  // Ex
     0, 27,  0,  0, 27, 27,  9,  9, 27, 27, 27, 27, 27, 27, 12, 12,  // Fx
};

// Indexed by the byte after 0Fh.
inline constexpr uint8_t kTwoByteClassTable[256] = {
    10, 10, 11, 11, 99, 99,  6, 99,  6,  6, 99,  6, 99, 99, 99, 99,  // 0x
    13, 13, 13, 13, 13, 13, 13, 13, 13, 99, 99, 99, 99, 99, 99, 99,  // 1x
     2,  2,  2,  2, 99, 99, 99, 99, 13, 13, 13, 13, 13, 13, 13, 13,  // 2x
     6,  6,  6,  6, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // 3x
     7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  // 4x
    13, 13, 13, 13, 99, 13, 13, 13, 13, 13, 99, 99, 13, 13, 13, 13,  // 5x
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 99, 12, 12, 12,  // 6x
    13, 12, 12, 12, 12, 12, 12, 12, 99, 99, 99, 99, 99, 99, 12, 12,  // 7x
     8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  // 8x
     9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  // 9x
     3,  3,  6, 11,  4, 11, 99, 99,  3,  3,  6, 11,  4, 11, 13, 11,  // Ax
     5,  5, 11, 11, 11, 11,  5,  5,  3,  3,  1, 11, 11, 11,  5,  5,  // Bx
     5,  5, 13, 99, 13, 13, 13, 10,  0,  0,  0,  0,  0,  0,  0,  0,  // Cx
    12, 12, 12, 12, 99, 12, 99, 13, 12, 12, 13, 12, 12, 12, 13, 12,  // Dx
    13, 12, 12, 12, 13, 12, 99, 13, 12, 12, 13, 12, 12, 12, 12, 12,  // Ex
    12, 12, 12, 12, 99, 12, 13, 13, 12, 12, 12, 12, 12, 12, 12, 12,  // Fx
};


}  // namespace vexa
