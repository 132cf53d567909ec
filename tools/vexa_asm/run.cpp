#include "tools/vexa_asm/run.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "assembler/assembler.h"
#include "formatter/display_lines.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::asmcli {
namespace {

constexpr char kProgramName[] = "vexa-asm";
constexpr size_t kFlushThreshold = 1 << 16;
constexpr size_t kReadBlock = 1 << 16;

void Flush(std::string& out, std::FILE* stream) {
    std::fwrite(out.data(), 1, out.size(), stream);
    out.clear();
}

cli::HexBytes ToHexBytes(const AssembledBytes& encoding) {
    cli::HexBytes bytes;
    std::memcpy(bytes.window.data(), encoding.bytes, encoding.length);
    bytes.count = encoding.length;
    return bytes;
}

// The bytes line without its trailing blank.
void AppendBytesValue(std::string& out, const cli::DecodeResult& result) {
    std::string bytes = result.bytesLine;
    if (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    cli::AppendJsonString(out, bytes.c_str());
}

// One instruction from the line the assembler checked: what BuildDisplayLines
// makes of the same bytes, without decoding them again.
void AppendChecked(const Options& options, const char* text, unsigned long lineNumber, const AssembledBytes& encoding,
                   char* line, std::string& out) {
    if (options.upperCase) ToUpperAscii(line);
    char bytesLine[kDisplayLineSize];
    BuildBytesLine(encoding.bytes, encoding.length, bytesLine);
    if (options.json) {
        out += "{\"line\":" + std::to_string(lineNumber) + ",\"input\":";
        cli::AppendJsonString(out, text);
        out += ",\"bytes\":";
        std::string bytes = bytesLine;
        if (!bytes.empty()) bytes.pop_back();
        cli::AppendJsonString(out, bytes.c_str());
        out += ",\"length\":" + std::to_string(encoding.length) + ",\"instruction\":";
        cli::AppendJsonString(out, line);
        out += "}\n";
        return;
    }
    out += line;
    out += '\n';
    out += bytesLine;
    out += '\n';
}

bool IsBlankLine(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
    }
    return true;
}

}  // namespace

bool AssembleLine(const Options& options, const char* text, unsigned long lineNumber, bool colour, std::string& out,
                  std::string& message) {
    AssembledBytes encodings[kMaxListedEncodings];
    unsigned count = 0;
    AssembleError error;
    bool ok;
    if (options.all) {
        ok = ListEncodings(text, options.is32BitMode, encodings, kMaxListedEncodings, &count, &error);
    } else {
        unsigned length = 0;
        char line[kAssembledLineSize];
        ok = AssembleInstruction(text, options.is32BitMode, encodings[0].bytes, &length, line, &error);
        encodings[0].length = static_cast<uint8_t>(length);
        count = ok ? 1 : 0;
        if (ok && !options.explain) {
            // The line the assembler checked is the one vexa-decode would build.
            AppendChecked(options, text, lineNumber, encodings[0], line, out);
            return true;
        }
    }
    if (!ok) {
        message = error.message;
        if (options.json) {
            out += "{\"line\":" + std::to_string(lineNumber) + ",\"input\":";
            cli::AppendJsonString(out, text);
            out += ",\"error\":";
            cli::AppendJsonString(out, error.message);
            out += "}\n";
        }
        return false;
    }
    static cli::DecodeResult result;
    if (options.json) {
        cli::DecodeBytes(ToHexBytes(encodings[0]), options.is32BitMode, options.upperCase, result);
        out += "{\"line\":" + std::to_string(lineNumber) + ",\"input\":";
        cli::AppendJsonString(out, text);
        out += ",\"bytes\":";
        AppendBytesValue(out, result);
        out += ",\"length\":" + std::to_string(encodings[0].length) + ",\"instruction\":";
        cli::AppendJsonString(out, result.instructionLine);
        if (options.all) {
            out += ",\"encodings\":[";
            for (unsigned i = 0; i < count; ++i) {
                cli::DecodeBytes(ToHexBytes(encodings[i]), options.is32BitMode, options.upperCase, result);
                if (i > 0) out += ',';
                AppendBytesValue(out, result);
            }
            out += ']';
        }
        out += "}\n";
        return true;
    }
    for (unsigned i = 0; i < count; ++i) {
        const cli::HexBytes bytes = ToHexBytes(encodings[i]);
        cli::DecodeBytes(bytes, options.is32BitMode, options.upperCase, result);
        out += result.instructionLine;
        out += '\n';
        out += result.bytesLine;
        out += '\n';
        if (options.explain) cli::AppendExplanation(out, bytes, result, colour);
    }
    return true;
}

int RunVexaAsm(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Options options;
    std::string message;
    if (!ParseArguments(argc, argv, options, message)) {
        std::fprintf(err, "%s: %s\n", kProgramName, message.c_str());
        return kExitBadInput;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), out);
        return kExitOk;
    }
    const bool colour = options.explain && cli::ShouldColour(out);
    std::string text;
    if (!options.batch) {
        const bool ok = AssembleLine(options, options.text.c_str(), 1, colour, text, message);
        Flush(text, out);
        if (ok) return kExitOk;
        std::fprintf(err, "%s: %s\n", kProgramName, message.c_str());
        return kExitBadInput;
    }
    // Standard input in large blocks, cut into lines in place: each line's
    // '\n' becomes its terminating zero. A line longer than the block grows it.
    std::vector<char> block(kReadBlock + 1);
    size_t filled = 0;  // bytes in the block
    size_t begin = 0;   // the first byte of the next line
    bool atEnd = false;
    text.reserve(2 * kFlushThreshold);
    int status = kExitOk;
    unsigned long lineNumber = 0;
    for (;;) {
        char* const data = block.data();
        char* lineEnd = static_cast<char*>(std::memchr(data + begin, '\n', filled - begin));
        if (lineEnd == nullptr && !atEnd) {
            // Keep the unfinished line, read more after it.
            std::memmove(data, data + begin, filled - begin);
            filled -= begin;
            begin = 0;
            if (block.size() - 1 - filled < kReadBlock / 2) block.resize(block.size() + kReadBlock);
            const size_t got = std::fread(block.data() + filled, 1, block.size() - 1 - filled, in);
            if (got == 0) atEnd = true;
            filled += got;
            continue;
        }
        if (lineEnd == nullptr && begin == filled) break;  // the input ended after a '\n'
        char* const line = data + begin;
        size_t length = (lineEnd != nullptr ? lineEnd : data + filled) - line;
        begin = lineEnd != nullptr ? begin + length + 1 : filled;
        line[length] = '\0';
        ++lineNumber;
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
        if (IsBlankLine(line)) continue;
        if (!AssembleLine(options, line, lineNumber, colour, text, message)) {
            Flush(text, out);
            std::fflush(out);
            std::fprintf(err, "%s: line %lu: %s\n", kProgramName, lineNumber, message.c_str());
            status = kExitBadInput;
            continue;
        }
        if (text.size() >= kFlushThreshold) Flush(text, out);
    }
    Flush(text, out);
    return status;
}

}  // namespace vexa::asmcli
