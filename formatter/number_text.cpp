#include "formatter/number_text.h"

namespace vexa {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

unsigned SignificantDigits(uint32_t value) {
    unsigned count = 1;
    while (count < 8 && (value >> (4 * count)) != 0) ++count;
    return count;
}

// Writes at least `minDigits` digits of value, with the leading "0" when the
// first digit is a letter, and the terminator.
void WriteHex(uint32_t value, unsigned minDigits, char* text) {
    const unsigned significant = SignificantDigits(value);
    const unsigned digits = significant > minDigits ? significant : minDigits;
    if (((value >> (4 * (digits - 1))) & 0xF) >= 0xA) *text++ = '0';
    for (unsigned i = digits; i-- > 0;) *text++ = kHexDigits[(value >> (4 * i)) & 0xF];
    *text = '\0';
}

bool FormatFixed(uint32_t value, unsigned digits, char* text) {
    if (text == nullptr) return false;
    WriteHex(value, digits, text);
    return true;
}

bool FormatShortest(uint32_t value, char* text) { return FormatFixed(value, 1, text); }

// `signBit` is the top bit of the width; the magnitude of a negative value is
// its negation within the width, so the most negative value stays itself.
bool FormatSigned(uint32_t value, uint32_t signBit, char* text) {
    if (text == nullptr) return false;
    const uint32_t mask = signBit | (signBit - 1);
    const bool negative = (value & signBit) != 0;
    *text = negative ? '-' : '+';
    WriteHex(negative ? (~value + 1) & mask : value & mask, 1, text + 1);
    return true;
}

}  // namespace

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
