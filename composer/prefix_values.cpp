#include "composer/prefix_values.h"

#include <array>

namespace vexa {
namespace {

struct PrefixEntry {
    uint8_t value;
    const char* description;
};

constexpr std::array<PrefixEntry, 11> kPrefixes{{
    {0xF0, "LOCK prefix"},
    {0xF2, "REPNE prefix"},
    {0xF3, "REP prefix"},
    {0x66, "Operand size override prefix"},
    {0x67, "Address size override prefix"},
    {0x26, "ES segment override prefix"},
    {0x2E, "CS segment override prefix"},
    {0x36, "SS segment override prefix"},
    {0x3E, "DS segment override prefix"},
    {0x64, "FS segment override prefix"},
    {0x65, "GS segment override prefix"},
}};

// Description by byte value, built once at compile time so the lookup is an index.
constexpr std::array<const char*, 256> kDescriptionByValue = [] {
    std::array<const char*, 256> table{};
    for (const PrefixEntry& entry : kPrefixes) table[entry.value] = entry.description;
    return table;
}();

}  // namespace

bool IsPrefixValue(uint8_t opcode1) { return kDescriptionByValue[opcode1] != nullptr; }

const char* PrefixDescription(uint8_t opcode1) { return kDescriptionByValue[opcode1]; }

}  // namespace vexa
