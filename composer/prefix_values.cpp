#include "composer/prefix_values.h"

#include <array>

#include "decoder/prefix_bytes.h"

namespace vexa {
namespace {

// Description by byte value, built once at compile time so the lookup is an index.
constexpr std::array<const char*, 256> kDescriptionByValue = [] {
    std::array<const char*, 256> table{};
    for (const PrefixInfo& entry : kPrefixes) table[entry.value] = entry.description;
    return table;
}();

}  // namespace

bool IsPrefixValue(uint8_t opcode1) { return kDescriptionByValue[opcode1] != nullptr; }

const char* PrefixDescription(uint8_t opcode1) { return kDescriptionByValue[opcode1]; }

}  // namespace vexa
