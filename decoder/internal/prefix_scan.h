#pragma once
// The prefix scan: what each prefix byte does to the record's prefix and
// repeat bytes, shared by the decode and the layout call beside it.
#include <array>
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/internal/straight_line_decoder.h"
#include "decoder/opcode_classes.h"
#include "decoder/prefix_bytes.h"

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

constexpr PrefixEffect MakePrefixEffect(uint8_t value) {
    const PrefixInfo prefix = PrefixInfoOf(value);
    switch (prefix.kind) {
        case PrefixKind::Segment:  // the last segment prefix wins
            return {static_cast<uint8_t>(~PrefixFlag::SegmentMask),
                    static_cast<uint8_t>(prefix.segment << PrefixFlag::SegmentShift), 0xFF, 0};
        case PrefixKind::OperandSize: return {0xFF, PrefixFlag::OperandSizeOverride, 0xFF, 0};
        case PrefixKind::AddressSize: return {0xFF, PrefixFlag::AddressSizeOverride, 0xFF, 0};
        case PrefixKind::Lock: return {0xFF, PrefixFlag::LockPrefix, 0xFF, 0};
        case PrefixKind::Repeat:
            // The last F2h/F3h decides between repne (bit 0 clear) and rep.
            return {0xFF, 0, static_cast<uint8_t>(~RepeatFlag::RepeatKind),
                    static_cast<uint8_t>(RepeatFlag::RepeatPrefix | (value & 1))};
        default: return {0xFF, 0, 0xFF, 0};
    }
}
static_assert((PrefixValue::Rep & 1) == RepeatFlag::RepeatKind && (PrefixValue::Repne & 1) == 0,
              "bit 0 of the repeat prefix is the rep/repne bit");

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

// Records the prefixes from bytes[0] on and returns how many there are, or
// kMaxPrefixes + 1 when a fifteenth prefix ends the scan.
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline unsigned ScanPrefixes(const uint8_t* bytes, PrefixBytes& prefixes) {
    unsigned position = 0;
    while (kOneByteClassTable[bytes[position]] == OpcodeClass::Prefix) {
        RecordPrefix(prefixes, bytes[position]);
        if (position == kMaxPrefixes) return position + 1;
        ++position;
    }
    return position;
}

// The class table marks the same bytes as prefixes.
constexpr bool ClassTableAgreesOnPrefixes() {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const bool prefix = PrefixInfoOf(static_cast<uint8_t>(byte)).kind != PrefixKind::None;
        if (prefix != (kOneByteClassTable[byte] == OpcodeClass::Prefix)) return false;
    }
    return true;
}
static_assert(ClassTableAgreesOnPrefixes(), "class 0 is exactly the prefix bytes");

}  // namespace vexa
