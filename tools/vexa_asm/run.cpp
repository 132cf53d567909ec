#include "tools/vexa_asm/run.h"

#include <cstring>

#include "assembler/assembler.h"
#include "formatter/display_lines.h"
#include "tools/common/cli_support.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::asmcli {
namespace {

constexpr char kProgramName[] = "vexa-asm";
using cli::Flush;
using cli::kFlushThreshold;

cli::HexBytes ToHexBytes(const AssembledBytes& encoding) {
    cli::HexBytes bytes;
    std::memcpy(bytes.window.data(), encoding.bytes, encoding.length);
    bytes.count = encoding.length;
    return bytes;
}

// A bytes line as a JSON string, without its trailing blank.
void AppendBytesValue(std::string& out, const char* bytesLine) {
    std::string bytes = bytesLine;
    if (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    cli::AppendJsonString(out, bytes.c_str());
}

// The members every JSON object starts with: the line number and the text read.
void AppendJsonStart(std::string& out, unsigned long lineNumber, const char* text) {
    out += "{\"line\":" + std::to_string(lineNumber) + ",\"input\":";
    cli::AppendJsonString(out, text);
}

// One instruction from the line the assembler checked: what BuildDisplayLines
// makes of the same bytes, without decoding them again.
void AppendChecked(const Options& options, const char* text, unsigned long lineNumber, const AssembledBytes& encoding,
                   char* line, std::string& out) {
    if (options.upperCase) ToUpperAscii(line);
    char bytesLine[kDisplayLineSize];
    BuildBytesLine(encoding.bytes, encoding.length, bytesLine);
    if (options.json) {
        AppendJsonStart(out, lineNumber, text);
        out += ",\"bytes\":";
        AppendBytesValue(out, bytesLine);
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
            AppendJsonStart(out, lineNumber, text);
            out += ",\"error\":";
            cli::AppendJsonString(out, error.message);
            out += "}\n";
        }
        return false;
    }
    static cli::DecodeResult result;
    if (options.json) {
        cli::DecodeBytes(ToHexBytes(encodings[0]), options.is32BitMode, options.upperCase, result);
        AppendJsonStart(out, lineNumber, text);
        out += ",\"bytes\":";
        AppendBytesValue(out, result.bytesLine);
        out += ",\"length\":" + std::to_string(encodings[0].length) + ",\"instruction\":";
        cli::AppendJsonString(out, result.instructionLine);
        if (options.all) {
            out += ",\"encodings\":[";
            for (unsigned i = 0; i < count; ++i) {
                cli::DecodeBytes(ToHexBytes(encodings[i]), options.is32BitMode, options.upperCase, result);
                if (i > 0) out += ',';
                AppendBytesValue(out, result.bytesLine);
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
    const bool parsed = ParseArguments(argc, argv, options, message);
    if (const int status = cli::StartStatus(kProgramName, parsed, message, options.help, UsageText, out, err);
        status >= 0)
        return status;
    const bool colour = options.explain && cli::ShouldColour(out);
    std::string text;
    if (!options.batch) {
        const bool ok = AssembleLine(options, options.text.c_str(), 1, colour, text, message);
        Flush(text, out);
        if (ok) return kExitOk;
        std::fprintf(err, "%s: %s\n", kProgramName, message.c_str());
        return kExitBadInput;
    }
    text.reserve(2 * kFlushThreshold);
    int status = kExitOk;
    cli::ForEachLine(in, [&](char* line, size_t length, unsigned long lineNumber) {
        while (length > 0 && (line[length - 1] == '\r')) line[--length] = '\0';
        if (IsBlankLine(line)) return;
        if (!AssembleLine(options, line, lineNumber, colour, text, message)) {
            Flush(text, out);
            std::fflush(out);
            std::fprintf(err, "%s: line %lu: %s\n", kProgramName, lineNumber, message.c_str());
            status = kExitBadInput;
            return;
        }
        if (text.size() >= kFlushThreshold) Flush(text, out);
    });
    Flush(text, out);
    return status;
}

}  // namespace vexa::asmcli
