// vexa-diff: decodes the whole opcode space (see case_space.h) with Vexa and
// with Zydis, asks Capstone where they disagree, classifies every disagreement
// by the documented differences and prints the summary. Exit status 1 when a
// disagreement is not explained by a known difference, 2 for bad arguments.
//
//   vexa-diff [--random N] [--summary FILE] [--show N] [--threads 1|2]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tests/differential/capstone_view.h"
#include "tests/differential/case_result.h"
#include "tests/differential/known_differences.h"
#include "tests/differential/summary.h"

namespace {

using namespace vexa::diff;

struct Options {
    unsigned randomPerMode = 250000;
    const char* summaryFile = nullptr;
    unsigned show = 40;
    unsigned threads = 2;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--random") == 0 && hasValue) {
            options.randomPerMode = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--summary") == 0 && hasValue) {
            options.summaryFile = argv[++i];
        } else if (std::strcmp(argv[i], "--show") == 0 && hasValue) {
            options.show = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--threads") == 0 && hasValue) {
            options.threads = std::strtoul(argv[++i], nullptr, 10) >= 2 ? 2 : 1;
        } else {
            std::fprintf(stderr, "vexa-diff: unknown argument '%s'\n", argv[i]);
            std::fprintf(stderr, "usage: vexa-diff [--random N] [--summary FILE] [--show N] [--threads 1|2]\n");
            return false;
        }
    }
    return true;
}

SecondOpinion AskCapstone(CapstonePeer& capstone, const CaseResult& c) {
    const NormalizedInstruction second = capstone.Decode(c.testCase.bytes, vexa::kDecodeWindow, c.testCase.is32BitMode);
    const uint32_t differing = c.comparison.mismatches;
    if ((Compare(c.vexa, second).mismatches & differing) == 0) return SecondOpinion::WithVexa;
    if ((Compare(c.zydis.normalized, second).mismatches & differing) == 0) return SecondOpinion::WithZydis;
    return SecondOpinion::Neither;
}

// Runs the cases of one mode into `summary`.
void RunMode(bool is32BitMode, unsigned randomCount, Summary& summary) {
    ZydisPeer zydis;
    CapstonePeer capstone;
    Classifier classifier(zydis);
    CaseResult result;
    ForEachCaseOfMode(is32BitMode, randomCount, [&](const TestCase& testCase) {
        DecodeCase(testCase, zydis, result);
        if (result.comparison.mismatches == 0) {
            summary.Add(result, -1, SecondOpinion::Neither);
            return;
        }
        const int known = classifier.Classify(result);
        summary.Add(result, known, AskCapstone(capstone, result));
    });
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;

    const auto start = std::chrono::steady_clock::now();
    Summary summary16, summary32;
    if (options.threads == 2) {
        std::thread worker([&] { RunMode(false, options.randomPerMode, summary16); });
        RunMode(true, options.randomPerMode, summary32);
        worker.join();
    } else {
        RunMode(false, options.randomPerMode, summary16);
        RunMode(true, options.randomPerMode, summary32);
    }
    summary16.Merge(summary32);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    summary16.Print(stdout, options.show);
    std::printf("\n%.1f s\n", seconds);
    if (options.summaryFile != nullptr) {
        if (std::FILE* file = std::fopen(options.summaryFile, "w")) {
            summary16.Print(file, options.show);
            std::fclose(file);
        }
    }
    return summary16.unexplained() == 0 ? 0 : 1;
}
