#include "formatter/number_text.h"

#include <array>
#include <bit>
#include <cstring>

namespace vexa {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The two digits of every byte value, so that digits go out two at a time.
constexpr std::array<char, 512> kHexPairs = [] {
    std::array<char, 512> pairs{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        pairs[2 * byte] = kHexDigits[byte >> 4];
        pairs[2 * byte + 1] = kHexDigits[byte & 0xF];
    }
    return pairs;
}();

unsigned SignificantDigits(uint32_t value) { return value == 0 ? 1 : (std::bit_width(value) + 3) / 4; }

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

// Digits are written from the last one back, two at a time, so the end is
// known up front.
char* AppendHex(char* end, uint32_t value, unsigned minDigits) {
    const unsigned significant = SignificantDigits(value);
    const unsigned digits = significant > minDigits ? significant : minDigits;
    if (((value >> (4 * (digits - 1))) & 0xF) >= 0xA) *end++ = '0';
    char* const last = end + digits;
    *last = '\0';
    char* p = last;
    for (unsigned pairs = digits / 2; pairs > 0; --pairs, value >>= 8) {
        p -= 2;
        std::memcpy(p, &kHexPairs[2 * (value & 0xFF)], 2);
    }
    if (p != end) *end = kHexDigits[value & 0xF];
    return last;
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
