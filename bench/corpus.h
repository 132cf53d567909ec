#pragma once
// The benchmark corpus: valid 32-bit instructions drawn from every opcode class
// the decoder handles, back to back in one byte stream, made by a generator
// with a fixed seed so that every run measures the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexa::bench {

// Opcode classes are counted under one key each: the one-byte class (1-28),
// or 100 plus the two-byte class (100-113) for the 0Fh opcodes.
constexpr unsigned kTwoByteClassKey = 100;

struct Corpus {
    std::vector<uint8_t> bytes;  // the instructions, then a zero tail of one decode window
    size_t codeSize = 0;         // bytes of instructions, without the tail
    size_t instructionCount = 0;
    std::array<unsigned, 256> perClass{};  // instructions per class key

    const uint8_t* data() const { return bytes.data(); }
    // Class keys the decoder has that the corpus does not cover.
    std::vector<unsigned> MissingClasses() const;
};

// Every instruction is one that Vexa, Zydis and Capstone all decode in 32-bit
// mode with the same length, so all of them walk the stream in step. Vexa
// instructions without a name ("???") are left out.
Corpus BuildCorpus(size_t instructionCount, uint64_t seed);

constexpr size_t kCorpusInstructions = 100000;
constexpr uint64_t kCorpusSeed = 0x5645584142454E43;  // "VEXABENC"

}  // namespace vexa::bench
