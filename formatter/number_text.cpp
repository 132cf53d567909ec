#include "formatter/number_text.h"

#include "formatter/padded_text.h"

namespace vexa {
namespace {

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

// Built in a scratch buffer, as the padded writers may store past the text's end,
// then copied: the caller's buffer gets the text and its terminator only.
char* AppendHex(char* end, uint32_t value, unsigned minDigits) {
    char scratch[16];
    return padded::CopyExact(end, scratch, padded::PutHex(scratch, value, minDigits < 8 ? minDigits : 8));
}

char* AppendSignedHex(char* end, uint32_t value, uint32_t signBit) {
    char scratch[16];
    return padded::CopyExact(end, scratch, padded::PutSignedHex(scratch, value, signBit));
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
