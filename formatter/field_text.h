#pragma once
// The number held in an operand's disp field (dispSize 1, 2 or 4 bytes).
#include "decoder/decoded_instruction.h"

namespace vexa {

// Fixed-width unsigned: "0008", "0A0000000". False, leaving `text` untouched,
// when a pointer is null or dispSize is none of 1, 2, 4.
bool FormatUnsignedField(const OperandDescriptor* operand, char* text);

// Signed with the sign always written: "+10", "-8". Same failures.
bool FormatSignedField(const OperandDescriptor* operand, char* text);

// The same texts appended at `end`; each returns the new end, or nullptr
// (nothing written) for a dispSize other than 1, 2, 4.
char* AppendUnsignedField(char* end, const OperandDescriptor& operand);
char* AppendSignedField(char* end, const OperandDescriptor& operand);

}  // namespace vexa
