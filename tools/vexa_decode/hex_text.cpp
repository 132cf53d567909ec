#include "tools/vexa_decode/hex_text.h"

#include "formatter/number_text.h"

namespace vexa::cli {

std::string HexByte(uint8_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string HexByteList(const uint8_t* bytes, unsigned count) {
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += HexByte(bytes[i]);
    }
    return text;
}

std::string BinaryText(unsigned value, unsigned bits) {
    std::string text;
    for (unsigned bit = bits; bit-- > 0;) text += (value >> bit) & 1 ? '1' : '0';
    return text;
}

std::string HexValue(uint32_t value) {
    char digits[12] = {};
    FormatHex32(value, digits);
    return std::string(digits) + "h";
}

std::string SignedHexValue(uint32_t value, unsigned bytes) {
    char digits[12] = {};
    switch (bytes) {
        case 1: FormatSignedHex8(static_cast<uint8_t>(value), digits); break;
        case 2: FormatSignedHex16(static_cast<uint16_t>(value), digits); break;
        default: FormatSignedHex32(value, digits); break;
    }
    return std::string(digits) + "h";
}

}  // namespace vexa::cli
