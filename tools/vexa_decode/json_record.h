#pragma once
// The --json form of one decoded instruction: every field of the record, the
// prefix bits by name, and the two display lines, as one line of JSON.
#include <string>

#include "tools/vexa_decode/decode_result.h"

namespace vexa::cli {

// Where a listed instruction lies: its address and the bytes it takes.
struct JsonPlace {
    uint32_t address;
    const uint8_t* bytes;
    unsigned count;
    bool truncated;
};

// Appends one JSON object and a newline to `out`; with `place`, its members
// "address", "bytes" ("55 89 E5") and "truncated" come first.
void AppendJsonRecord(std::string& out, const DecodeResult& result, const JsonPlace* place = nullptr);

// Appends `text` as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, const char* text);

}  // namespace vexa::cli
