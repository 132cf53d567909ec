#include "composer/bit_captions.h"

namespace vexa {

const char* BitCaption(uint8_t byte, unsigned position) {
    return ((byte >> (7 - position)) & 1) != 0 ? "1" : "0";
}

void RefreshBitCaptions(const ComposerState& state, ComposerView& view) {
    for (unsigned row = 0; row < kComposerByteCount; ++row) {
        const auto which = static_cast<ComposerByte>(row);
        const uint8_t byte = ByteOf(state, which);
        for (unsigned position = 0; position < 8; ++position) {
            view.ShowBitCaption(which, position, BitCaption(byte, position));
        }
    }
}

}  // namespace vexa
