// vexa-diff: decodes the whole opcode space (see case_space.h) with Vexa and
// with Zydis, asks Capstone where they disagree, classifies every disagreement
// by the documented differences and prints the summary. Exit status 1 when a
// disagreement is not explained by a known difference, 2 for bad arguments.
//
//   vexa-diff [--random N] [--summary FILE] [--show N] [--threads 1|2]
//   vexa-diff --examples    (each known difference's example, as both sides print it)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "formatter/display_lines.h"
#include "tests/differential/capstone_view.h"
#include "tests/differential/case_result.h"
#include "tests/differential/known_differences.h"
#include "tests/differential/summary.h"

namespace {

using namespace vexa::diff;

struct Options {
    bool examples = false;
    unsigned randomPerMode = 250000;
    const char* summaryFile = nullptr;
    unsigned show = 40;
    unsigned threads = 2;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--examples") == 0) {
            options.examples = true;
        } else if (std::strcmp(argv[i], "--random") == 0 && hasValue) {
            options.randomPerMode = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--summary") == 0 && hasValue) {
            options.summaryFile = argv[++i];
        } else if (std::strcmp(argv[i], "--show") == 0 && hasValue) {
            options.show = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--threads") == 0 && hasValue) {
            options.threads = std::strtoul(argv[++i], nullptr, 10) >= 2 ? 2 : 1;
        } else {
            std::fprintf(stderr, "vexa-diff: unknown argument '%s'\n", argv[i]);
            std::fprintf(stderr, "usage: vexa-diff [--random N] [--summary FILE] [--show N] [--threads 1|2] | --examples\n");
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

// One line per known difference: its example as Vexa shows it and as Zydis
// prints it (Intel syntax), for the differences document.
int PrintExamples() {
    ZydisPeer zydis;
    Classifier classifier(zydis);
    ZydisFormatter formatter;
    ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL);
    int status = 0;
    for (unsigned k = 0; k < kKnownDifferenceCount; ++k) {
        const KnownDifference& d = kKnownDifferences[k];
        TestCase testCase;
        CaseResult r;
        if (!ParseExample(d.example, testCase)) return 2;
        DecodeCase(testCase, zydis, r);
        char line[vexa::kDisplayLineSize], bytesLine[vexa::kDisplayLineSize];
        vexa::BuildDisplayLines(testCase.bytes, r.record, true, false, line, bytesLine);
        for (char* p = line; *p; ++p) {
            if (*p == '\t') *p = ' ';
        }
        char peer[128] = "(invalid)";
        if (ZYAN_SUCCESS(r.zydis.status)) {
            ZydisFormatterFormatInstruction(&formatter, &r.zydis.instruction, r.zydis.operands,
                                            r.zydis.instruction.operand_count_visible, peer, sizeof peer, 0, nullptr);
        }
        const bool own = classifier.Classify(r) == static_cast<int>(k);
        if (!own) status = 1;
        std::printf("%-26s %-22s vexa: %-40s zydis: %s%s\n", d.id, d.example, line, peer, own ? "" : "  (NOT ITS CLASS)");
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    if (options.examples) return PrintExamples();

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
