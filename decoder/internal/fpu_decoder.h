#pragma once
// The x87 escapes D8-DF with a register operand (mod 11): the stack forms and
// the single-byte control forms. Their memory forms are straight-line forms
// (see decoder/internal/opcode_descriptions.h).
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// `bytes` points at the escape byte; the record's length already counts the
// prefixes and the escape byte. Sets hasModRM whatever the form; true when the
// bytes name an x87 register form, which is then named and stored.
bool DecodeFpuRegisterForm(const uint8_t* bytes, DecodedInstruction* record);

// Writes st(i) as a Register operand of class Fpu.
bool MakeFpuRegister(OperandDescriptor* operand, uint8_t i);

}  // namespace vexa
