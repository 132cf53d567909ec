#include "tools/common/cli_support.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vexa::cli {
namespace {

constexpr size_t kReadBlock = 1 << 16;

}  // namespace

bool CheckCommonOptions(const CommonOptions& options, std::string& error) {
    if (!options.explain || !options.json) return true;
    error = "--explain and --json cannot be combined";
    return false;
}

void Flush(std::string& out, std::FILE* stream) {
    std::fwrite(out.data(), 1, out.size(), stream);
    out.clear();
}

void AppendOptionLine(std::string& text, const std::string& name, const char* description, size_t column) {
    std::string line = name;
    line.resize(std::max(column, name.size() + 1), ' ');
    for (const char* c = description; *c != '\0'; ++c) {
        line += *c;
        if (*c == '\n') line.append(column, ' ');
    }
    text += line + "\n";
}

int StartStatus(const char* program, bool parsed, const std::string& error, bool help, std::string (*usage)(),
                std::FILE* out, std::FILE* err) {
    if (!parsed) {
        std::fprintf(err, "%s: %s\n", program, error.c_str());
        return kExitBadInput;
    }
    if (help) {
        std::fputs(usage().c_str(), out);
        return kExitOk;
    }
    return -1;
}

void ForEachLine(std::FILE* in, const std::function<void(char* text, size_t length, unsigned long number)>& line) {
    std::vector<char> block(kReadBlock + 1);  // one byte more than is read into it, for a final zero
    size_t filled = 0;                        // bytes in the block
    size_t begin = 0;                         // the first byte of the next line
    bool atEnd = false;
    unsigned long number = 0;
    for (;;) {
        char* const data = block.data();
        char* lineEnd = static_cast<char*>(std::memchr(data + begin, '\n', filled - begin));
        if (lineEnd == nullptr && !atEnd) {
            // Keep the unfinished line, read more after it; a line longer than the block grows it.
            std::memmove(data, data + begin, filled - begin);
            filled -= begin;
            begin = 0;
            if (block.size() - 1 - filled < kReadBlock / 2) block.resize(block.size() + kReadBlock);
            const size_t got = std::fread(block.data() + filled, 1, block.size() - 1 - filled, in);
            if (got == 0) atEnd = true;
            filled += got;
            continue;
        }
        if (lineEnd == nullptr && begin == filled) return;  // the input ended after a '\n'
        char* const text = data + begin;
        const size_t length = static_cast<size_t>((lineEnd != nullptr ? lineEnd : data + filled) - text);
        begin = lineEnd != nullptr ? begin + length + 1 : filled;
        text[length] = '\0';
        line(text, length, ++number);
    }
}

}  // namespace vexa::cli
