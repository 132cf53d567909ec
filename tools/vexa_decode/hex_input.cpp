#include "tools/vexa_decode/hex_input.h"

namespace vexa::cli {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Fail(HexParseError& error, HexError kind, std::string_view token, char character = 0) {
    error = HexParseError{kind, token, character};
    return false;
}

bool AppendToken(std::string_view token, HexBytes& bytes, HexParseError& error) {
    for (char c : token) {
        if (HexValue(c) < 0) return Fail(error, HexError::NotHex, token, c);
    }
    if (token.size() % 2 != 0) return Fail(error, HexError::OddDigitCount, token);
    for (size_t i = 0; i < token.size(); i += 2) {
        if (bytes.count == bytes.window.size()) return Fail(error, HexError::TooManyBytes, token);
        bytes.window[bytes.count++] = static_cast<uint8_t>(HexValue(token[i]) << 4 | HexValue(token[i + 1]));
    }
    return true;
}

// Printable characters as they are, anything else as \xNN.
void AppendVisible(std::string& out, std::string_view text) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0x0F];
        }
    }
}

}  // namespace

bool AppendHexText(std::string_view text, HexBytes& bytes, HexParseError& error) {
    size_t position = 0;
    while (position < text.size()) {
        if (IsBlank(text[position])) {
            ++position;
            continue;
        }
        size_t end = position;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        if (!AppendToken(text.substr(position, end - position), bytes, error)) return false;
        position = end;
    }
    return true;
}

bool ParseHexLine(std::string_view text, HexBytes& bytes, HexParseError& error) {
    bytes = HexBytes{};
    if (!AppendHexText(text, bytes, error)) return false;
    if (bytes.count == 0) return Fail(error, HexError::NoBytes, {});
    return true;
}

bool ParseHexArguments(const std::vector<std::string_view>& arguments, HexBytes& bytes, HexParseError& error) {
    bytes = HexBytes{};
    for (std::string_view argument : arguments) {
        if (!AppendHexText(argument, bytes, error)) return false;
    }
    if (bytes.count == 0) return Fail(error, HexError::NoBytes, {});
    return true;
}

std::string DescribeHexError(const HexParseError& error) {
    std::string message;
    switch (error.error) {
        case HexError::None: return "no error";
        case HexError::NotHex:
            message = "not a hex digit: '";
            AppendVisible(message, std::string_view(&error.character, 1));
            message += "' in '";
            break;
        case HexError::OddDigitCount: message = "odd number of hex digits in '"; break;
        case HexError::TooManyBytes:
            message = "more than " + std::to_string(kDecodeWindow) + " bytes, at '";
            break;
        case HexError::NoBytes: return "no instruction bytes given";
    }
    AppendVisible(message, error.token);
    message += "'";
    return message;
}

}  // namespace vexa::cli
