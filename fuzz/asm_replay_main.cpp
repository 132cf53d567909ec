// Runs the assembler fuzz target without libFuzzer: over the files named on
// the command line, or, with none, over a fixed-seed sample of texts put
// together from the syntax's own tokens.
#include <random>
#include <string>

#include "fuzz/replay_files.h"

namespace {

constexpr const char* kTokens[] = {
    "mov", "add", "lock", "rep", "jmp", "jz", "fld", "movss", "addss", "push", "retn", "enter", "shl", "lea",
    "eax", "al", "ax", "esp", "ebp", "bx", "si", "bp", "st", "st(1)", "mm0", "xmm1", "cr0", "es", "cs",
    "byte", "word", "dword", "qword", "tbyte", "ptr", "(48-bit)", "[", "]", "+", "-", "*", ",", ":", "$",
    "$+", "0", "1", "4", "8", "0FF", "1FF", "0x7F", "80h", "1234", "00001234", "0FFFFFFFF", " ", "\t",
};

int ReplaySample(unsigned count) {
    std::mt19937 random(0xA55E);
    std::string text;
    for (unsigned n = 0; n < count; ++n) {
        text.assign(1, static_cast<char>(random() & 1));
        const unsigned tokens = 1 + random() % 12;
        for (unsigned i = 0; i < tokens; ++i) {
            text += kTokens[random() % (sizeof kTokens / sizeof kTokens[0])];
            if (random() % 3 == 0) text += ' ';
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    std::printf("vexa_asm_fuzz_replay: %u generated texts passed\n", count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return ReplaySample(200000);
    return ReplayFiles("vexa_asm_fuzz_replay", argc - 1, argv + 1);
}
