#pragma once
// Number text: every number in an instruction line is upper-case hexadecimal
// without suffix. A number never starts with a letter: when its first digit
// would be A-F a single "0" goes in front (after the sign, for signed numbers).
//
// Each Format operation replaces the text in `text` (at most 10 bytes with the
// terminator) and returns false, writing nothing, only when `text` is null.
#include <cstdint>

namespace vexa {

// Exactly 2, 4 or 8 digits: constants, absolute addresses, far pointers.
bool FormatFixedHex8(uint8_t value, char* text);
bool FormatFixedHex16(uint16_t value, char* text);
bool FormatFixedHex32(uint32_t value, char* text);

// As few digits as the value needs ("0" for zero): immediates.
bool FormatHex8(uint8_t value, char* text);
bool FormatHex16(uint16_t value, char* text);
bool FormatHex32(uint32_t value, char* text);

// Two's-complement value of the width, sign always written ("+0", "-80"):
// displacements beside a register and relative branch targets.
bool FormatSignedHex8(uint8_t value, char* text);
bool FormatSignedHex16(uint16_t value, char* text);
bool FormatSignedHex32(uint32_t value, char* text);

// The same texts appended at `end`; each returns the new end. AppendHex writes
// at least `minDigits` digits (1 for the shortest form); AppendSignedHex takes
// the top bit of the width as `signBit`.
char* AppendHex(char* end, uint32_t value, unsigned minDigits);
char* AppendSignedHex(char* end, uint32_t value, uint32_t signBit);

}  // namespace vexa
