#pragma once
// Instruction bytes typed as hex pairs ("66 89 40 12", "66894012"), placed at
// the start of a zero-filled decode window as the workbench composes them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decoder/decoder.h"

namespace vexa::cli {

struct HexBytes {
    std::array<uint8_t, kDecodeWindow> window{};
    size_t count = 0;
};

enum class HexError { None, NotHex, OddDigitCount, TooManyBytes, NoBytes };

struct HexParseError {
    HexError error = HexError::None;
    std::string_view token;  // the blank-separated token at fault (empty for NoBytes)
    char character = 0;      // the offending character of NotHex
};

// Appends the bytes of `text` (tokens of hex pairs separated by blanks) to
// `bytes`. Each token must hold whole pairs. On failure `error` names the
// token; `bytes` may then hold part of the text.
bool AppendHexText(std::string_view text, HexBytes& bytes, HexParseError& error);

// Resets `bytes` and parses `text` as one instruction; at least one byte.
bool ParseHexLine(std::string_view text, HexBytes& bytes, HexParseError& error);

// The same for HEX given as several arguments ("66" "89 40" "12").
bool ParseHexArguments(const std::vector<std::string_view>& arguments, HexBytes& bytes, HexParseError& error);

// One line for the user: "odd number of hex digits in '668'".
std::string DescribeHexError(const HexParseError& error);

}  // namespace vexa::cli
