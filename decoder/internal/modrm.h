#pragma once
// ModR/M and SIB addressing: the register operand named by the reg field and the
// register-or-memory operand named by mod and r/m, with the displacement bytes.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Decodes the ModR/M byte at `modrm` (and SIB/displacement after it) in the
// addressing form of the effective address size. regOperand and rmOperand must
// be zeroed by the caller; registers get bare numbers (class bits 0). Adds every
// byte consumed to the record's length and sets hasModRM (and hasSIB). Reads
// the six bytes from `modrm` that the longest form takes (ModR/M, SIB, a 4-byte
// displacement), whatever the form; the decode window always has them.
bool DecodeModRM(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                 OperandDescriptor* rmOperand, bool address32);
// The two addressing forms alone: the SIB and displacement bytes, not the
// ModR/M byte itself, are added to the length, and hasSIB set; DecodeModRM
// counts the ModR/M byte and sets hasModRM.
bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand);
bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand);

}  // namespace vexa
