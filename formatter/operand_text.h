#pragma once
// The text of one operand, by kind: "eax", "dword ptr es:[ebx+esi*4+10]",
// "0FF", "0008", "$-7E", "1234:00005678".
#include <cstddef>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Holds the longest operand text any record can give (44 characters) and its
// terminator.
constexpr size_t kOperandTextSize = 50;

// Replaces `text` with the operand's text. Memory operands take the segment
// override of `instruction`, relative targets its length. An unknown kind, an
// Immediate or Relative operand of an unusable width, and a register of an
// unknown class give an empty text. False only when the operand cannot be
// printed: a Memory displacement or Constant whose dispSize is not 1, 2 or 4
// (0 is fine for Memory), or a FarPointer whose dispSize is not 4 or 6; `text`
// then holds no complete operand.
bool FormatOperand(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text);

// Appends the operand's text at `end` and returns the new end, or nullptr when
// the operand cannot be printed (the text past `end` is then incomplete).
char* AppendOperand(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand);

}  // namespace vexa
