// Vexa, Zydis and Capstone walking the same corpus instruction by instruction:
// decoding alone, and decoding plus the instruction's text.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/corpus_access.h"
#include "bench/peers.h"
#include "bench/vexa_walks.h"

namespace vexa::bench {
namespace {

// One pass over the corpus per iteration; the counters report instructions
// (items) and bytes per second.
void ReportThroughput(benchmark::State& state, const Corpus& corpus) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * corpus.instructionCount));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.codeSize));
}

void CheckWalked(benchmark::State& state, size_t walked, const Corpus& corpus) {
    if (walked != corpus.instructionCount) state.SkipWithError("the walk lost step with the corpus");
}

void VexaDecode(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = WalkVexaDecode(corpus, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void VexaDecodeFormat(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = WalkVexaDecodeFormat(corpus, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void ZydisDecode(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    const ZydisPeer zydis;
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = WalkZydisDecode(corpus, zydis, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void ZydisDecodeFormat(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    const ZydisPeer zydis;
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = WalkZydisDecodeFormat(corpus, zydis, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void CapstoneDisassemble(benchmark::State& state, bool detail) {
    const Corpus& corpus = SharedCorpus();
    const CapstonePeer capstone(detail);
    if (!capstone.ok()) {
        state.SkipWithError("capstone did not open");
        return;
    }
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = WalkCapstone(corpus, capstone, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void CapstoneDetailOff(benchmark::State& state) { CapstoneDisassemble(state, false); }
void CapstoneDetailOn(benchmark::State& state) { CapstoneDisassemble(state, true); }

}  // namespace

// The names are read by speedups.py.
BENCHMARK(VexaDecode);
BENCHMARK(VexaDecodeFormat);
BENCHMARK(ZydisDecode);
BENCHMARK(ZydisDecodeFormat);
BENCHMARK(CapstoneDetailOff);
BENCHMARK(CapstoneDetailOn);

}  // namespace vexa::bench
