#pragma once
// Intel text to bytes: the inverse of the formatter. One instruction's text in,
// the shortest byte string out whose decode, in the mode given, formats back to
// the canonical form of that text. Every result is checked by decoding and
// formatting it before it is returned; nothing is allocated.
#include <cstddef>
#include <cstdint>

#include "decoder/decoder.h"

namespace vexa {

// Room for one message ("immediate 1FFh does not fit in 8 bits", ...).
constexpr size_t kAssembleErrorSize = 192;

struct AssembleError {
    char message[kAssembleErrorSize];
};

struct AssembledBytes {
    uint8_t bytes[kMaxInstructionLength];
    uint8_t length;
};

// The most encodings ListEncodings reports for one text.
constexpr unsigned kMaxListedEncodings = 48;

// Assembles `text` (zero-terminated). On success writes `*length` bytes to
// `bytes` (room for kMaxInstructionLength) and returns true. On failure returns
// false with a one-line message in `error` that names the token at fault; the
// outputs are then unspecified. Where several encodings are equally short the
// lowest byte string wins (GNU as's choice, see docs/assembler.md). Null
// pointers return false. Reentrant after the first call has built the tables.
bool AssembleInstruction(const char* text, bool is32BitMode, uint8_t* bytes, unsigned* length,
                         AssembleError* error);

// Room for the instruction line of any assembled instruction.
constexpr size_t kAssembledLineSize = 280;

// The same, also writing to `line` (kAssembledLineSize bytes) the instruction
// line the bytes decode to, as the workbench shows it ("mov\teax, ebx"): the
// text the check compared, so that a caller need not decode again.
bool AssembleInstruction(const char* text, bool is32BitMode, uint8_t* bytes, unsigned* length, char* line,
                         AssembleError* error);

// Every distinct encoding of `text` without a redundant prefix, shortest first
// (ties lowest first), at most `capacity` of them; the first is the one
// AssembleInstruction returns. False with `error` as above.
bool ListEncodings(const char* text, bool is32BitMode, AssembledBytes* encodings, unsigned capacity,
                   unsigned* count, AssembleError* error);

}  // namespace vexa
