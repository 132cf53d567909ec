#pragma once
// Instruction bytes typed or pasted as hex, placed at the start of a
// zero-filled decode window as the workbench composes them. Accepted forms:
// hex pairs with or without blanks ("66 89 40 12", "66894012"), shellcode
// strings ("\x66\x89"), C-style bytes ("0x66 0x89", "0x66, 0x89") and C arrays
// ("{ 0x66, 0x89 }"). Commas and braces separate tokens like blanks.
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
    std::string_view token;  // the token at fault (empty for NoBytes)
    char character = 0;      // the offending character of NotHex
};

// Appends the bytes of `text` to out[count], out[count+1], ... below
// `capacity`, advancing `count`. On failure `error` names the token; the bytes
// before it may have been stored.
bool AppendHexText(std::string_view text, uint8_t* out, size_t capacity, size_t& count, HexParseError& error);

// The same into the window of `bytes` (at most kDecodeWindow bytes).
bool AppendHexText(std::string_view text, HexBytes& bytes, HexParseError& error);

// Resets `bytes` and parses `text` as one instruction; at least one byte.
bool ParseHexLine(std::string_view text, HexBytes& bytes, HexParseError& error);

// The same for HEX given as several arguments ("66" "89 40" "12").
bool ParseHexArguments(const std::vector<std::string_view>& arguments, HexBytes& bytes, HexParseError& error);

// One line for the user: "odd number of hex digits in '668'".
std::string DescribeHexError(const HexParseError& error);

}  // namespace vexa::cli
