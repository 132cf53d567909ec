#pragma once
// The first peer: Zydis in its 16- and 32-bit legacy modes, its result in the
// common form, with the raw result kept for the classification of differences.
#include <Zydis/Zydis.h>

#include <cstddef>
#include <cstdint>

#include "tests/differential/normalized_instruction.h"

namespace vexa::diff {

struct ZydisDecode {
    ZyanStatus status = ZYAN_STATUS_FAILED;
    ZydisDecodedInstruction instruction{};
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT]{};
    NormalizedInstruction normalized;
};

class ZydisPeer {
public:
    ZydisPeer();
    // Decodes `size` bytes (at most 15 are read) in the mode given.
    void Decode(const uint8_t* bytes, size_t size, bool is32BitMode, ZydisDecode& out) const;

private:
    ZydisDecoder decoder16_{};
    ZydisDecoder decoder32_{};
};

}  // namespace vexa::diff
