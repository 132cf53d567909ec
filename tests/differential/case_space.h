#pragma once
// The byte strings the differential test decodes, each tagged with the row of
// the summary table it is counted in (the opcode class of Vexa's tables).
//
// The space: every one-byte opcode and every 0F opcode that Vexa's tables
// decode, with 66h and 67h on and off, in both modes. Opcodes with a ModR/M
// byte (the x87 escapes, MMX and the SSE class included) get every ModR/M
// byte and, where the addressing form reads one, every SIB byte; the others
// get every value of the byte after the opcode (immediates, branch
// displacements). Class-13 opcodes also get F3 (the scalar forms), F3 with
// 66h/67h before it, 66h between F3 and 0F, and F2. Displacement and
// immediate bytes come from two fixed fillers, one with the sign bits set and
// one without. Last, a fixed-seed sample of random strings with random
// prefixes.
#include <cstdint>
#include <functional>

#include "decoder/decoder.h"

namespace vexa::diff {

struct TestCase {
    uint8_t bytes[kDecodeWindow];  // the string at the start of a zero-filled window
    bool is32BitMode;
    uint8_t row;
};

namespace Row {
// Rows 1-28: the one-byte opcode classes (25 = the x87 escapes); rows
// kTwoByteBase + 0..13: the two-byte classes.
constexpr uint8_t kTwoByteBase = 29;
constexpr uint8_t kRepeatPrefixedSse = kTwoByteBase + 14;  // class 13 with F3/F2
constexpr uint8_t kRandom = kRepeatPrefixedSse + 1;
constexpr uint8_t kCount = kRandom + 1;
}  // namespace Row

const char* RowName(uint8_t row);

using CaseVisitor = std::function<void(const TestCase&)>;

// Visits the whole space in a fixed order; `randomPerMode` random strings are
// added for each mode.
void ForEachCase(unsigned randomPerMode, const CaseVisitor& visit);

// Only the cases of one mode (for running the modes side by side).
void ForEachCaseOfMode(bool is32BitMode, unsigned randomCount, const CaseVisitor& visit);

}  // namespace vexa::diff
