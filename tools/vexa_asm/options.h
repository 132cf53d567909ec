#pragma once
// Command-line options of vexa-asm, one row of a table each, as vexa-decode's.
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/cli_support.h"

namespace vexa::asmcli {

struct Options : cli::CommonOptions {
    bool all = false;
    // The TEXT arguments, joined by blanks into one instruction.
    std::string text;
};

struct OptionSpec {
    const char* name;
    const char* description;
    void (*apply)(Options& options);
};

const std::vector<OptionSpec>& OptionTable();

// Parses argv[1..argc-1]: options start with "--", everything else is text.
// False with a one-line message for an unknown option, for text together
// with --batch, for --explain with --json, or for no text without --batch.
bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error);

std::string UsageText();

}  // namespace vexa::asmcli
