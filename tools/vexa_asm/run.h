#pragma once
// vexa-asm as a function over streams, for tests.
#include <cstdio>
#include <string>

#include "tools/common/cli_support.h"
#include "tools/vexa_asm/options.h"

namespace vexa::asmcli {

using cli::kExitBadInput;
using cli::kExitOk;

int RunVexaAsm(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

// Assembles one line and appends its output (text or JSON) to `out`; on a
// bad line appends the JSON error object (with --json) and sets `message`.
bool AssembleLine(const Options& options, const char* text, unsigned long lineNumber, bool colour, std::string& out,
                  std::string& message);

}  // namespace vexa::asmcli
