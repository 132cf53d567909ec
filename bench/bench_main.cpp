// Runs the benchmarks after building the corpus once, and records what it holds
// in the benchmark context (console header and JSON).
//
//   vexa_bench [benchmark options]   the benchmarks
//   vexa_bench --walk=WHICH          one pass over the corpus and nothing else, for
//                                    counting under callgrind: decode, format (Vexa),
//                                    zydis-decode, zydis-format, capstone (detail off)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/corpus_access.h"
#include "bench/vexa_walks.h"

namespace vexa::bench {

const Corpus& SharedCorpus() {
    static const Corpus corpus = BuildCorpus(kCorpusInstructions, kCorpusSeed);
    return corpus;
}

namespace {

int Walk(const char* what) {
    const Corpus& corpus = SharedCorpus();
    uint32_t sink = 0;
    size_t walked;
    const ZydisPeer zydis;
    const CapstonePeer capstone(false);
    if (std::strcmp(what, "decode") == 0) {
        walked = WalkVexaDecode(corpus, sink);
    } else if (std::strcmp(what, "format") == 0) {
        walked = WalkVexaDecodeFormat(corpus, sink);
    } else if (std::strcmp(what, "zydis-decode") == 0) {
        walked = WalkZydisDecode(corpus, zydis, sink);
    } else if (std::strcmp(what, "zydis-format") == 0) {
        walked = WalkZydisDecodeFormat(corpus, zydis, sink);
    } else if (std::strcmp(what, "capstone") == 0) {
        walked = WalkCapstone(corpus, capstone, sink);
    } else {
        std::fprintf(stderr, "vexa_bench: --walk=decode|format|zydis-decode|zydis-format|capstone\n");
        return 2;
    }
    std::printf("walked %zu instructions (%zu bytes), check %08X\n", walked, corpus.codeSize, sink);
    return walked == corpus.instructionCount ? 0 : 1;
}

}  // namespace
}  // namespace vexa::bench

int main(int argc, char** argv) {
    using namespace vexa::bench;
    constexpr char kWalkOption[] = "--walk=";
    if (argc == 2 && std::strncmp(argv[1], kWalkOption, sizeof(kWalkOption) - 1) == 0) {
        return Walk(argv[1] + sizeof(kWalkOption) - 1);
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

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
