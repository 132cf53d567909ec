#pragma once
// What vexa-decode and vexa-asm do alike: exit statuses, the --help option
// list, buffered output and the --batch line reader.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::cli {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;

// The options both tools take, each set by one row of its option table.
struct CommonOptions {
    bool is32BitMode = true;
    bool upperCase = false;
    bool json = false;
    bool batch = false;
    bool explain = false;
    bool help = false;
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
// have none).
template <class LineFunction>
void ForEachLine(std::FILE* in, LineFunction&& line);

// The reader behind ForEachLine: standard input in large blocks, cut into
// lines in place; a line longer than the block grows it.
class LineReader {
public:
    explicit LineReader(std::FILE* in);
    // The next line, or nullptr at the end of the input.
    char* Next(size_t& length);

private:
    std::FILE* in_;
    std::vector<char> block_;  // one byte more than is read into it, for a final zero
    size_t filled_ = 0;  // bytes in the block
    size_t begin_ = 0;   // the first byte of the next line
    bool atEnd_ = false;
};

template <class LineFunction>
void ForEachLine(std::FILE* in, LineFunction&& line) {
    LineReader reader(in);
    unsigned long number = 0;
    size_t length = 0;
    while (char* text = reader.Next(length)) {
        line(text, length, ++number);
    }
}

}  // namespace vexa::cli
