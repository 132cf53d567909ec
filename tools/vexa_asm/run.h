#pragma once
// vexa-asm as a function over streams, for tests.
#include <cstdio>
#include <string>

#include "tools/vexa_asm/options.h"

namespace vexa::asmcli {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;

int RunVexaAsm(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

// Assembles one line and appends its output (text or JSON) to `out`; on a
// bad line appends the JSON error object (with --json) and sets `message`.
bool AssembleLine(const Options& options, const char* text, unsigned long lineNumber, bool colour, std::string& out,
                  std::string& message);

}  // namespace vexa::asmcli
