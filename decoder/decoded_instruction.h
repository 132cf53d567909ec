#pragma once
// The decoded instruction record: the single result of decoding one x86
// instruction, written by the decoder and read by the formatter and composer.
#include <cstdint>

namespace vexa {

// Decoding mode: nonzero means 32-bit default operand and address size.
// Only the workbench writes it; the decoder reads it once per decode.
extern uint8_t mode32;

namespace OperandKind {
enum : uint8_t { Register = 0, Memory = 1, Immediate = 2, Constant = 3, Relative = 4, FarPointer = 5 };
}

namespace RegisterClass {
enum : uint8_t { Gpr8 = 0, Gpr16 = 1, Gpr32 = 2, Fpu = 3, Mmx = 4, Control = 5, Debug = 6, Segment = 7, Xmm = 8 };
}

namespace MemorySize {
enum : uint8_t {
    None = 0, SixBytes = 3, Byte = 4, FourteenBytes = 5, Word = 6, TwentyEightBytes = 7,
    Dword = 8, Pointer48 = 9, Qword = 10, Tbyte = 11, Bytes108 = 12,
};
}

namespace SegmentOverride {
enum : uint8_t { None = 0, Es = 1, Cs = 2, Ss = 3, Ds = 4, Fs = 5, Gs = 6 };
}

// Bits of DecodedInstruction::prefixFlags.
namespace PrefixFlag {
enum : uint8_t {
    AddressSizeOverride = 0x01,
    OperandSizeOverride = 0x02,
    HasModRM = 0x04,
    HasSIB = 0x08,
    SegmentMask = 0x70,
    LockPrefix = 0x80,
};
constexpr int SegmentShift = 4;
}

// Bits of DecodedInstruction::repeatAndLength.
namespace RepeatFlag {
enum : uint8_t {
    RepeatKind = 0x01,    // low bit of the last F2h/F3h: 1 = rep, 0 = repne
    RepeatPrefix = 0x02,  // an F2h or F3h was seen
    LengthMask = 0x7C,
};
constexpr int LengthShift = 2;
}

// Bits of DecodedInstruction::decodeFlags.
namespace DecodeFlag {
enum : uint8_t { TwoByteOpcode = 0x01, Invalid = 0x08 };
}

// Register code: bits 0-2 number, bits 3-6 class, bit 7 "present" (base/index).
constexpr uint8_t kRegisterPresent = 0x80;
constexpr uint8_t MakeRegisterCode(uint8_t registerClass, uint8_t number) {
    return static_cast<uint8_t>((registerClass << 3) | (number & 7));
}
constexpr uint8_t RegisterNumber(uint8_t code) { return code & 7; }
constexpr uint8_t RegisterClassOf(uint8_t code) { return (code >> 3) & 0x0F; }

// Scale byte: bit 7 set = a factor is shown; low 4 bits = the factor.
constexpr uint8_t kScalePresent = 0x80;

struct OperandDescriptor {
    uint8_t kind;
    uint8_t memorySize;
    uint8_t reg;
    uint8_t base;
    uint8_t index;
    uint8_t scale;
    uint8_t dispSize;   // 0, 1, 2, 4; 4 or 6 for a FarPointer
    uint32_t disp;      // raw little-endian bytes of the instruction, dispSize of them
    uint16_t dispHigh;  // bytes 5 and 6 of a 6-byte far pointer (its selector)
    uint8_t immSize;    // 0, 1, 2, 4
    uint32_t imm;
};

struct DecodedInstruction {
    uint8_t prefixFlags;
    uint8_t repeatAndLength;
    uint8_t opcodeClass;
    uint8_t subClass;
    uint16_t mnemonic;
    uint8_t decodeFlags;
    uint8_t operandCount;
    OperandDescriptor operands[3];
};

// Effective operand and address size of one decode, computed once from the
// mode and the 66h/67h prefixes.
struct EffectiveSizes {
    bool operand32;
    bool address32;
};

constexpr EffectiveSizes ComputeEffectiveSizes(bool mode32Flag, uint8_t prefixFlags) {
    return EffectiveSizes{
        mode32Flag != ((prefixFlags & PrefixFlag::OperandSizeOverride) != 0),
        mode32Flag != ((prefixFlags & PrefixFlag::AddressSizeOverride) != 0),
    };
}

// Field accessors for the packed bytes.
inline unsigned InstructionLength(const DecodedInstruction& d) {
    return (d.repeatAndLength & RepeatFlag::LengthMask) >> RepeatFlag::LengthShift;
}
inline void SetInstructionLength(DecodedInstruction& d, unsigned length) {
    d.repeatAndLength = static_cast<uint8_t>((d.repeatAndLength & ~RepeatFlag::LengthMask) |
                                             ((length << RepeatFlag::LengthShift) & RepeatFlag::LengthMask));
}
// Adds in place: a multiple of 4 leaves the repeat bits alone, and the mask
// wraps the sum within the field just as SetInstructionLength would.
inline void AddInstructionLength(DecodedInstruction& d, unsigned count) {
    d.repeatAndLength = static_cast<uint8_t>((d.repeatAndLength & ~RepeatFlag::LengthMask) |
                                             ((d.repeatAndLength + (count << RepeatFlag::LengthShift)) &
                                              RepeatFlag::LengthMask));
}
inline uint8_t SegmentOverrideOf(const DecodedInstruction& d) {
    return (d.prefixFlags & PrefixFlag::SegmentMask) >> PrefixFlag::SegmentShift;
}
inline bool IsInvalid(const DecodedInstruction& d) { return (d.decodeFlags & DecodeFlag::Invalid) != 0; }
inline bool HasModRM(const DecodedInstruction& d) { return (d.prefixFlags & PrefixFlag::HasModRM) != 0; }
inline bool HasSIB(const DecodedInstruction& d) { return (d.prefixFlags & PrefixFlag::HasSIB) != 0; }
inline bool HasRepeatPrefix(const DecodedInstruction& d) {
    return (d.repeatAndLength & RepeatFlag::RepeatPrefix) != 0;
}
inline bool RepeatIsRep(const DecodedInstruction& d) { return (d.repeatAndLength & RepeatFlag::RepeatKind) != 0; }

// Sets every field from prefixFlags to the end of the third operand to zero.
inline void ResetRecord(DecodedInstruction* record) { *record = DecodedInstruction{}; }

// Copies the non-null operands, in order, into the record's slots from 0 on and
// sets operandCount. False when the record is null or all three are null.
inline bool StoreOperands(DecodedInstruction* record, const OperandDescriptor* first, const OperandDescriptor* second,
                          const OperandDescriptor* third) {
    if (record == nullptr || (first == nullptr && second == nullptr && third == nullptr)) return false;
    uint8_t count = 0;
    if (first != nullptr) record->operands[count++] = *first;
    if (second != nullptr) record->operands[count++] = *second;
    if (third != nullptr) record->operands[count++] = *third;
    record->operandCount = count;
    return true;
}

}  // namespace vexa
