#include "tools/vexa_decode/listing.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/hex_input.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/run.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::cli {
namespace {

constexpr char kTruncatedText[] = "(truncated)";

// "00" to "FF", each pair followed by two blanks: one 4-byte store writes a
// byte of the bytes column and its separator (the next pair overwrites the
// second blank).
struct HexPairs {
    char text[256][4];
    constexpr HexPairs() : text() {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (unsigned i = 0; i < 256; ++i)
            text[i][0] = kDigits[i >> 4], text[i][1] = kDigits[i & 15], text[i][2] = text[i][3] = ' ';
    }
};
constexpr HexPairs kHexPairs;

// `digits` (4 or 8) upper-case hex digits of `value`.
char* PutHex(char* at, uint32_t value, unsigned digits) {
    for (unsigned i = digits; i > 0; i -= 2, value >>= 8) std::memcpy(at + i - 2, kHexPairs.text[value & 0xFF], 2);
    return at + digits;
}

// Takes the input as it comes, applies --skip and --count, and lists every
// instruction the walker completes into one output buffer.
class Lister {
public:
    Lister(const Options& options, std::FILE* out)
        : options_(options),
          out_(out),
          walker_(options.is32BitMode, options.origin),
          skip_(options.skip),
          left_(options.count),
          colour_(options.explain && ShouldColour(out)),
          buffer_(new char[kBufferSize]) {}

    void Feed(const uint8_t* data, size_t count) {
        while (count > 0 && left_ > 0) {
            uint8_t* space = walker_.Space();
            const size_t piece = std::min(count, walker_.Room());
            std::memcpy(space, data, piece);
            data += piece;
            count -= piece;
            Take(space, piece);
        }
    }

    // Reads `fd` to its end straight into the walker; false on a read error,
    // with errno set. The lines of each read are written before the next, so
    // that they appear at once on a pipe.
    bool ReadAll(int fd) {
        while (left_ > 0) {
            uint8_t* space = walker_.Space();
            const ssize_t got = read(fd, space, walker_.Room());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return false;
            if (got == 0) break;
            Take(space, static_cast<size_t>(got));
            Flush();
        }
        return true;
    }

    void Finish() {
        walker_.Finish();
        Drain();
        Flush();
    }

    void Flush() {
        std::fwrite(buffer_.get(), 1, used_, out_);
        std::fflush(out_);
        used_ = 0;
    }

private:
    // Written out when another line might not fit.
    static constexpr size_t kBufferSize = (size_t{1} << 16) + kListingLineSize;

    // `count` bytes just placed at `space`, the walker's free space.
    void Take(uint8_t* space, size_t count) {
        const size_t skipped = static_cast<size_t>(std::min<uint64_t>(skip_, count));
        skip_ -= skipped;
        count = static_cast<size_t>(std::min<uint64_t>(count - skipped, left_));
        if (count == 0) return;
        if (skipped > 0) std::memmove(space, space + skipped, count);
        left_ -= count;
        walker_.Commit(count);
        Drain();
    }

    void Drain() {
        WalkedInstruction instruction;
        while (walker_.Next(instruction)) {
            if (used_ + kListingLineSize > kBufferSize) Flush();
            if (!options_.json && !options_.explain) {
                used_ = static_cast<size_t>(PutListingLine(buffer_.get() + used_, instruction, options_.upperCase) -
                                            buffer_.get());
            } else {
                EmitWithRecord(instruction);
            }
        }
    }

    // --json and --explain, which build the record's lines and text.
    void EmitWithRecord(const WalkedInstruction& instruction) {
        DecodeResult& result = result_;
        result.is32BitMode = options_.is32BitMode;
        result.record = instruction.record;
        result.decodeOk = instruction.decodeOk;
        result.formatOk = BuildDisplayLines(instruction.window, result.record, result.decodeOk, options_.upperCase,
                                            result.instructionLine, result.bytesLine);
        text_.clear();
        if (options_.json) {
            const JsonPlace place{instruction.address, instruction.window, instruction.length, instruction.truncated};
            AppendJsonRecord(text_, result, &place);
        } else {
            char line[kListingLineSize];
            text_.append(line, PutListingLine(line, instruction, options_.upperCase));
            HexBytes bytes;
            std::memcpy(bytes.window.data(), instruction.window, kDecodeWindow);
            bytes.count = instruction.available;
            AppendExplanation(text_, bytes, result, colour_);
        }
        if (used_ + text_.size() > kBufferSize) Flush();
        if (text_.size() > kBufferSize) {
            std::fwrite(text_.data(), 1, text_.size(), out_);
            return;
        }
        std::memcpy(buffer_.get() + used_, text_.data(), text_.size());
        used_ += text_.size();
    }

    const Options& options_;
    std::FILE* out_;
    InstructionWalker walker_;
    uint64_t skip_;
    uint64_t left_;
    bool colour_;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    std::string text_;  // one --json or --explain entry; keeps its capacity
    DecodeResult result_;
};

int ReadError(std::FILE* err, std::string_view name, int error) {
    std::fprintf(err, "%s: cannot read %.*s: %s\n", kProgramName, static_cast<int>(name.size()), name.data(),
                 std::strerror(error));
    return kExitBadInput;
}

int ListFile(Lister& lister, const Options& options, std::FILE* err) {
    const std::string path(options.filePath);
    const std::string name = "'" + path + "'";
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(err, "%s: cannot open %s: %s\n", kProgramName, name.c_str(), std::strerror(errno));
        return kExitBadInput;
    }
    const bool ok = lister.ReadAll(fd);
    const int error = errno;
    close(fd);
    if (!ok) {
        lister.Flush();
        return ReadError(err, name, error);
    }
    lister.Finish();
    return kExitOk;
}

int ListArguments(Lister& lister, const Options& options, std::FILE* err) {
    size_t capacity = 0;
    for (std::string_view argument : options.hexArguments) capacity += argument.size();
    std::vector<uint8_t> bytes(capacity);
    size_t count = 0;
    HexParseError error;
    for (std::string_view argument : options.hexArguments) {
        if (!AppendHexText(argument, bytes.data(), bytes.size(), count, error)) {
            std::fprintf(err, "%s: %s\n", kProgramName, DescribeHexError(error).c_str());
            return kExitBadInput;
        }
    }
    if (count == 0) {
        std::fprintf(err, "%s: %s\n", kProgramName, DescribeHexError(HexParseError{HexError::NoBytes, {}, 0}).c_str());
        return kExitBadInput;
    }
    lister.Feed(bytes.data(), count);
    lister.Finish();
    return kExitOk;
}

// Hex from standard input, line by line; a bad line ends the listing there.
int ListHexLines(Lister& lister, std::FILE* in, std::FILE* err) {
    char* line = nullptr;
    size_t capacity = 0;
    std::vector<uint8_t> bytes;
    unsigned long lineNumber = 0;
    int status = kExitOk;
    ssize_t length;
    while ((length = getline(&line, &capacity, in)) >= 0) {
        ++lineNumber;
        bytes.resize(std::max(bytes.size(), static_cast<size_t>(length)));
        size_t count = 0;
        HexParseError error;
        if (!AppendHexText(std::string_view(line, static_cast<size_t>(length)), bytes.data(), bytes.size(), count,
                           error)) {
            // The lines before it are listed to their end, as if the input ended there.
            lister.Finish();
            std::fprintf(err, "%s: line %lu: %s; the listing stops here\n", kProgramName, lineNumber,
                         DescribeHexError(error).c_str());
            status = kExitBadInput;
            break;
        }
        lister.Feed(bytes.data(), count);
        lister.Flush();
    }
    std::free(line);
    if (status == kExitOk) lister.Finish();
    return status;
}

}  // namespace

char* PutListingLine(char* at, const WalkedInstruction& instruction, bool upperCase) {
    const unsigned digits = instruction.is32BitMode ? 8 : 4;
    at = PutHex(at, instruction.address, digits);
    // Blanks over the whole bytes column and the gaps on its sides, then the bytes.
    constexpr size_t kColumn = 2 + kListingBytesWidth + 2;
    static constexpr char kBlanks[kColumn + 1] = "                                                ";
    static_assert(sizeof kBlanks - 1 == kColumn);
    std::memcpy(at, kBlanks, kColumn);
    char* const text = at + kColumn;
    const unsigned count = std::min<unsigned>(instruction.length, kMaxInstructionLength);
    for (unsigned i = 0; i < count; ++i) std::memcpy(at + 2 + 3 * i, kHexPairs.text[instruction.window[i]], 4);
    at = text;
    if (instruction.truncated) {
        at = std::copy_n(kTruncatedText, sizeof kTruncatedText - 1, at);
    } else {
        at = BuildInstructionLine(instruction.record, instruction.decodeOk, upperCase, text);
        if (at == nullptr) at = text + std::strlen(text);
    }
    if (instruction.hasTarget) {
        at = std::copy_n("  ; ", 4, at);
        at = PutHex(at, instruction.target, digits);
    }
    *at++ = '\n';
    return at;
}

int ListInstructions(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
    Lister lister(options, out);
    int status;
    if (!options.filePath.empty()) {
        status = ListFile(lister, options, err);
    } else if (!options.hexArguments.empty()) {
        status = ListArguments(lister, options, err);
    } else if (!options.raw) {
        status = ListHexLines(lister, in, err);
    } else if (!lister.ReadAll(fileno(in))) {
        const int error = errno;
        lister.Flush();
        status = ReadError(err, "standard input", error);
    } else {
        lister.Finish();
        status = kExitOk;
    }
    // A listing that did not reach its reader (a full disk, a closed pipe) is no success.
    if (std::ferror(out)) {
        std::fprintf(err, "%s: cannot write the listing: %s\n", kProgramName, std::strerror(errno));
        return kExitBadInput;
    }
    return status;
}

}  // namespace vexa::cli
