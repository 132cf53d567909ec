#pragma once
// The --json form of one decoded instruction: every field of the record, the
// prefix bits by name, and the two display lines, as one line of JSON.
#include <string>

#include "tools/vexa_decode/decode_result.h"

namespace vexa::cli {

// Appends one JSON object and a newline to `out`.
void AppendJsonRecord(std::string& out, const DecodeResult& result);

// Appends `text` as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, const char* text);

}  // namespace vexa::cli
