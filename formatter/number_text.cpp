#include "formatter/number_text.h"

#include <bit>
#include <cstring>

#include "formatter/text_append.h"

namespace vexa {
namespace {

static_assert(std::endian::native == std::endian::little, "the digit word is stored byte by byte");

// The eight hex digits of `value` as the bytes of a word, most significant
// digit in the lowest byte: spreading the nibbles over the bytes and adding
// '0' (or 'A' - 10) to each at once costs no branch and no loop.
uint64_t HexDigitWord(uint32_t value) {
    uint64_t x = value;
    x = ((x & 0xFFFF0000ull) << 16) | (x & 0x0000FFFFull);
    x = ((x & 0x0000FF000000FF00ull) << 8) | (x & 0x000000FF000000FFull);
    x = ((x & 0x00F000F000F000F0ull) << 4) | (x & 0x000F000F000F000Full);
    // Byte i now holds nibble i; 1 in the bytes whose nibble is a letter.
    const uint64_t letters = ((x + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
    x += 0x3030303030303030ull + letters * ('A' - '9' - 1);
    return __builtin_bswap64(x);
}

unsigned SignificantDigits(uint32_t value) { return (std::bit_width(value | 1u) + 3) / 4; }

bool FormatFixed(uint32_t value, unsigned digits, char* text) {
    if (text == nullptr) return false;
    AppendHex(text, value, digits);
    return true;
}

bool FormatShortest(uint32_t value, char* text) { return FormatFixed(value, 1, text); }

bool FormatSigned(uint32_t value, uint32_t signBit, char* text) {
    if (text == nullptr) return false;
    AppendSignedHex(text, value, signBit);
    return true;
}

}  // namespace

// The last `digits` of the eight, after a "0" when the first is a letter.
char* AppendHex(char* end, uint32_t value, unsigned minDigits) {
    const unsigned significant = SignificantDigits(value);
    const unsigned digits = significant > minDigits ? significant : minDigits;
    char all[8];
    const uint64_t word = HexDigitWord(value);
    std::memcpy(all, &word, sizeof(all));
    const char* first = all + 8 - digits;
    *end = '0';
    end += *first >= 'A';
    return AppendShort(end, first, digits);
}

// The magnitude of a negative value is its negation within the width, so the
// most negative value stays itself.
char* AppendSignedHex(char* end, uint32_t value, uint32_t signBit) {
    const uint32_t mask = signBit | (signBit - 1);
    const bool negative = (value & signBit) != 0;
    *end++ = negative ? '-' : '+';
    return AppendHex(end, negative ? (~value + 1) & mask : value & mask, 1);
}

bool FormatFixedHex8(uint8_t value, char* text) { return FormatFixed(value, 2, text); }
bool FormatFixedHex16(uint16_t value, char* text) { return FormatFixed(value, 4, text); }
bool FormatFixedHex32(uint32_t value, char* text) { return FormatFixed(value, 8, text); }

bool FormatHex8(uint8_t value, char* text) { return FormatShortest(value, text); }
bool FormatHex16(uint16_t value, char* text) { return FormatShortest(value, text); }
bool FormatHex32(uint32_t value, char* text) { return FormatShortest(value, text); }

bool FormatSignedHex8(uint8_t value, char* text) { return FormatSigned(value, 0x80u, text); }
bool FormatSignedHex16(uint16_t value, char* text) { return FormatSigned(value, 0x8000u, text); }
bool FormatSignedHex32(uint32_t value, char* text) { return FormatSigned(value, 0x80000000u, text); }

}  // namespace vexa
