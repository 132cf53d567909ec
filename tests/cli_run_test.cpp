#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/json_record.h"
#include "tools/vexa_decode/run.h"

namespace vexa::cli {
namespace {

// A temporary file holding `text`, rewound.
std::FILE* TempFileWith(const std::string& text) {
    std::FILE* file = std::tmpfile();
    std::fputs(text.c_str(), file);
    std::rewind(file);
    return file;
}

std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, n);
    std::fclose(file);
    return text;
}

struct RunOutput {
    int status;
    std::string out, err;
};

RunOutput RunCli(std::vector<const char*> arguments, const std::string& input = "") {
    arguments.insert(arguments.begin(), "vexa-decode");
    std::FILE* in = TempFileWith(input);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    RunOutput result;
    result.status = RunVexaDecode(static_cast<int>(arguments.size()), arguments.data(), in, out, err);
    std::fclose(in);
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    return result;
}

// What one instruction prints, whatever the decoder makes of it.
std::string ExpectedLines(const char* hex, bool is32BitMode) {
    HexBytes bytes;
    HexParseError error;
    EXPECT_TRUE(ParseHexLine(hex, bytes, error));
    DecodeResult result;
    DecodeBytes(bytes, is32BitMode, false, result);
    return std::string(result.instructionLine) + "\n" + result.bytesLine + "\n";
}

TEST(CliRun, BatchReportsBadLinesByNumberAndGoesOn) {
    const RunOutput run = RunCli({"--batch", "--16"}, "90\n66 8\n\nc3\r\n0F0B");
    EXPECT_EQ(run.status, kExitBadInput);
    EXPECT_EQ(run.out, ExpectedLines("90", false) + ExpectedLines("c3", false) + ExpectedLines("0F0B", false));
    EXPECT_EQ(run.err,
              "vexa-decode: line 2: odd number of hex digits in '8'\n"
              "vexa-decode: line 3: no instruction bytes given\n");
}

TEST(CliRun, GoodBatchMatchesSingleRuns) {
    const RunOutput batch = RunCli({"--batch"}, "90\n89 C0\n");
    EXPECT_EQ(batch.status, kExitOk);
    EXPECT_EQ(batch.out, RunCli({"90"}).out + RunCli({"89C0"}).out);
    EXPECT_EQ(batch.err, "");
}

TEST(CliRun, BadArgumentsExitWithTwoAndPrintNothing) {
    for (const auto& arguments : std::vector<std::vector<const char*>>{{"--bogus", "90"}, {"9"}, {}, {"--batch", "90"}}) {
        const RunOutput run = RunCli(arguments);
        EXPECT_EQ(run.status, kExitBadInput);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(CliRun, JsonIsOneObjectPerInstruction) {
    const RunOutput run = RunCli({"--json", "--batch"}, "90\nzz\n0F 0B\n");
    EXPECT_EQ(run.status, kExitBadInput);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_NE(run.out.find("\"operands\":[{"), std::string::npos);
}

TEST(CliJson, StringsAreEscaped) {
    std::string out;
    AppendJsonString(out, "a\t\"b\"\\\x01");
    EXPECT_EQ(out, R"("a\t\"b\"\\\u0001")");
}

}  // namespace
}  // namespace vexa::cli
