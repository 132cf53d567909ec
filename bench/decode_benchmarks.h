#pragma once
// The decode and decode + text benchmarks over one corpus.
#include "bench/corpus.h"

namespace vexa::bench {

// Registers Vexa's and the peers' walks over `corpus` (which outlives the
// run), named VexaDecode, ZydisDecode... followed by `suffix`.
void RegisterDecodeBenchmarks(const Corpus* corpus, const char* suffix);

}  // namespace vexa::bench
