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
// `sink`, so that nothing can be optimised away. Each decoder steps by its own
// lengths; a byte it does not decode counts as one instruction of one byte
// (Vexa's own invalid records are one byte long).
size_t WalkVexaDecode(const Corpus& corpus, uint32_t& sink);
size_t WalkVexaDecodeFormat(const Corpus& corpus, uint32_t& sink);
// The same bytes decoded as 16-bit code (other lengths, other instructions):
// for counting the 16-bit mode's cost under callgrind only.
size_t WalkVexaDecode16(const Corpus& corpus, uint32_t& sink);
size_t WalkZydisDecode(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink);
size_t WalkZydisDecodeFormat(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink);
// Capstone always builds the text; `capstone` decides whether with detail.
size_t WalkCapstone(const Corpus& corpus, const CapstonePeer& capstone, uint32_t& sink);

// How many steps of each walk were bytes the decoder did not decode, counted
// in a pass of their own so that the timed walks carry no counter.
struct SkippedBytes {
    size_t vexa = 0;
    size_t zydis = 0;
    size_t capstone = 0;
};
SkippedBytes CountSkippedBytes(const Corpus& corpus, const ZydisPeer& zydis, const CapstonePeer& capstone);

}  // namespace vexa::bench
