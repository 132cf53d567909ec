#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/vexa_decode/hex_input.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/options.h"

namespace vexa::cli {
namespace {

struct HexCase {
    std::vector<std::string_view> arguments;
    std::vector<uint8_t> bytes;  // expected when ok
    HexError error;
    const char* message;  // expected when not ok
};

const HexCase kHexCases[] = {
    {{"66 89 40 12"}, {0x66, 0x89, 0x40, 0x12}, HexError::None, ""},
    {{"66", "894012"}, {0x66, 0x89, 0x40, 0x12}, HexError::None, ""},
    {{"  0f\tB6 c0 \r\n"}, {0x0F, 0xB6, 0xC0}, HexError::None, ""},
    {{std::string_view("00000000000000000000000000000000000000000000000000")},
     std::vector<uint8_t>(25, 0), HexError::None, ""},
    // As pasted from shellcode and C: \x pairs, 0x bytes, commas and braces.
    {{"\\x55\\x89\\xE5"}, {0x55, 0x89, 0xE5}, HexError::None, ""},
    {{"0x55 0X89", "0xe5"}, {0x55, 0x89, 0xE5}, HexError::None, ""},
    {{"0x55, 0x89,0xe5,"}, {0x55, 0x89, 0xE5}, HexError::None, ""},
    {{"{ 0x55, 0x89 }", "{0x5}"}, {0x55, 0x89, 0x05}, HexError::None, ""},
    {{"0x5589"}, {0x55, 0x89}, HexError::None, ""},
    {{"\\x55\\x8"}, {}, HexError::OddDigitCount, "odd number of hex digits in '\\x55\\x8'"},
    {{"\\x55x89"}, {}, HexError::NotHex, "not a hex digit: 'x' in '\\x55x89'"},
    {{"0x"}, {}, HexError::NotHex, "not a hex digit: 'x' in '0x'"},
    {{"0x558"}, {}, HexError::OddDigitCount, "odd number of hex digits in '0x558'"},
    {{"55;"}, {}, HexError::NotHex, "not a hex digit: ';' in '55;'"},
    {{"66 894"}, {}, HexError::OddDigitCount, "odd number of hex digits in '894'"},
    {{"90", "zz"}, {}, HexError::NotHex, "not a hex digit: 'z' in 'zz'"},
    {{"9\x01"}, {}, HexError::NotHex, "not a hex digit: '\\x01' in '9\\x01'"},
    {{"  ", ""}, {}, HexError::NoBytes, "no instruction bytes given"},
    {{"0000000000000000000000000000000000000000000000000000"}, {}, HexError::TooManyBytes,
     "more than 25 bytes, at '0000000000000000000000000000000000000000000000000000'"},
    {{"00000000000000000000000000000000000000000000000000", "F4"}, {}, HexError::TooManyBytes,
     "more than 25 bytes, at 'F4'"},
};

TEST(CliHexInput, ParsesPairsAndNamesTheOffendingToken) {
    for (const HexCase& c : kHexCases) {
        HexBytes bytes;
        bytes.window.fill(0xEE);
        HexParseError error;
        const bool ok = ParseHexArguments(c.arguments, bytes, error);
        const std::string label = c.arguments.empty() ? "(none)" : std::string(c.arguments.front());
        ASSERT_EQ(ok, c.error == HexError::None) << label;
        if (!ok) {
            EXPECT_EQ(error.error, c.error) << label;
            EXPECT_EQ(DescribeHexError(error), c.message) << label;
            continue;
        }
        ASSERT_EQ(bytes.count, c.bytes.size()) << label;
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), bytes.window.begin())) << label;
        // The rest of the window is zero, as the workbench composes it.
        EXPECT_TRUE(std::all_of(bytes.window.begin() + bytes.count, bytes.window.end(), [](uint8_t b) { return b == 0; }))
            << label;
    }
}

TEST(CliHexInput, LineParseStartsFromAnEmptyWindow) {
    HexBytes bytes;
    HexParseError error;
    ASSERT_TRUE(ParseHexLine("11 22 33", bytes, error));
    ASSERT_TRUE(ParseHexLine("44", bytes, error));
    EXPECT_EQ(bytes.count, 1u);
    EXPECT_EQ(bytes.window[0], 0x44);
    EXPECT_EQ(bytes.window[1], 0);
}

Options Parse(std::vector<const char*> arguments, bool expectOk, std::string* error = nullptr) {
    arguments.insert(arguments.begin(), "vexa-decode");
    Options options;
    std::string message;
    EXPECT_EQ(ParseArguments(static_cast<int>(arguments.size()), arguments.data(), options, message), expectOk)
        << message;
    if (error != nullptr) *error = message;
    return options;
}

TEST(CliOptions, DefaultsAndSwitches) {
    const Options defaults = Parse({"90"}, true);
    EXPECT_TRUE(defaults.is32BitMode);
    EXPECT_FALSE(defaults.upperCase || defaults.json || defaults.batch || defaults.help);

    const Options all = Parse({"--16", "66", "--upper", "--json", "89 C0"}, true);
    EXPECT_FALSE(all.is32BitMode);
    EXPECT_TRUE(all.upperCase && all.json);
    EXPECT_EQ(all.hexArguments, (std::vector<std::string_view>{"66", "89 C0"}));

    EXPECT_TRUE(Parse({"--16", "--32"}, true).is32BitMode);
    EXPECT_TRUE(Parse({"--batch"}, true).batch);
    EXPECT_TRUE(Parse({"--help"}, true).help);
}

TEST(CliOptions, RejectsWithAMessageNamingTheArgument) {
    std::string error;
    Parse({"90", "--uper"}, false, &error);
    EXPECT_EQ(error, "unknown option '--uper' (see --help)");
    Parse({"-"}, false, &error);
    EXPECT_EQ(error, "unknown option '-' (see --help)");
    Parse({"--batch", "90"}, false, &error);
    EXPECT_NE(error.find("'90'"), std::string::npos) << error;
}

TEST(CliJson, StringsAreEscaped) {
    std::string out;
    AppendJsonString(out, "a\t\"b\"\\\x01");
    EXPECT_EQ(out, R"("a\t\"b\"\\\u0001")");
}

}  // namespace
}  // namespace vexa::cli
