#pragma once
// One refresh after every user action: the group pass, then the display pass.
#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

void Refresh(ComposerState& state, ComposerView& view);

}  // namespace vexa
