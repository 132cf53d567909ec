#include "tools/vexa_decode/run.h"

#include <string>

#include "tools/common/cli_support.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/hex_input.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/listing.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::cli {
namespace {

void AppendResult(std::string& out, const Options& options, const HexBytes& bytes, const DecodeResult& result,
                  bool colour) {
    if (options.json) {
        AppendJsonRecord(out, result);
        return;
    }
    out += result.instructionLine;
    out += '\n';
    out += result.bytesLine;
    out += '\n';
    if (options.explain) AppendExplanation(out, bytes, result, colour);
}

}  // namespace

int DecodeArguments(const Options& options, std::FILE* out, std::FILE* err) {
    HexBytes bytes;
    HexParseError error;
    if (!ParseHexArguments(options.hexArguments, bytes, error)) {
        std::fprintf(err, "%s: %s\n", kProgramName, DescribeHexError(error).c_str());
        return kExitBadInput;
    }
    DecodeResult result;
    DecodeBytes(bytes, options.is32BitMode, options.upperCase, result);
    std::string text;
    AppendResult(text, options, bytes, result, options.explain && ShouldColour(out));
    Flush(text, out);
    const unsigned length = InstructionLength(result.record);
    if (result.decodeOk && bytes.count > length) {
        std::fprintf(err,
                     "%s: note: the instruction takes %u of the %zu bytes given; %zu were not decoded (--list decodes "
                     "them all)\n",
                     kProgramName, length, bytes.count, bytes.count - length);
    }
    return kExitOk;
}

int DecodeBatch(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
    // One output buffer and one result for the whole run.
    std::string text;
    text.reserve(2 * kFlushThreshold);
    HexBytes bytes;
    HexParseError error;
    DecodeResult result;
    int status = kExitOk;
    const bool colour = options.explain && ShouldColour(out);
    ForEachLine(in, [&](char* line, size_t length, unsigned long lineNumber) {
        if (!ParseHexLine(std::string_view(line, length), bytes, error)) {
            Flush(text, out);
            std::fprintf(err, "%s: line %lu: %s\n", kProgramName, lineNumber, DescribeHexError(error).c_str());
            status = kExitBadInput;
            return;
        }
        DecodeBytes(bytes, options.is32BitMode, options.upperCase, result);
        AppendResult(text, options, bytes, result, colour);
        if (text.size() >= kFlushThreshold) Flush(text, out);
    });
    Flush(text, out);
    return status;
}

int RunVexaDecode(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Options options;
    std::string message;
    const bool parsed = ParseArguments(argc, argv, options, message);
    if (const int status = StartStatus(kProgramName, parsed, message, options.help, UsageText, out, err); status >= 0)
        return status;
    if (options.list) return ListInstructions(options, in, out, err);
    return options.batch ? DecodeBatch(options, in, out, err) : DecodeArguments(options, out, err);
}

}  // namespace vexa::cli
