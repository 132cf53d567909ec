#pragma once
// The file half of the replay mains: each named file is one input to the fuzz
// target. Returns the exit status: 2 when a file cannot be read.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

inline int ReplayFiles(const char* program, int count, char** paths) {
    for (int i = 0; i < count; ++i) {
        std::ifstream file(paths[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "%s: cannot read %s\n", program, paths[i]);
            return 2;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%s: %d inputs passed\n", program, count);
    return 0;
}
