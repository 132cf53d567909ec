#pragma once
// The eleven prefix bytes, stated once: their values, what each does and how
// the workbench describes it. The decoder's prefix scan, the composer and
// vexa-decode all read this table.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

namespace PrefixValue {
enum : uint8_t { Es = 0x26, Cs = 0x2E, Ss = 0x36, Ds = 0x3E, Fs = 0x64, Gs = 0x65 };  // segment overrides
enum : uint8_t { OperandSize = 0x66, AddressSize = 0x67, Lock = 0xF0, Repne = 0xF2, Rep = 0xF3 };
}  // namespace PrefixValue

namespace PrefixKind {
enum : uint8_t { None = 0, Segment, OperandSize, AddressSize, Lock, Repeat };
}

struct PrefixInfo {
    uint8_t value;
    uint8_t kind;     // PrefixKind
    uint8_t segment;  // SegmentOverride, for a segment prefix
    const char* description;
};

inline constexpr PrefixInfo kPrefixes[11] = {
    {PrefixValue::Lock, PrefixKind::Lock, SegmentOverride::None, "LOCK prefix"},
    {PrefixValue::Repne, PrefixKind::Repeat, SegmentOverride::None, "REPNE prefix"},
    {PrefixValue::Rep, PrefixKind::Repeat, SegmentOverride::None, "REP prefix"},
    {PrefixValue::OperandSize, PrefixKind::OperandSize, SegmentOverride::None, "Operand size override prefix"},
    {PrefixValue::AddressSize, PrefixKind::AddressSize, SegmentOverride::None, "Address size override prefix"},
    {PrefixValue::Es, PrefixKind::Segment, SegmentOverride::Es, "ES segment override prefix"},
    {PrefixValue::Cs, PrefixKind::Segment, SegmentOverride::Cs, "CS segment override prefix"},
    {PrefixValue::Ss, PrefixKind::Segment, SegmentOverride::Ss, "SS segment override prefix"},
    {PrefixValue::Ds, PrefixKind::Segment, SegmentOverride::Ds, "DS segment override prefix"},
    {PrefixValue::Fs, PrefixKind::Segment, SegmentOverride::Fs, "FS segment override prefix"},
    {PrefixValue::Gs, PrefixKind::Segment, SegmentOverride::Gs, "GS segment override prefix"},
};

// The entry of a byte; kind None (and no description) for a byte that is no prefix.
constexpr PrefixInfo PrefixInfoOf(uint8_t value) {
    for (const PrefixInfo& prefix : kPrefixes) {
        if (prefix.value == value) return prefix;
    }
    return PrefixInfo{value, PrefixKind::None, SegmentOverride::None, nullptr};
}

}  // namespace vexa
