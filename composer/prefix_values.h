#pragma once
// The eleven prefix bytes, which the composer describes instead of decoding
// when one stands in the first code byte.
#include <cstdint>

namespace vexa {

// True for 26h, 2Eh, 36h, 3Eh, 64h, 65h, 66h, 67h, F0h, F2h, F3h (not F1h).
bool IsPrefixValue(uint8_t opcode1);

// "REP prefix", "FS segment override prefix", ...; nullptr for a byte that is
// not a prefix.
const char* PrefixDescription(uint8_t opcode1);

}  // namespace vexa
