#pragma once
// ModR/M as mod / reg / r/m and SIB as scale / index / base, each field in
// binary with what it means in this instruction.
#include <array>
#include <string>

#include "tools/vexa_decode/byte_layout.h"

namespace vexa::cli {

struct FieldLine {
    const char* name;   // "mod", "reg", "r/m", "scale", "index", "base"
    std::string bits;   // "01"
    const char* range;  // "bits 7-6"
    std::string meaning;
};

using ByteFields = std::array<FieldLine, 3>;

// The fields of the ModR/M byte at `modrmAt` of the decoded window.
ByteFields ModRMFields(const DecodedWindow& decoded, unsigned modrmAt);

// The fields of the SIB byte after the ModR/M byte at `modrmAt` (32-bit addressing).
ByteFields SibFields(const DecodedWindow& decoded, unsigned modrmAt);

}  // namespace vexa::cli
