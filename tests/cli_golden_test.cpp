// vexa-decode's exact output, case by case, from the golden files in
// tests/cli/golden: each case is a command line after "$ " and the standard
// output expected of it on the lines that follow, up to the next "$ ". Lines
// starting with "#" before the first case are comments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/vexa_decode/run.h"

namespace vexa::cli {
namespace {

struct GoldenCase {
    std::string file;
    std::string command;
    std::string expected;
};

std::vector<GoldenCase> ReadGoldenCases() {
    std::vector<GoldenCase> cases;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(VEXA_CLI_GOLDEN_DIR)) {
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("$ ", 0) == 0) {
                cases.push_back({path.filename().string(), line.substr(2), ""});
            } else if (!cases.empty() && cases.back().file == path.filename().string()) {
                cases.back().expected += line + "\n";
            }
        }
    }
    return cases;
}

std::string ReadAll(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
    return text;
}

TEST(CliGolden, OutputIsExactlyTheGoldenText) {
    const std::vector<GoldenCase> cases = ReadGoldenCases();
    ASSERT_GT(cases.size(), 100u);
    for (const GoldenCase& c : cases) {
        std::vector<std::string> words{"vexa-decode"};
        std::istringstream split(c.command);
        for (std::string word; split >> word;) words.push_back(word);
        std::vector<const char*> argv;
        for (const std::string& word : words) argv.push_back(word.c_str());
        std::FILE* in = std::tmpfile();
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(in && out && err);
        const int status = RunVexaDecode(static_cast<int>(argv.size()), argv.data(), in, out, err);
        EXPECT_EQ(status, 0) << c.file << ": " << c.command << "\n" << ReadAll(err);
        EXPECT_EQ(ReadAll(out), c.expected) << c.file << ": " << c.command;
        for (std::FILE* stream : {in, out, err}) std::fclose(stream);
    }
}

}  // namespace
}  // namespace vexa::cli
