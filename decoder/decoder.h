#pragma once
// Decoding of one x86 instruction (16- or 32-bit code) into a DecodedInstruction.
#include <cstddef>
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// The decoder may read up to this many bytes from `bytes` (14 prefixes, opcode,
// ModR/M, SIB, 4 displacement and 4 immediate bytes); callers supply a buffer
// at least this long, zero past the bytes they have.
constexpr size_t kDecodeWindow = 25;
constexpr unsigned kMaxInstructionLength = 15;

// Decodes with the mode given. Returns false only for a null pointer or a failed
// ModR/M decode; an encoding that is not an instruction returns true with the
// record marked invalid (mnemonic 1, length 1). Reentrant: touches no globals.
bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode);

// Decodes under the global mode flag `mode32` (read, never written).
bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record);

}  // namespace vexa
