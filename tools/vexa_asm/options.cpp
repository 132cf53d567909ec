#include "tools/vexa_asm/options.h"

namespace vexa::asmcli {
namespace {

using cli::CheckCommonOptions;
using cli::FindOption;

constexpr size_t kDescriptionColumn = 13;

}  // namespace

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {"--16", "assemble 16-bit code", [](Options& o) { o.is32BitMode = false; }},
        {"--32", "assemble 32-bit code (the default)", [](Options& o) { o.is32BitMode = true; }},
        {"--upper", "show the instruction line in capitals", [](Options& o) { o.upperCase = true; }},
        {"--json",
         "print one JSON object per instruction: \"line\", \"input\", \"bytes\",\n"
         "\"length\" and \"instruction\", or \"error\" for a bad one",
         [](Options& o) { o.json = true; }},
        {"--all", "after the chosen encoding, every other one, shortest first",
         [](Options& o) { o.all = true; }},
        {"--batch", "read one instruction per line from standard input", [](Options& o) { o.batch = true; }},
        {"--explain", "after the two lines, vexa-decode's breakdown of the bytes",
         [](Options& o) { o.explain = true; }},
        {"--help", "show this text", [](Options& o) { o.help = true; }},
    };
    return table;
}

bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.size() < 2 || argument.substr(0, 2) != "--") {
            // "-1" and "[eax-4]" are text.
            if (!options.text.empty()) options.text += ' ';
            options.text += argument;
            continue;
        }
        const OptionSpec* match = FindOption(OptionTable(), argument, error);
        if (match == nullptr) return false;
        match->apply(options);
    }
    if (options.help) return true;
    if (!CheckCommonOptions(options, error)) return false;
    if (options.batch && !options.text.empty()) {
        error = "--batch reads instructions from standard input; unexpected text '" + options.text + "'";
        return false;
    }
    if (!options.batch && options.text.empty()) {
        error = "no instruction given (see --help)";
        return false;
    }
    return true;
}

std::string UsageText() {
    std::string text =
        "usage: vexa-asm [options] TEXT...\n"
        "       vexa-asm --batch [options] < lines\n"
        "\n"
        "Assembles one x86 instruction written in Intel order (\"mov eax, [ebx+4]\") and\n"
        "prints what vexa-decode prints for its bytes: the instruction line and the\n"
        "bytes line. The bytes are the shortest encoding that decodes back to the same\n"
        "text; of equally short ones, the lowest. Numbers are hex: 1F, 0x1F or 1Fh.\n"
        "\n"
        "options:\n";
    for (const OptionSpec& option : OptionTable()) {
        cli::AppendOptionLine(text, "  " + std::string(option.name), option.description, kDescriptionColumn);
    }
    text +=
        "\n"
        "exit status: 0 when every instruction was assembled, 2 when any input was\n"
        "bad; with --batch a bad line is reported with its line number and the run\n"
        "goes on.\n";
    return text;
}

}  // namespace vexa::asmcli
