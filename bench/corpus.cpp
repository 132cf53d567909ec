#include "bench/corpus.h"

#include <algorithm>
#include <stdexcept>

#include "bench/elf_text.h"
#include "bench/peers.h"
#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"

namespace vexa::bench {
namespace {

// splitmix64: tiny, and the same sequence on every platform and library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    uint8_t Byte() { return static_cast<uint8_t>(Next()); }

private:
    uint64_t state_;
};

struct Opcode {
    uint8_t bytes[2];
    uint8_t size;
    uint8_t classKey;
};

// Every opcode that is neither a prefix nor unassigned; 0Fh stands for the
// two-byte opcodes behind it.
std::vector<Opcode> AllOpcodes() {
    std::vector<Opcode> opcodes;
    for (unsigned first = 0; first < 256; ++first) {
        const uint8_t opcodeClass = kOneByteClassTable[first];
        if (opcodeClass == OpcodeClass::Prefix || opcodeClass == OpcodeClass::Invalid) continue;
        if (opcodeClass != OpcodeClass::TwoByteEscape) {
            opcodes.push_back({{static_cast<uint8_t>(first), 0}, 1, opcodeClass});
            continue;
        }
        for (unsigned second = 0; second < 256; ++second) {
            const uint8_t subClass = kTwoByteClassTable[second];
            if (subClass == TwoByteClass::Invalid) continue;
            opcodes.push_back({{0x0F, static_cast<uint8_t>(second)}, 2,
                               static_cast<uint8_t>(kTwoByteClassKey + subClass)});
        }
    }
    return opcodes;
}

bool IsStringClass(const Opcode& opcode) { return opcode.classKey == OpcodeClass::StringOrPortDx; }
bool IsScalarSse(const Opcode& opcode) { return opcode.classKey == kTwoByteClassKey + TwoByteClass::SseScalar; }

// Prefixes in the workbench's order, the opcode, then random bytes for ModR/M,
// SIB, displacement and immediate, in a zero-filled decode window.
std::array<uint8_t, kDecodeWindow> Candidate(Random& random, const Opcode& opcode) {
    static constexpr uint8_t kSegments[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};
    std::array<uint8_t, kDecodeWindow> window{};
    unsigned n = 0;
    if (random.Chance(8)) window[n++] = 0x66;
    if (random.Chance(3)) window[n++] = 0x67;
    if (random.Chance(5)) window[n++] = kSegments[random.Below(6)];
    if (random.Chance(3)) window[n++] = 0xF0;
    if (IsStringClass(opcode) && random.Chance(30)) window[n++] = random.Chance(50) ? 0xF2 : 0xF3;
    if (IsScalarSse(opcode) && random.Chance(90)) window[n++] = 0xF3;
    for (unsigned i = 0; i < opcode.size; ++i) window[n++] = opcode.bytes[i];
    for (unsigned i = 0; i < 10; ++i) window[n++] = random.Byte();
    return window;
}

}  // namespace

std::vector<unsigned> Corpus::MissingClasses() const {
    std::vector<unsigned> missing;
    for (unsigned key = OpcodeClass::Imm8; key < OpcodeClass::kCount; ++key) {
        if (key != OpcodeClass::TwoByteEscape && perClass[key] == 0) missing.push_back(key);
    }
    for (unsigned key = kTwoByteClassKey; key <= kTwoByteClassKey + TwoByteClass::SseScalar; ++key) {
        if (perClass[key] == 0) missing.push_back(key);
    }
    return missing;
}

Corpus BuildCorpus(size_t instructionCount, uint64_t seed) {
    const std::vector<Opcode> opcodes = AllOpcodes();
    const ZydisPeer zydis;
    const CapstonePeer capstone(false);
    if (!capstone.ok()) throw std::runtime_error("capstone did not open");

    Corpus corpus;
    Random random(seed);
    size_t attempts = 0;
    while (corpus.instructionCount < instructionCount) {
        if (++attempts > 100 * instructionCount) throw std::runtime_error("corpus generator finds too few instructions");
        const Opcode& opcode = opcodes[random.Below(static_cast<unsigned>(opcodes.size()))];
        const auto window = Candidate(random, opcode);

        DecodedInstruction record;
        if (!DecodeInstruction(window.data(), &record, true)) continue;
        if (IsInvalid(record) || record.mnemonic == Mnemonic::None) continue;
        const unsigned length = InstructionLength(record);
        if (zydis.Length(window.data(), length) != length) continue;
        if (capstone.Length(window.data(), length) != length) continue;

        corpus.bytes.insert(corpus.bytes.end(), window.begin(), window.begin() + length);
        ++corpus.perClass[opcode.classKey];
        ++corpus.instructionCount;
    }
    corpus.codeSize = corpus.bytes.size();
    corpus.bytes.resize(corpus.codeSize + kDecodeWindow, 0);
    return corpus;
}

Corpus LoadRealCorpus(const std::string& path, std::string& error) {
    Corpus corpus;
    corpus.bytes = ReadElf32Text(path, error);
    corpus.codeSize = corpus.bytes.size();
    corpus.bytes.resize(corpus.codeSize + kDecodeWindow, 0);
    return corpus;
}

}  // namespace vexa::bench
