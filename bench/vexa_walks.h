#pragma once
// One pass over the corpus, instruction by instruction, by Vexa and by the
// peers. Shared by the benchmarks and by the callgrind counts (vexa_bench
// --walk), so both measure the same loops.
#include <cstddef>
#include <cstdint>

#include "bench/corpus.h"
#include "bench/peers.h"

namespace vexa::bench {

// Each returns the number of instructions walked and folds every result into
// `sink`, so that nothing can be optimised away.
size_t WalkVexaDecode(const Corpus& corpus, uint32_t& sink);
size_t WalkVexaDecodeFormat(const Corpus& corpus, uint32_t& sink);
size_t WalkZydisDecode(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink);
size_t WalkZydisDecodeFormat(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink);
// Capstone always builds the text; `capstone` decides whether with detail.
size_t WalkCapstone(const Corpus& corpus, const CapstonePeer& capstone, uint32_t& sink);

}  // namespace vexa::bench
