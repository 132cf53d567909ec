#pragma once
// vexa-decode --list: every instruction of the input, one line each, from the
// HEX arguments, a file or standard input (hex, or raw bytes with --raw):
//
//   00007C00  66 B8 00 00 00 00                             mov\teax, 0
//   00007C06  EB FE                                         jmp\t$+0  ; 00007C06
//
// The address has 4 hex digits in 16-bit code and 8 in 32-bit; the bytes
// column is as wide as the longest instruction's (15 bytes, 44 characters), so
// the instruction lines start in one column whatever the lengths. Then comes
// the instruction line exactly as without --list, and for a relative branch
// its absolute target. --json gives one object per line, --explain the
// breakdown under each.
#include <cstdio>
#include <string>

#include "formatter/display_lines.h"
#include "tools/vexa_decode/instruction_walker.h"
#include "tools/vexa_decode/options.h"

namespace vexa::cli {

// The bytes column: 15 pairs and the blanks between them.
constexpr size_t kListingBytesWidth = 3 * kMaxInstructionLength - 1;
// Room for the longest listing line: address, bytes, instruction line, target.
constexpr size_t kListingLineSize = 8 + 2 + kListingBytesWidth + 2 + kDisplayLineSize + 12;

// Writes the listing line of one instruction at `at`, which has
// kListingLineSize bytes of room, and returns its end (after the newline).
char* PutListingLine(char* at, const WalkedInstruction& instruction, bool upperCase);

// The whole listing for parsed options. Returns the exit status.
int ListInstructions(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace vexa::cli
