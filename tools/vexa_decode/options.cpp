#include "tools/vexa_decode/options.h"

#include "decoder/decoder.h"
#include "tools/vexa_decode/explanation.h"

namespace vexa::cli {
namespace {

constexpr size_t kDescriptionColumn = 13;

}  // namespace

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {"--16", "decode 16-bit code", [](Options& o) { o.is32BitMode = false; }},
        {"--32", "decode 32-bit code (the default)", [](Options& o) { o.is32BitMode = true; }},
        {"--upper", "show the instruction line in capitals", [](Options& o) { o.upperCase = true; }},
        {"--json", "print one JSON object per instruction: the record and both lines",
         [](Options& o) { o.json = true; }},
        {"--batch", "read one instruction per line from standard input", [](Options& o) { o.batch = true; }},
        {"--explain",
         "after the two lines, break the instruction down: the role of\n"
         "each byte, the opcode's bit fields, ModR/M and SIB field by\n"
         "field, the operand and address size, and why an INVALID\n"
         "result is invalid; an empty line ends each breakdown. On a\n"
         "terminal the roles are coloured, unless NO_COLOR is set",
         [](Options& o) { o.explain = true; }},
        {"--help", "show this text", [](Options& o) { o.help = true; }},
    };
    return table;
}

bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.empty() || argument.front() != '-') {
            options.hexArguments.push_back(argument);
            continue;
        }
        const OptionSpec* match = nullptr;
        for (const OptionSpec& option : OptionTable()) {
            if (argument == option.name) match = &option;
        }
        if (match == nullptr) {
            error = "unknown option '" + std::string(argument) + "' (see --help)";
            return false;
        }
        match->apply(options);
    }
    if (options.explain && options.json && !options.help) {
        error = "--explain and --json cannot be combined";
        return false;
    }
    if (options.batch && !options.hexArguments.empty() && !options.help) {
        error = "--batch reads instructions from standard input; unexpected argument '" +
                std::string(options.hexArguments.front()) + "'";
        return false;
    }
    return true;
}

std::string UsageText() {
    std::string text =
        "usage: vexa-decode [options] HEX...\n"
        "       vexa-decode --batch [options] < lines\n"
        "\n"
        "Decodes one x86 instruction and prints two lines: the instruction (mnemonic,\n"
        "a tab, the operands) and its bytes. HEX is the instruction's bytes as hex\n"
        "pairs, spaces optional (\"66 89 40 12\" or 66894012), at most " +
        std::to_string(kDecodeWindow) +
        " bytes;\n"
        "bytes the decoder reads past them read as 00.\n"
        "\n"
        "options:\n";
    for (const OptionSpec& option : OptionTable()) {
        std::string name = "  " + std::string(option.name);
        name.resize(kDescriptionColumn, ' ');
        // Continuation lines of a long description line up under its first.
        for (const char* c = option.description; *c != '\0'; ++c) {
            name += *c;
            if (*c == '\n') name.append(kDescriptionColumn, ' ');
        }
        text += name + "\n";
    }
    text +=
        "\n"
        "exit status: 0 when every instruction was decoded (INVALID is a result),\n"
        "2 for bad input; with --batch a bad line is reported with its line number\n"
        "and the run goes on.\n"
        "\n"
        "example of --explain:\n" +
        ExplanationExample();
    return text;
}

}  // namespace vexa::cli
