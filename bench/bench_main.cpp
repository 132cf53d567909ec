// Runs the benchmarks after building the corpus once, and records what it holds
// in the benchmark context (console header and JSON).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/corpus_access.h"

namespace vexa::bench {

const Corpus& SharedCorpus() {
    static const Corpus corpus = BuildCorpus(kCorpusInstructions, kCorpusSeed);
    return corpus;
}

}  // namespace vexa::bench

int main(int argc, char** argv) {
    using namespace vexa::bench;
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
