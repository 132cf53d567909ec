#pragma once
// Command-line options of vexa-decode. Every option is one row of a table, so
// a new option is a new Options field plus a new row.
#include <string>
#include <string_view>
#include <vector>

namespace vexa::cli {

struct Options {
    bool is32BitMode = true;
    bool upperCase = false;
    bool json = false;
    bool batch = false;
    bool explain = false;
    bool help = false;
    // The HEX arguments, in order; they point into argv.
    std::vector<std::string_view> hexArguments;
};

struct OptionSpec {
    const char* name;  // "--upper"
    const char* description;
    void (*apply)(Options& options);
};

// The options vexa-decode understands, in the order --help lists them.
const std::vector<OptionSpec>& OptionTable();

// Parses argv[1..argc-1]. Arguments starting with "-" are options, everything
// else is HEX. False with a one-line message in `error` for an unknown option,
// for HEX arguments given together with --batch, or for --explain with --json.
bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error);

// The --help text.
std::string UsageText();

}  // namespace vexa::cli
