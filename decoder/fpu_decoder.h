#pragma once
// x87 floating-point escapes D8-DF.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// `bytes` points at the escape byte; the record's length already counts the
// prefixes and the escape byte. True when the bytes name an x87 instruction.
bool DecodeFpuEscape(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes);

// Writes st(i) as a Register operand of class Fpu.
bool MakeFpuRegister(OperandDescriptor* operand, uint8_t i);

}  // namespace vexa
