#pragma once
// Command-line options of vexa-decode. Every option is one row of a table, so
// a new option is a new Options field plus a new row.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/cli_support.h"

namespace vexa::cli {

struct Options : CommonOptions {
    // The listing: every instruction of the input, with addresses.
    bool list = false;
    bool raw = false;             // standard input holds the bytes themselves, not hex
    std::string_view filePath;    // --file; points into argv
    uint64_t skip = 0;            // bytes of the file left out before the listing
    uint64_t count = UINT64_MAX;  // bytes listed at most
    uint32_t origin = 0;          // address of the first byte listed
    // The HEX arguments, in order; they point into argv.
    std::vector<std::string_view> hexArguments;
};

struct OptionSpec {
    const char* name;       // "--upper"
    const char* valueName;  // "ADDR" for an option that takes a value, else nullptr
    const char* description;
    // Sets the option; false for a value it cannot take.
    bool (*apply)(Options& options, std::string_view value);
};

// The options vexa-decode understands, in the order --help lists them.
const std::vector<OptionSpec>& OptionTable();

// A number as --skip and --count take it: decimal, or hex as 0x400 or 400h.
bool ParseCount(std::string_view text, uint64_t& value);
// An address as --org takes it, always hex: 7C00, 0x7C00 or 7C00h; 32 bits at most.
bool ParseAddress(std::string_view text, uint32_t& value);

// Parses argv[1..argc-1]. Arguments starting with "-" are options, everything
// else is HEX. False with a one-line message in `error` for an unknown option
// or a bad value, for HEX arguments given together with --batch, --raw or
// --file, for the listing's options without --list, or for --explain with --json.
bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error);

// The --help text.
std::string UsageText();

}  // namespace vexa::cli
