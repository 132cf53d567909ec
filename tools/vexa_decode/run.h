#pragma once
// vexa-decode as a function over streams, so that tests and fuzzers can run it
// without a process.
#include <cstdio>

#include "tools/common/cli_support.h"
#include "tools/vexa_decode/options.h"

namespace vexa::cli {

constexpr char kProgramName[] = "vexa-decode";

// The whole program: parses the arguments, then decodes the HEX arguments,
// with --batch every line of `in`, or with --list the whole input. Returns the exit status.
int RunVexaDecode(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

// Decodes with options already parsed.
int DecodeArguments(const Options& options, std::FILE* out, std::FILE* err);
int DecodeBatch(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace vexa::cli
