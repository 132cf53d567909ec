#pragma once
// Small number texts of the breakdown: bytes as two hex digits, fields in
// binary, values in the workbench's hex (upper case, a leading 0 before a
// letter) with an "h" so they cannot be read as decimal.
#include <cstdint>
#include <string>

namespace vexa::cli {

std::string HexByte(uint8_t value);                             // "0F"
std::string HexByteList(const uint8_t* bytes, unsigned count);  // "78 56 34 12"
std::string BinaryText(unsigned value, unsigned bits);          // "001"
std::string HexValue(uint32_t value);                           // "0F0h", "12345678h", "0h"
// Two's-complement value of `bytes` (1, 2 or 4) bytes with its sign: "-10h", "+7Fh".
std::string SignedHexValue(uint32_t value, unsigned bytes);

}  // namespace vexa::cli
