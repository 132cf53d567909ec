#include "tools/vexa_decode/options.h"

#include "decoder/decoder.h"

namespace vexa::cli {

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {"--16", "decode 16-bit code", [](Options& o) { o.is32BitMode = false; }},
        {"--32", "decode 32-bit code (the default)", [](Options& o) { o.is32BitMode = true; }},
        {"--upper", "show the instruction line in capitals", [](Options& o) { o.upperCase = true; }},
        {"--json", "print one JSON object per instruction: the record and both lines",
         [](Options& o) { o.json = true; }},
        {"--batch", "read one instruction per line from standard input", [](Options& o) { o.batch = true; }},
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
        for (const OptionSpec& spec : OptionTable()) {
            if (argument == spec.name) match = &spec;
        }
        if (match == nullptr) {
            error = "unknown option '" + std::string(argument) + "' (see --help)";
            return false;
        }
        match->apply(options);
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
    for (const OptionSpec& spec : OptionTable()) {
        std::string name = "  " + std::string(spec.name);
        name.resize(12, ' ');
        text += name + spec.description + "\n";
    }
    text +=
        "\n"
        "exit status: 0 when every instruction was decoded (INVALID is a result),\n"
        "2 for bad input; with --batch a bad line is reported with its line number\n"
        "and the run goes on.\n";
    return text;
}

}  // namespace vexa::cli
