#include "tools/vexa_decode/hex_input.h"

namespace vexa::cli {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == '{' || c == '}'; }

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

struct Sink {
    uint8_t* out;
    size_t capacity;
    size_t& count;
};

// Hex pairs, or with `single` one digit alone, as bytes.
bool AppendDigits(std::string_view digits, std::string_view token, bool single, Sink& sink, HexParseError& error) {
    for (char c : digits) {
        if (HexValue(c) < 0) return Fail(error, HexError::NotHex, token, c);
    }
    if (digits.empty()) return Fail(error, HexError::NotHex, token, 'x');  // "0x" or "\x" alone
    if (digits.size() % 2 != 0 && !(single && digits.size() == 1)) {
        return Fail(error, HexError::OddDigitCount, token);
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        if (sink.count == sink.capacity) return Fail(error, HexError::TooManyBytes, token);
        const int high = digits.size() == 1 ? 0 : HexValue(digits[i]);
        sink.out[sink.count++] = static_cast<uint8_t>(high << 4 | HexValue(digits[digits.size() == 1 ? 0 : i + 1]));
    }
    return true;
}

bool IsEscape(std::string_view text, char lead) {
    return text.size() >= 2 && text[0] == lead && (text[1] == 'x' || text[1] == 'X');
}

// "5589E5", "0x55" (one or two digits, or pairs), "\x55\x89" (two digits each).
bool AppendToken(std::string_view token, Sink& sink, HexParseError& error) {
    if (IsEscape(token, '0')) return AppendDigits(token.substr(2), token, true, sink, error);
    if (!IsEscape(token, '\\')) return AppendDigits(token, token, false, sink, error);
    for (std::string_view rest = token; !rest.empty(); rest.remove_prefix(std::min<size_t>(rest.size(), 4))) {
        if (!IsEscape(rest, '\\')) return Fail(error, HexError::NotHex, token, rest[0]);
        if (!AppendDigits(rest.substr(2, 2), token, false, sink, error)) return false;
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

bool AppendHexText(std::string_view text, uint8_t* out, size_t capacity, size_t& count, HexParseError& error) {
    Sink sink{out, capacity, count};
    size_t position = 0;
    while (position < text.size()) {
        if (IsSeparator(text[position])) {
            ++position;
            continue;
        }
        size_t end = position;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        if (!AppendToken(text.substr(position, end - position), sink, error)) return false;
        position = end;
    }
    return true;
}

bool AppendHexText(std::string_view text, HexBytes& bytes, HexParseError& error) {
    return AppendHexText(text, bytes.window.data(), bytes.window.size(), bytes.count, error);
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
        case HexError::TooManyBytes: message = "more than " + std::to_string(kDecodeWindow) + " bytes, at '"; break;
        case HexError::NoBytes: return "no instruction bytes given";
    }
    AppendVisible(message, error.token);
    message += "'";
    return message;
}

}  // namespace vexa::cli
