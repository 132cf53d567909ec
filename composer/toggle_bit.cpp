#include "composer/toggle_bit.h"

namespace vexa {

bool ToggleBit(ComposerState& state, ComposerByte byteIndex, unsigned position) {
    if (position > 7 || static_cast<unsigned>(byteIndex) >= kComposerByteCount) return false;
    uint8_t& byte = ByteOf(state, byteIndex);
    byte = static_cast<uint8_t>(byte ^ (1u << (7 - position)));
    return true;
}

}  // namespace vexa
