#pragma once
// What vexa-decode and vexa-asm do alike: exit statuses, the --help option
// list, buffered output and the --batch line reader.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::cli {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;

// The options both tools take, each set by one row of its option table.
struct CommonOptions {
    bool is32BitMode = true;
    bool upperCase = false, json = false, batch = false, explain = false, help = false;
};

// The row of `table` named `argument`; nullptr, with the message in `error`,
// for an option the tool does not know.
template <class OptionSpec>
const OptionSpec* FindOption(const std::vector<OptionSpec>& table, std::string_view argument, std::string& error) {
    for (const OptionSpec& option : table) {
        if (argument == option.name) return &option;
    }
    error = "unknown option '" + std::string(argument) + "' (see --help)";
    return nullptr;
}

// False, with the message in `error`, for --explain together with --json.
bool CheckCommonOptions(const CommonOptions& options, std::string& error);

// Output is gathered in a string and written once it holds this much.
constexpr size_t kFlushThreshold = 1 << 16;

// Writes `out` to `stream` and empties it.
void Flush(std::string& out, std::FILE* stream);

// One option of the --help list: its name padded to `column` (at least one
// blank after it), then its description, whose continuation lines line up
// under its first.
void AppendOptionLine(std::string& text, const std::string& name, const char* description, size_t column);

// The start of a run, once the arguments are parsed: -1 to go on, else the
// exit status after printing the parse error on `err` or the --help text on `out`.
int StartStatus(const char* program, bool parsed, const std::string& error, bool help, std::string (*usage)(),
                std::FILE* out, std::FILE* err);

// Calls `line(text, length, number)` for each line of `in`, numbered from 1:
// `text` is writable and ends in a zero where its '\n' was (the last line may
// have none). The input is read in large blocks and cut into lines in place.
void ForEachLine(std::FILE* in, const std::function<void(char* text, size_t length, unsigned long number)>& line);

}  // namespace vexa::cli
