#pragma once
// MMX (two-byte class 12) and scalar single-precision SSE (two-byte class 13).
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// `bytes` points at the 0Fh byte; the record's length already counts the
// prefixes, 0Fh and the second opcode byte. False: not an instruction.
bool DecodeMmx(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes);
bool DecodeSseScalar(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes);

}  // namespace vexa
