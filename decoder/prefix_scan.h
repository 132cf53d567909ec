#pragma once
// The prefix scan: what each prefix byte does to the record's prefix and
// repeat bytes, shared by the decode and the layout call beside it.
#include <array>
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/form_decoder.h"

namespace vexa {

constexpr unsigned kMaxPrefixes = 14;

// What one prefix byte does to the record's prefix and repeat bytes: each is
// masked with `keep...` and ORed with `set...`. A table rather than a switch,
// since which prefixes come along follows the code and is not predictable.
struct PrefixEffect {
    uint8_t keepFlags;
    uint8_t setFlags;
    uint8_t keepRepeat;
    uint8_t setRepeat;
};

constexpr PrefixEffect MakePrefixEffect(uint8_t prefix) {
    // The last segment prefix wins.
    constexpr auto segment = [](uint8_t which) {
        return PrefixEffect{static_cast<uint8_t>(~PrefixFlag::SegmentMask),
                            static_cast<uint8_t>(which << PrefixFlag::SegmentShift), 0xFF, 0};
    };
    switch (prefix) {
        case 0x26: return segment(SegmentOverride::Es);
        case 0x2E: return segment(SegmentOverride::Cs);
        case 0x36: return segment(SegmentOverride::Ss);
        case 0x3E: return segment(SegmentOverride::Ds);
        case 0x64: return segment(SegmentOverride::Fs);
        case 0x65: return segment(SegmentOverride::Gs);
        case 0x66: return {0xFF, PrefixFlag::OperandSizeOverride, 0xFF, 0};
        case 0x67: return {0xFF, PrefixFlag::AddressSizeOverride, 0xFF, 0};
        case 0xF0: return {0xFF, PrefixFlag::LockPrefix, 0xFF, 0};
        case 0xF2:
        case 0xF3:
            // The last F2h/F3h decides between repne and rep.
            return {0xFF, 0, static_cast<uint8_t>(~RepeatFlag::RepeatKind),
                    static_cast<uint8_t>(RepeatFlag::RepeatPrefix | (prefix & 1))};
        default: return {0xFF, 0, 0xFF, 0};
    }
}

constexpr std::array<PrefixEffect, 256> kPrefixEffects = [] {
    std::array<PrefixEffect, 256> effects{};
    for (unsigned byte = 0; byte < 256; ++byte) effects[byte] = MakePrefixEffect(static_cast<uint8_t>(byte));
    return effects;
}();

// Records one prefix byte in the prefix and repeat bytes.
inline void RecordPrefix(PrefixBytes& prefixes, uint8_t prefix) {
    const PrefixEffect& effect = kPrefixEffects[prefix];
    prefixes.flags = static_cast<uint8_t>((prefixes.flags & effect.keepFlags) | effect.setFlags);
    prefixes.repeat = static_cast<uint8_t>((prefixes.repeat & effect.keepRepeat) | effect.setRepeat);
}

}  // namespace vexa
