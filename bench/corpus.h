#pragma once
// The benchmark corpora. The synthetic one: valid 32-bit instructions drawn
// from every opcode class the decoder handles, back to back in one byte
// stream, made by a generator with a fixed seed so that every run measures the
// same bytes. The real one: the code section of a 32-bit library, as it is.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexa::bench {

// Opcode classes are counted under one key each: the one-byte class (1-28),
// or 100 plus the two-byte class (100-113) for the 0Fh opcodes.
constexpr unsigned kTwoByteClassKey = 100;

struct Corpus {
    std::vector<uint8_t> bytes;  // the instructions, then a zero tail of one decode window
    size_t codeSize = 0;         // bytes of instructions, without the tail
    // Instructions every decoder walks (the synthetic corpus), or 0 when each
    // decoder walks the bytes by its own lengths (real code).
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

// The real-code corpus: the .text of the ELF file at `path`, with the zero
// tail. Decoders walk it by their own lengths, and a byte a decoder calls
// invalid is skipped by one. Empty (codeSize 0), with `error` saying why, when
// the file is missing or unreadable.
Corpus LoadRealCorpus(const std::string& path, std::string& error);

// The i386 libc (libc6:i386, which Wine's 32-bit half needs).
inline constexpr char kRealCorpusPath[] = "/usr/lib/i386-linux-gnu/libc.so.6";

constexpr size_t kCorpusInstructions = 100000;
constexpr uint64_t kCorpusSeed = 0x5645584142454E43;  // "VEXABENC"

}  // namespace vexa::bench
