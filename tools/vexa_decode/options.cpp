#include "tools/vexa_decode/options.h"

#include <charconv>

#include "decoder/decoder.h"
#include "tools/common/cli_support.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/hex_text.h"

namespace vexa::cli {
namespace {

constexpr size_t kDescriptionColumn = 16;

bool ParseNumber(std::string_view text, int base, uint64_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

// "0x7C00" and "7C00h" as "7C00"; false when it is neither.
bool StripHexMarks(std::string_view& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        return true;
    }
    if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        text.remove_suffix(1);
        return true;
    }
    return false;
}

template <auto Flag>
bool Set(Options& options, std::string_view) {
    options.*Flag = true;
    return true;
}

}  // namespace

bool ParseCount(std::string_view text, uint64_t& value) {
    const bool hex = StripHexMarks(text);
    return ParseNumber(text, hex ? 16 : 10, value);
}

bool ParseAddress(std::string_view text, uint32_t& value) {
    StripHexMarks(text);
    uint64_t wide = 0;
    if (!ParseNumber(text, 16, wide) || wide > UINT32_MAX) return false;
    value = static_cast<uint32_t>(wide);
    return true;
}

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {"--16", nullptr, "decode 16-bit code",
         [](Options& o, std::string_view) { return o.is32BitMode = false, true; }},
        {"--32", nullptr, "decode 32-bit code (the default)",
         [](Options& o, std::string_view) { return o.is32BitMode = true; }},
        {"--upper", nullptr, "show the instruction line in capitals", Set<&Options::upperCase>},
        {"--json", nullptr, "print one JSON object per instruction: the record and both lines", Set<&Options::json>},
        {"--batch", nullptr, "read one instruction per line from standard input", Set<&Options::batch>},
        {"--explain", nullptr,
         "after the two lines, break the instruction down: the role of\n"
         "each byte, the opcode's bit fields, ModR/M and SIB field by\n"
         "field, the operand and address size, and why an INVALID\n"
         "result is invalid; an empty line ends each breakdown. On a\n"
         "terminal the roles are coloured, unless NO_COLOR is set",
         Set<&Options::explain>},
        {"--list", nullptr,
         "list every instruction of the input, one line each: the\n"
         "address, the bytes, the instruction line (see below)",
         Set<&Options::list>},
        {"--raw", nullptr, "with --list, standard input holds the bytes themselves", Set<&Options::raw>},
        {"--file", "PATH", "with --list, read the bytes of the file PATH",
         [](Options& o, std::string_view v) { return o.filePath = v, !v.empty(); }},
        {"--skip", "N", "with --list, leave out the first N bytes of the input",
         [](Options& o, std::string_view v) { return ParseCount(v, o.skip); }},
        {"--count", "N", "with --list, list at most N bytes",
         [](Options& o, std::string_view v) { return ParseCount(v, o.count); }},
        {"--org", "ADDR", "with --list, the address of the first byte, in hex\n(7C00, 0x7C00 or 7C00h; 0 by default)",
         [](Options& o, std::string_view v) { return ParseAddress(v, o.origin); }},
        {"--help", nullptr, "show this text", Set<&Options::help>},
    };
    return table;
}

bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error) {
    bool listingOption = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.empty() || argument.front() != '-') {
            options.hexArguments.push_back(argument);
            continue;
        }
        const OptionSpec* match = FindOption(OptionTable(), argument, error);
        if (match == nullptr) return false;
        std::string_view value;
        if (match->valueName != nullptr) {
            if (i + 1 == argc) {
                error = std::string(match->name) + " needs a value: " + match->name + " " + match->valueName;
                return false;
            }
            value = argv[++i];
        }
        if (!match->apply(options, value)) {
            error = "bad value for " + std::string(match->name) + ": '" + std::string(value) + "'";
            return false;
        }
        const std::string_view name = match->name;
        listingOption = listingOption || name == "--raw" || match->valueName != nullptr;
    }
    if (options.help) return true;
    if (!CheckCommonOptions(options, error)) return false;
    if (listingOption && !options.list) {
        error = "--raw, --file, --skip, --count and --org work only with --list";
        return false;
    }
    const bool fromFile = !options.filePath.empty();
    if (!options.hexArguments.empty() && (options.batch || options.raw || fromFile)) {
        error = std::string(options.batch ? "--batch"
                            : options.raw ? "--raw"
                                          : "--file") +
                " reads instructions from " + (fromFile && !options.batch ? "the file" : "standard input") +
                "; unexpected argument '" + std::string(options.hexArguments.front()) + "'";
        return false;
    }
    if (options.list && !options.is32BitMode && options.origin > 0xFFFF) {
        error = "--org " + HexValue(options.origin) + " does not fit the 4-digit addresses of 16-bit code";
        return false;
    }
    if ((options.raw || options.batch) && fromFile) {
        error = "--file reads a file, --raw and --batch standard input: give one of them";
        return false;
    }
    return true;
}

std::string UsageText() {
    std::string text =
        "usage: vexa-decode [options] HEX...\n"
        "       vexa-decode --batch [options] < lines\n"
        "       vexa-decode --list [options] [HEX... | --file PATH | --raw < bytes | < hex]\n"
        "\n"
        "Decodes one x86 instruction and prints two lines: the instruction (mnemonic,\n"
        "a tab, the operands) and its bytes. HEX is the instruction's bytes as hex\n"
        "pairs, spaces optional (\"66 89 40 12\" or 66894012), or as pasted from code:\n"
        "\\x66\\x89, 0x66 0x89, 0x66, 0x89 or { 0x66, 0x89 }; at most " +
        std::to_string(kDecodeWindow) +
        " bytes;\n"
        "bytes the decoder reads past them read as 00. Bytes given past the\n"
        "instruction are not decoded (a note on standard error says so).\n"
        "\n"
        "With --list every instruction is decoded in turn, from the HEX arguments,\n"
        "the file, or standard input (hex, or the bytes themselves with --raw), and\n"
        "listed one line each:\n"
        "  00007C00  66 B8 00 00 00 00                             mov\teax, 0\n"
        "the address (4 hex digits in 16-bit code, 8 in 32-bit), the bytes in a\n"
        "column of fixed width, wide enough for the longest instruction (15 bytes),\n"
        "then the instruction line as without --list. A relative branch ends with\n"
        "its target (\"  ; 7C3E\"). An INVALID decode takes one byte and the listing\n"
        "goes on from the next. An instruction cut off by the end of the input is\n"
        "listed with the bytes it has and \"(truncated)\". --json gives one object\n"
        "per line (with \"address\" and \"bytes\"); --explain a breakdown under each.\n"
        "\n"
        "options:\n";
    for (const OptionSpec& option : OptionTable()) {
        std::string name = "  " + std::string(option.name);
        if (option.valueName != nullptr) name += std::string(" ") + option.valueName;
        AppendOptionLine(text, name, option.description, kDescriptionColumn);
    }
    text +=
        "\n"
        "exit status: 0 when every instruction was decoded (INVALID is a result),\n"
        "2 for bad input; with --batch a bad line is reported with its line number\n"
        "and the run goes on; with --list the listing stops at a bad line or an\n"
        "unreadable file, after the lines before it, and says where (and a listing\n"
        "that could not be written exits with 2 too).\n"
        "\n"
        "example of --explain:\n" +
        ExplanationExample();
    return text;
}

}  // namespace vexa::cli
