#include "tools/common/cli_support.h"

#include <algorithm>
#include <cstring>

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

LineReader::LineReader(std::FILE* in) : in_(in), block_(kReadBlock + 1) {}

char* LineReader::Next(size_t& length) {
    for (;;) {
        char* const data = block_.data();
        char* lineEnd = static_cast<char*>(std::memchr(data + begin_, '\n', filled_ - begin_));
        if (lineEnd == nullptr && !atEnd_) {
            // Keep the unfinished line, read more after it.
            std::memmove(data, data + begin_, filled_ - begin_);
            filled_ -= begin_;
            begin_ = 0;
            if (block_.size() - 1 - filled_ < kReadBlock / 2) block_.resize(block_.size() + kReadBlock);
            const size_t got = std::fread(block_.data() + filled_, 1, block_.size() - 1 - filled_, in_);
            if (got == 0) atEnd_ = true;
            filled_ += got;
            continue;
        }
        if (lineEnd == nullptr && begin_ == filled_) return nullptr;  // the input ended after a '\n'
        char* const line = data + begin_;
        length = static_cast<size_t>((lineEnd != nullptr ? lineEnd : data + filled_) - line);
        begin_ = lineEnd != nullptr ? begin_ + length + 1 : filled_;
        line[length] = '\0';
        return line;
    }
}

}  // namespace vexa::cli
