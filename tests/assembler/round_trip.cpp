// vexa-asm-round-trip: every byte string of the decoder sweep whose decode is
// a named instruction with no "?" in its text is formatted, assembled again,
// and must come back as bytes that decode to the same text and are no longer.
//
//   vexa-asm-round-trip                 the whole sweep, both modes side by side
//   vexa-asm-round-trip --every N       every Nth case only (a quick run)
//   vexa-asm-round-trip --sample N FILE also writes every Nth distinct text per
//                                       mode with the bytes chosen, for the
//                                       comparison with GNU as
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unordered_map>

#include "assembler/assembler.h"
#include "decoder/decoder.h"
#include "formatter/instruction_text.h"
#include "tests/differential/case_space.h"

namespace {

using namespace vexa;

constexpr unsigned kRandomPerMode = 250000;
constexpr unsigned kFailuresShown = 20;

struct ModeResult {
    unsigned long long cases = 0;
    unsigned long long distinct = 0;
    unsigned long long shorter = 0;
    unsigned long long failures = 0;
    std::string failureText;
    std::string sample;
};

bool Line(const uint8_t* bytes, bool is32, DecodedInstruction& record, std::string& line) {
    record = DecodedInstruction{};
    if (!DecodeInstruction(bytes, &record, is32) || IsInvalid(record) || record.mnemonic <= 1) return false;
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    if (!FormatInstruction(&record, mnemonicText, operandText)) return false;
    line = mnemonicText;
    line += '\t';
    line += operandText;
    return true;
}

std::string Hex(const uint8_t* bytes, unsigned count) {
    std::string s;
    char pair[4];
    for (unsigned i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        s += pair;
    }
    return s;
}

void RunMode(bool is32, unsigned every, unsigned sampleEvery, ModeResult& result) {
    // Texts seen already: the sweep repeats many texts, and each is checked once.
    std::unordered_map<std::string, unsigned> seen;
    unsigned long long index = 0;
    diff::ForEachCaseOfMode(is32, kRandomPerMode, [&](const diff::TestCase& c) {
        if (every > 1 && index++ % every != 0) return;
        DecodedInstruction record;
        std::string line;
        if (!Line(c.bytes, is32, record, line) || line.find('?') != std::string::npos) return;
        ++result.cases;
        const unsigned original = InstructionLength(record);
        auto it = seen.find(line);
        if (it != seen.end()) {
            if (it->second < original) ++result.shorter;
            return;
        }
        ++result.distinct;
        uint8_t bytes[kDecodeWindow] = {};
        unsigned length = 0;
        AssembleError error;
        std::string back;
        DecodedInstruction again;
        bool ok = AssembleInstruction(line.c_str(), is32, bytes, &length, &error);
        if (ok) ok = Line(bytes, is32, again, back) && back == line && InstructionLength(again) == length &&
                     length <= original;
        if (!ok) {
            ++result.failures;
            if (result.failures <= kFailuresShown) {
                result.failureText += std::string(is32 ? "32" : "16") + "-bit " + Hex(c.bytes, original) + "  " + line +
                                      "  -> " + (length ? Hex(bytes, length) : std::string(error.message)) + "\n";
            }
            seen.emplace(line, 0);
            return;
        }
        seen.emplace(line, length);
        if (length < original) ++result.shorter;
        if (sampleEvery != 0 && result.distinct % sampleEvery == 0) {
            result.sample += std::string(is32 ? "32" : "16") + "\t" + Hex(bytes, length) + "\t" + line + "\n";
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    unsigned every = 1;
    unsigned sampleEvery = 0;
    const char* samplePath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc) {
            every = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--sample") == 0 && i + 2 < argc) {
            sampleEvery = static_cast<unsigned>(std::atoi(argv[++i]));
            samplePath = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--every N] [--sample N FILE]\n", argv[0]);
            return 2;
        }
    }
    // Build the tables once before the two threads share them.
    unsigned length;
    AssembleError error;
    AssembleInstruction("nop", true, reinterpret_cast<uint8_t*>(&error), &length, &error);
    ModeResult results[2];
    std::thread sixteen(RunMode, false, every, sampleEvery, std::ref(results[0]));
    RunMode(true, every, sampleEvery, results[1]);
    sixteen.join();
    unsigned long long cases = 0, shorter = 0, failures = 0, distinct = 0;
    for (int m = 0; m < 2; ++m) {
        const ModeResult& r = results[m];
        std::printf("%s-bit: %llu cases (%llu distinct texts), %llu assembled shorter than the sweep's bytes, %llu failed\n",
                    m ? "32" : "16", r.cases, r.distinct, r.shorter, r.failures);
        cases += r.cases;
        shorter += r.shorter;
        failures += r.failures;
        distinct += r.distinct;
    }
    std::printf("round trip: %llu cases, %llu distinct texts, %llu shorter, %llu failed\n", cases, distinct, shorter,
                failures);
    if (failures) std::printf("first failures:\n%s%s", results[0].failureText.c_str(), results[1].failureText.c_str());
    if (samplePath != nullptr) {
        std::FILE* f = std::fopen(samplePath, "w");
        if (f == nullptr) return 2;
        std::fputs(results[0].sample.c_str(), f);
        std::fputs(results[1].sample.c_str(), f);
        std::fclose(f);
    }
    return failures == 0 ? 0 : 1;
}
