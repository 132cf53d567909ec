#pragma once
// The second opinion: Capstone in its 16- and 32-bit modes, its result in the
// common form. Asked only where Vexa and Zydis disagree.
#include <capstone/capstone.h>

#include <cstddef>
#include <cstdint>

#include "tests/differential/normalized_instruction.h"

namespace vexa::diff {

class CapstonePeer {
public:
    CapstonePeer();
    ~CapstonePeer();
    CapstonePeer(const CapstonePeer&) = delete;
    CapstonePeer& operator=(const CapstonePeer&) = delete;

    // Decodes `size` bytes in the mode given. The mnemonic of the result points
    // into this object and stays valid until the next call.
    NormalizedInstruction Decode(const uint8_t* bytes, size_t size, bool is32BitMode);

private:
    csh handle16_ = 0;
    csh handle32_ = 0;
    cs_insn* insn16_ = nullptr;
    cs_insn* insn32_ = nullptr;
    char mnemonic_[32] = {};
};

}  // namespace vexa::diff
