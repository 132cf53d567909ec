#pragma once
// The "0"/"1" captions of the forty bit buttons.
#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

// "1" when the bit under row position `position` (0 leftmost = bit 7) is set.
const char* BitCaption(uint8_t byte, unsigned position);

// Sets all forty captions from the five bytes.
void RefreshBitCaptions(const ComposerState& state, ComposerView& view);

}  // namespace vexa
