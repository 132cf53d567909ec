// Runs the fuzz target without libFuzzer: over the files named on the command
// line (a corpus or a crash input), or, with none, over a fixed-seed sample of
// random strings with random prefixes. Built in every tree, so the checks run
// with any compiler and a finding replays without clang.
#include <random>

#include "fuzz/replay_files.h"

namespace {

int ReplaySample(unsigned count) {
    static const uint8_t kPrefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3};
    std::mt19937 random(0x5EED);
    std::vector<uint8_t> input;
    for (unsigned n = 0; n < count; ++n) {
        input.clear();
        const unsigned prefixes = random() % 16;
        for (unsigned i = 0; i < prefixes; ++i) input.push_back(kPrefixes[random() % sizeof kPrefixes]);
        const unsigned size = 25 + random() % 40;  // past the window: raw records too
        while (input.size() < size) input.push_back(static_cast<uint8_t>(random()));
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("vexa_fuzz_replay: %u random inputs passed\n", count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) return ReplayFiles("vexa_fuzz_replay", argc - 1, argv + 1);
    return ReplaySample(100000);
}
