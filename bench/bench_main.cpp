// Runs the benchmarks over both corpora, and records what they hold in the
// benchmark context (console header and JSON).
//
//   vexa_bench [benchmark options]   the benchmarks
//   vexa_bench --walk=WHICH [--corpus=real]
//                                    one pass over the synthetic (or the real)
//                                    corpus and nothing else, for counting under
//                                    callgrind: decode, format (Vexa), decode16
//                                    (Vexa, the bytes as 16-bit code),
//                                    zydis-decode, zydis-format, capstone (detail off)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/corpus_access.h"
#include "bench/decode_benchmarks.h"
#include "bench/vexa_walks.h"

namespace vexa::bench {

const Corpus& SharedCorpus() {
    static const Corpus corpus = BuildCorpus(kCorpusInstructions, kCorpusSeed);
    return corpus;
}

const Corpus* SharedRealCorpus() {
    static const Corpus* const corpus = [] {
        std::string error;
        static const Corpus loaded = LoadRealCorpus(kRealCorpusPath, error);
        if (loaded.codeSize != 0) return &loaded;
        std::fprintf(stderr, "vexa_bench: %s: no real-code corpus, the synthetic corpus alone is benched\n",
                     error.c_str());
        return static_cast<const Corpus*>(nullptr);
    }();
    return corpus;
}

namespace {

int Walk(const char* what, const Corpus& corpus) {
    uint32_t sink = 0;
    size_t walked;
    const ZydisPeer zydis;
    const CapstonePeer capstone(false);
    if (std::strcmp(what, "decode") == 0) {
        walked = WalkVexaDecode(corpus, sink);
    } else if (std::strcmp(what, "decode16") == 0) {
        walked = WalkVexaDecode16(corpus, sink);
    } else if (std::strcmp(what, "format") == 0) {
        walked = WalkVexaDecodeFormat(corpus, sink);
    } else if (std::strcmp(what, "zydis-decode") == 0) {
        walked = WalkZydisDecode(corpus, zydis, sink);
    } else if (std::strcmp(what, "zydis-format") == 0) {
        walked = WalkZydisDecodeFormat(corpus, zydis, sink);
    } else if (std::strcmp(what, "capstone") == 0) {
        walked = WalkCapstone(corpus, capstone, sink);
    } else {
        std::fprintf(stderr, "vexa_bench: --walk=decode|decode16|format|zydis-decode|zydis-format|capstone\n");
        return 2;
    }
    std::printf("walked %zu instructions (%zu bytes), check %08X\n", walked, corpus.codeSize, sink);
    const bool ownLengths = corpus.instructionCount == 0 || std::strcmp(what, "decode16") == 0;
    return ownLengths || walked == corpus.instructionCount ? 0 : 1;
}

// The real corpus's size and, per decoder, the instructions walked and the
// bytes skipped as not decoded.
void DescribeRealCorpus(const Corpus& corpus) {
    uint32_t sink = 0;
    const ZydisPeer zydis;
    const CapstonePeer capstone(false);
    const SkippedBytes skipped = CountSkippedBytes(corpus, zydis, capstone);
    const auto describe = [](size_t walked, size_t skippedBytes) {
        return std::to_string(walked) + " (" + std::to_string(skippedBytes) + " bytes skipped)";
    };
    benchmark::AddCustomContext("real_corpus", std::string(kRealCorpusPath) + " .text");
    benchmark::AddCustomContext("real_corpus_bytes", std::to_string(corpus.codeSize));
    benchmark::AddCustomContext("real_walked_vexa", describe(WalkVexaDecode(corpus, sink), skipped.vexa));
    benchmark::AddCustomContext("real_walked_zydis", describe(WalkZydisDecode(corpus, zydis, sink), skipped.zydis));
    benchmark::AddCustomContext("real_walked_capstone",
                                describe(WalkCapstone(corpus, capstone, sink), skipped.capstone));
}

}  // namespace
}  // namespace vexa::bench

int main(int argc, char** argv) {
    using namespace vexa::bench;
    constexpr char kWalkOption[] = "--walk=";
    if (argc >= 2 && std::strncmp(argv[1], kWalkOption, sizeof(kWalkOption) - 1) == 0) {
        const bool real = argc == 3 && std::strcmp(argv[2], "--corpus=real") == 0;
        if (argc > 3 || (argc == 3 && !real && std::strcmp(argv[2], "--corpus=synthetic") != 0)) {
            std::fprintf(stderr, "vexa_bench: --walk=WHICH [--corpus=real|synthetic]\n");
            return 2;
        }
        if (!real) return Walk(argv[1] + sizeof(kWalkOption) - 1, SharedCorpus());
        const Corpus* corpus = SharedRealCorpus();
        return corpus == nullptr ? 1 : Walk(argv[1] + sizeof(kWalkOption) - 1, *corpus);
    }

    const Corpus& corpus = SharedCorpus();
    const auto missing = corpus.MissingClasses();
    if (!missing.empty()) {
        std::fprintf(stderr, "vexa_bench: the corpus misses %zu opcode classes (first: %u)\n", missing.size(),
                     missing.front());
        return 1;
    }
    benchmark::AddCustomContext("corpus_instructions", std::to_string(corpus.instructionCount));
    benchmark::AddCustomContext("corpus_bytes", std::to_string(corpus.codeSize));
    RegisterDecodeBenchmarks(&corpus, "");
    if (const Corpus* real = SharedRealCorpus()) {
        DescribeRealCorpus(*real);
        RegisterDecodeBenchmarks(real, "Real");
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
