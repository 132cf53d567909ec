#pragma once
// Putting a group in or out of use: its flag here and its controls in the
// dialog always change together.
#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

void SetGroupEnabled(ComposerState& state, ComposerView& view, ComposerGroup group, bool enabled);

// All six groups out of use, in the order second code byte, third code byte,
// ModR/M, SIB, displacement, immediate. The dialog's start-up uses it too.
void DisableAllGroups(ComposerState& state, ComposerView& view);

}  // namespace vexa
