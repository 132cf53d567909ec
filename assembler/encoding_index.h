#pragma once
// The candidate encodings of every mnemonic, read off the decoder: the opcode
// space (one-byte and 0F opcodes, every reg field, register and memory forms,
// with 66h, F3h, F2h and 67h where they change the instruction) decoded once
// per mode at first use, into fixed static storage. Each candidate says which
// bytes to write and what each operand must be; the encoder fills in the
// operands and the decoder has the last word.
#include <cstddef>
#include <cstdint>

namespace vexa::assembler {

namespace ShapeFlag {
enum : uint8_t {
    TiedToRm = 0x01,   // a register taken from ModR/M's r/m field (any number of the class)
    Fixed = 0x02,      // an immediate the opcode implies (the 1 of D1 /4): must equal fixedValue
    Moffs = 0x04,      // a memory operand given by an address after the opcode (A0-A3)
};
}

// What one operand of a candidate is.
struct OperandShape {
    uint8_t kind;        // OperandKind
    uint8_t code;        // Register: register code (class only when TiedToRm); Memory: memorySize
    uint8_t size;        // Immediate: immSize; Constant, Relative, FarPointer, Moffs: dispSize
    uint8_t tailOffset;  // where its bytes start after the ModR/M byte (or the opcode)
    uint8_t tailCount;   // how many bytes it has there (0 = none)
    uint8_t flags;       // ShapeFlag
    uint8_t fixedValue;
};

namespace CandidatePrefix {
enum : uint8_t { OperandSize = 0x01, AddressSize = 0x02, Rep = 0x04, Repne = 0x08 };
}

namespace ModRMForm {
enum : uint8_t { None, FixedRegister, TiedRegister, Memory };
}

struct Candidate {
    uint16_t mnemonic;
    uint8_t prefixes;      // CandidatePrefix: bytes the opcode itself needs
    uint8_t opcodeLength;  // 1, or 2 for 0F xx
    uint8_t opcode[2];
    uint8_t form;          // ModRMForm
    uint8_t modrm;         // the byte (FixedRegister), or its mod and reg bits
    uint8_t tailLength;    // bytes after ModR/M, SIB and displacement (or after the opcode)
    uint8_t operandCount;
    OperandShape operands[3];
    uint32_t signature;    // ShapeSignature: operand count and kinds, for the look-up
    // RegisterKey: the register codes the opcode fixes (byte i for operand
    // i), and which bytes those are; a text with other registers there
    // cannot take the candidate, which one comparison tells.
    uint32_t registers;
    uint32_t registerMask;
};
static_assert(sizeof(OperandShape) == 7);
static_assert(sizeof(Candidate) == 44);

struct CandidateRange {
    const Candidate* begin;
    const Candidate* end;
};

// The candidates of one mnemonic in one mode, in a fixed order.
CandidateRange CandidatesOf(uint16_t mnemonic, bool is32BitMode);
// Only those whose operands have the kinds (and register classes) of
// `signature`, as ShapeSignature gives it.
CandidateRange CandidatesOf(uint16_t mnemonic, uint32_t signature, bool is32BitMode);

// One byte per operand: its kind group (register, memory, number, relative,
// far pointer) and, for a register, its class; the count in the low byte.
// Immediate and Constant share a group, as the text writes both as a number.
uint8_t OperandSignature(uint8_t kind, uint8_t registerClass);
uint32_t ShapeSignature(const Candidate& c);
// Sets c.registers and c.registerMask from its shapes.
void SetRegisterKey(Candidate& c);

// How many candidates a mode has, and whether the storage held them all.
size_t CandidateCount(bool is32BitMode);
bool CandidateStorageSufficed();

}  // namespace vexa::assembler
