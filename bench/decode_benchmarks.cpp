// Vexa, Zydis and Capstone walking the same corpus instruction by instruction:
// decoding alone, and decoding plus the instruction's text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/corpus_access.h"
#include "bench/decode_benchmarks.h"
#include "bench/peers.h"
#include "bench/vexa_walks.h"

namespace vexa::bench {
namespace {

// One pass over the corpus per iteration; the counters report instructions
// (items, as this decoder walks them) and bytes per second.
void ReportThroughput(benchmark::State& state, const Corpus& corpus, size_t walked) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * walked));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.codeSize));
}

void CheckWalked(benchmark::State& state, size_t walked, const Corpus& corpus) {
    if (corpus.instructionCount != 0 && walked != corpus.instructionCount) {
        state.SkipWithError("the walk lost step with the corpus");
    }
}

// Runs `walk` (corpus, sink) -> walked once per iteration.
template <typename Walk>
void Run(benchmark::State& state, const Corpus& corpus, Walk walk) {
    uint32_t sink = 0;
    size_t walked = 0;
    for (auto _ : state) walked = walk(corpus, sink);
    benchmark::DoNotOptimize(sink);
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus, walked);
}

void VexaDecode(benchmark::State& state, const Corpus* corpus) { Run(state, *corpus, WalkVexaDecode); }

void VexaDecodeFormat(benchmark::State& state, const Corpus* corpus) { Run(state, *corpus, WalkVexaDecodeFormat); }

void ZydisDecode(benchmark::State& state, const Corpus* corpus) {
    const ZydisPeer zydis;
    Run(state, *corpus, [&](const Corpus& c, uint32_t& sink) { return WalkZydisDecode(c, zydis, sink); });
}

void ZydisDecodeFormat(benchmark::State& state, const Corpus* corpus) {
    const ZydisPeer zydis;
    Run(state, *corpus, [&](const Corpus& c, uint32_t& sink) { return WalkZydisDecodeFormat(c, zydis, sink); });
}

void CapstoneDisassemble(benchmark::State& state, const Corpus* corpus, bool detail) {
    const CapstonePeer capstone(detail);
    if (!capstone.ok()) {
        state.SkipWithError("capstone did not open");
        return;
    }
    Run(state, *corpus, [&](const Corpus& c, uint32_t& sink) { return WalkCapstone(c, capstone, sink); });
}

void CapstoneDetailOff(benchmark::State& state, const Corpus* corpus) { CapstoneDisassemble(state, corpus, false); }
void CapstoneDetailOn(benchmark::State& state, const Corpus* corpus) { CapstoneDisassemble(state, corpus, true); }

}  // namespace

void RegisterDecodeBenchmarks(const Corpus* corpus, const char* suffix) {
    // The names, with the suffix, are read by speedups.py.
    const auto add = [&](const char* name, void (*run)(benchmark::State&, const Corpus*)) {
        benchmark::RegisterBenchmark((std::string(name) + suffix).c_str(), run, corpus);
    };
    add("VexaDecode", VexaDecode);
    add("VexaDecodeFormat", VexaDecodeFormat);
    add("ZydisDecode", ZydisDecode);
    add("ZydisDecodeFormat", ZydisDecodeFormat);
    add("CapstoneDetailOff", CapstoneDetailOff);
    add("CapstoneDetailOn", CapstoneDetailOn);
}

}  // namespace vexa::bench
