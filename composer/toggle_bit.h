#pragma once
// A click on one of the forty bit buttons.
#include "composer/composer_state.h"

namespace vexa {

// XORs the bit under the button at `position` (0 leftmost = bit 7) into the
// byte. Applied whether or not the byte's group is in use. False, changing
// nothing, for a position outside 0-7 or a byte outside the five rows.
bool ToggleBit(ComposerState& state, ComposerByte byteIndex, unsigned position);

}  // namespace vexa
