#pragma once
// Internal to the decoder: the state of one decode, shared by the main loop and
// the class handlers, and the small operand builders they use.
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/modrm.h"

namespace vexa {

// What a handler made of the bytes.
enum class Outcome : uint8_t {
    Decoded,  // an instruction; the caller names it from the table if the handler did not
    Invalid,  // not an instruction: the caller takes the invalid path
    Failed,   // the ModR/M decode failed: DecodeInstruction returns false
};

struct DecodeContext {
    const uint8_t* bytes;     // the instruction's first byte (first prefix, if any)
    DecodedInstruction* record;
    EffectiveSizes sizes;     // fixed after the prefix scan
    unsigned opcodePosition;  // number of prefixes
    uint8_t opcode;           // the first byte that is not a prefix
    uint8_t secondByte;       // the byte after 0Fh, for two-byte opcodes
    uint8_t regField;         // ModR/M bits 3-5, once the ModR/M byte has been decoded
    bool wide;                // opcode bit 0 for the classes that have a w bit
    bool direction;           // opcode bit 1 for the classes that have a d bit
    // Operand temps: A takes the ModR/M reg field, B the r/m operand.
    OperandDescriptor a;
    OperandDescriptor b;
    OperandDescriptor c;

    const uint8_t* Opcode() const { return bytes + opcodePosition; }

    // Position of the next byte not yet consumed.
    const uint8_t* Cursor() const { return bytes + InstructionLength(*record); }

    // Reads n (0-4) little-endian bytes at the cursor and consumes them.
    uint32_t Take(unsigned n) {
        const uint32_t value = ReadLittleEndian(Cursor(), n);
        AddInstructionLength(*record, n);
        return value;
    }

    // Decodes the ModR/M byte at `modrm` into A and B under the effective address size.
    bool DecodeModRMAt(const uint8_t* modrm) {
        a = OperandDescriptor{};
        b = OperandDescriptor{};
        regField = (modrm[0] >> 3) & 7;
        return DecodeModRM(modrm, record, &a, &b, sizes.address32);
    }

    // Decodes the ModR/M byte at the cursor (where a handler starts that has
    // its caller not decode it) straight into record slots (`reg` null: the
    // reg field names no operand).
    bool DecodeModRMInto(OperandDescriptor* reg, OperandDescriptor* rm) {
        const uint8_t* modrm = Cursor();
        regField = (modrm[0] >> 3) & 7;
        return DecodeModRM(modrm, record, reg, rm, sizes.address32);
    }

    OperandDescriptor& Slot(unsigned slot) { return record->operands[slot]; }

    void Name(uint16_t mnemonic) { record->mnemonic = mnemonic; }

    void Store(const OperandDescriptor* first, const OperandDescriptor* second = nullptr,
               const OperandDescriptor* third = nullptr) {
        StoreOperands(record, first, second, third);
    }
};

// The record's operand slots are all zero when a handler runs (the decode
// starts by clearing them), so a handler that knows its operands' order and
// cannot fail after storing them writes them straight into their slots, and
// only their nonzero fields. Register is kind 0: a register slot needs its code alone.
inline void PutRegister(DecodeContext& ctx, unsigned slot, uint8_t code) {
    ctx.record->operands[slot].reg = code;
}

inline void PutImmediate(DecodeContext& ctx, unsigned slot, unsigned size) {
    OperandDescriptor& operand = ctx.record->operands[slot];
    operand.kind = OperandKind::Immediate;
    operand.immSize = static_cast<uint8_t>(size);
    operand.imm = ctx.Take(size);
}

// A displacement of at most 4 bytes (Relative, Constant, memory offset).
inline void PutDisplacement(DecodeContext& ctx, unsigned slot, uint8_t kind, unsigned size) {
    OperandDescriptor& operand = ctx.record->operands[slot];
    operand.kind = kind;
    operand.dispSize = static_cast<uint8_t>(size);
    operand.disp = ctx.Take(size);
}

inline void SetOperandCount(DecodeContext& ctx, unsigned count) {
    ctx.record->operandCount = static_cast<uint8_t>(count);
}

// A general register's code, sized by the effective operand size (8-bit when not wide).
constexpr uint8_t SizedRegisterCode(uint8_t number, bool operand32, bool wide) {
    const uint8_t registerClass = !wide ? RegisterClass::Gpr8 : (operand32 ? RegisterClass::Gpr32 : RegisterClass::Gpr16);
    return MakeRegisterCode(registerClass, number);
}

inline OperandDescriptor RegisterOperand(uint8_t registerClass, uint8_t number) {
    OperandDescriptor operand{};
    operand.kind = OperandKind::Register;
    operand.reg = MakeRegisterCode(registerClass, number);
    return operand;
}

// A general register sized by the effective operand size (8-bit when not wide).
inline OperandDescriptor SizedRegisterOperand(uint8_t number, bool operand32, bool wide) {
    OperandDescriptor operand = RegisterOperand(RegisterClass::Gpr8, number);
    SetRegisterSize(&operand.reg, operand32, wide);
    return operand;
}

// An immediate of `size` bytes read from the cursor.
inline OperandDescriptor TakeImmediate(DecodeContext& ctx, unsigned size) {
    OperandDescriptor operand{};
    operand.kind = OperandKind::Immediate;
    operand.immSize = static_cast<uint8_t>(size);
    operand.imm = ctx.Take(size);
    return operand;
}

// An imm8 at the cursor, sign-extended to the effective operand size.
inline OperandDescriptor TakeSignExtendedImm8(DecodeContext& ctx) {
    OperandDescriptor operand{};
    operand.kind = OperandKind::Immediate;
    const bool to16 = !ctx.sizes.operand32;
    SignExtendImm8(static_cast<int8_t>(ctx.Take(1)), &operand.imm, to16);
    operand.immSize = to16 ? 2 : 4;
    return operand;
}

// 69/6B, 68/6A: a full-size immediate, or a sign-extended imm8 when opcode bit 1 is set.
inline OperandDescriptor TakeWordOrSignExtendedImmediate(DecodeContext& ctx) {
    if (ctx.opcode & 0x02) return TakeSignExtendedImm8(ctx);
    return TakeImmediate(ctx, ctx.sizes.operand32 ? 4 : 2);
}

// A displacement-carrying operand (Relative, Constant, memory offset, FarPointer)
// of `size` bytes read from the cursor; bytes 5 and 6 of a far pointer go to dispHigh.
inline OperandDescriptor TakeDisplacement(DecodeContext& ctx, uint8_t kind, unsigned size) {
    OperandDescriptor operand{};
    operand.kind = kind;
    operand.dispSize = static_cast<uint8_t>(size);
    operand.disp = ctx.Take(size > 4 ? 4 : size);
    if (size > 4) operand.dispHigh = static_cast<uint16_t>(ctx.Take(size - 4));
    return operand;
}

inline bool IsMemory(const OperandDescriptor& operand) { return operand.kind == OperandKind::Memory; }

// Gives the register in `operand` its class (its number stays).
inline void SetRegisterClass(OperandDescriptor& operand, uint8_t registerClass) {
    operand.reg = MakeRegisterCode(registerClass, operand.reg);
}

// A handler runs with the instruction already named from the opcode's mnemonic
// table; the handlers of opcodes the table does not name (groups, escapes, and
// names that depend on the operands) set the name themselves.
using Handler = Outcome (*)(DecodeContext&);

// wideInBit0/directionInBit1: the class has a w bit in opcode bit 0 and a d bit
// in bit 1 (one-byte classes only; the two-byte handlers read their own byte).
struct OpcodeHandler {
    Handler handle;
    bool wideInBit0;
    bool directionInBit1;
};

// Runs `handle` with the ModR/M byte at the cursor decoded into A and B: for the
// classes that can still turn out invalid after it (an invalid instruction
// keeps its slots as they were). The others decode it themselves, straight into
// the record's slots.
template <Handler handle>
Outcome WithModRMInTemps(DecodeContext& ctx) {
    if (!ctx.DecodeModRMAt(ctx.Cursor())) return Outcome::Failed;
    return handle(ctx);
}

// Indexed by OpcodeClass (entry 0, the prefix class, is never run; 0Fh is
// dispatched to the two-byte table instead of its entry 24).
constexpr unsigned kOneByteHandlerCount = 29;
extern const OpcodeHandler kOneByteHandlers[kOneByteHandlerCount];

// Indexed by TwoByteClass; the last entry takes the unassigned bytes (class 99).
constexpr unsigned kTwoByteHandlerCount = 15;
constexpr uint8_t kUnassignedTwoByteEntry = kTwoByteHandlerCount - 1;
extern const OpcodeHandler kTwoByteHandlers[kTwoByteHandlerCount];

}  // namespace vexa
