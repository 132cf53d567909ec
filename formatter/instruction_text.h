#pragma once
// Instruction text: a decoded instruction as its mnemonic text ("lock rep
// movsb", "add") and its operand text ("dword ptr es:[ebx+esi*4+10], eax").
#include <cstddef>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Output buffers of this size hold both texts of any record (the mnemonic text
// needs 23 bytes, the operand text of three operands at most 137).
constexpr size_t kInstructionTextSize = 256;

// Writes the two texts. An invalid record (or mnemonic 1) reads "INVALID" with
// no prefix words and no operands; a nameless one (mnemonic 0) reads "???".
// Prefix words come as "lock " then "rep "/"repne " (the last repeat prefix).
// Returns false when a pointer is null (nothing written), when an operand
// cannot be printed (the texts then hold what was completed before it), or
// when the record's mnemonic or operandCount lies outside its range.
bool FormatInstruction(const DecodedInstruction* instruction, char* mnemonicText, char* operandText);

}  // namespace vexa
