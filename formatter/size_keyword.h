#pragma once
// Size keywords of memory operands: "byte ptr ", "dword ptr ", "(48-bit) ptr ".
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Empties `text`, then for a nonzero memorySize writes its keyword and "ptr "
// ("ptr " alone for a code without a keyword). False, writing nothing, when a
// pointer is null. `text` needs 17 bytes.
bool FormatSizeKeyword(const OperandDescriptor* operand, char* text);

// Appends the same text for `memorySize` and returns the new end.
char* AppendSizeKeyword(char* end, uint8_t memorySize);

}  // namespace vexa
