#pragma once
// Where each byte of a decoded instruction lies and what it feeds. The decoder
// knows this as it reads the bytes; tools print it rather than work it out
// again. Filled by a call beside DecodeInstruction, so that the plain decode
// pays nothing for it.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// A run of bytes of the decode window; count 0 means the part is absent.
struct ByteSpan {
    uint8_t offset;
    uint8_t count;
};

// What a run of bytes after the addressing bytes holds.
namespace DataMeaning {
enum : uint8_t {
    None = 0,
    Immediate,         // an immediate of its own size (enter has two)
    SignExtendedImm8,  // an immediate byte the record holds widened to the operand size
    Relative,          // a relative branch displacement
    MemoryOffset,      // the offset of mov accumulator, [offset], of the address size
    Constant,          // the 16-bit count of retn/retf
    PointerOffset,     // the offset of a far pointer
    PointerSelector,   // the selector of a far pointer, after its offset
};
}  // namespace DataMeaning

// Where the operand of a record slot comes from.
namespace OperandOrigin {
enum : uint8_t {
    None = 0,        // the slot is not used
    ModRMReg,        // the ModR/M reg field
    ModRMRm,         // the ModR/M r/m field (with the SIB byte and displacement of a memory operand)
    OpcodeRegister,  // a register number in bits of the opcode byte (40+r, B8+r, 0F C8+r, the sreg of 06/07)
    Implied,         // fixed by the opcode, with no bits of its own (al, dx, st0, the count 1, ...)
    Data,            // the data run(s) after the addressing bytes: data[0], and data[1] when it feeds the same slot
    Data1,           // the second data run alone (enter's nesting level)
};
}  // namespace OperandOrigin

// What the ModR/M reg field does in the instruction.
namespace RegFieldUse {
enum : uint8_t {
    None = 0,         // no ModR/M byte
    Operand,          // names the register of an operand slot (regFieldOperand)
    OpcodeExtension,  // selects the operation (/0 to /7)
    Unused,           // read, but neither names an operand nor selects anything
};
}  // namespace RegFieldUse

// Why the bytes are INVALID, as the decoder found it.
namespace InvalidCause {
enum : uint8_t {
    None = 0,                     // a valid instruction
    TooManyPrefixes,              // a fifteenth prefix byte
    TooLong,                      // the instruction would be longer than 15 bytes
    UnknownOpcode,                // an opcode byte (or byte after 0Fh) with no instruction
    ReservedRegField,             // a reg field value the opcode does not define
    NoSuchControlRegister,        // mov with cr1, cr5, cr6 or cr7
    RegisterWhereMemoryRequired,  // mod 11 where only a memory operand is allowed
    MemoryWhereRegisterRequired,  // a memory operand where only a register is allowed
    FpuForm,                      // x87 escape bytes that name no instruction
    MmxForm,                      // an MMX opcode that names no instruction
    SseForm,                      // F3 0F xx outside the scalar single-precision forms
};
}  // namespace InvalidCause

struct EncodingLayout {
    uint8_t prefixCount;   // prefix bytes, at offsets 0 to prefixCount-1
    ByteSpan opcode;       // one byte, or 0Fh and the byte after it
    ByteSpan modRM;
    ByteSpan sib;
    ByteSpan displacement;  // of a ModR/M memory operand
    uint8_t dataCount;      // 0 to 2 runs after the addressing bytes
    ByteSpan data[2];
    uint8_t dataMeaning[2];      // DataMeaning of each run
    uint8_t operandOrigin[3];    // OperandOrigin of each record slot below operandCount
    uint8_t regFieldUse;         // RegFieldUse
    uint8_t regFieldOperand;     // the slot the reg field names, for RegFieldUse::Operand
    uint8_t invalidCause;        // InvalidCause; for an INVALID record the spans above are what was read
    uint8_t length;              // bytes the spans cover: the instruction's length, or what was read when INVALID
};

// Decodes as DecodeInstruction does (the same record, the same result) and
// fills `layout`. False, with the layout cleared, exactly when
// DecodeInstruction returns false, or when `layout` is null.
bool DecodeInstructionLayout(const uint8_t* bytes, DecodedInstruction* record, EncodingLayout* layout,
                             bool is32BitMode);

}  // namespace vexa
