#pragma once
// Helpers shared by the decoder and formatter tests.
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>

#include "decoder/decoder.h"

namespace vexa::test {

// The bytes at the start of a zero-filled decode window, as the workbench
// composes them.
inline std::array<uint8_t, kDecodeWindow> Window(std::initializer_list<uint8_t> bytes) {
    std::array<uint8_t, kDecodeWindow> buffer{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), buffer.size()), buffer.begin());
    return buffer;
}

struct DecodeResult {
    bool ok;
    DecodedInstruction record;
};

inline DecodeResult Decode(std::initializer_list<uint8_t> bytes, bool is32BitMode) {
    const auto buffer = Window(bytes);
    DecodeResult result{};
    result.ok = DecodeInstruction(buffer.data(), &result.record, is32BitMode);
    return result;
}

}  // namespace vexa::test
