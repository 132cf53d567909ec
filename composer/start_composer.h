#pragma once
// The composer as the dialog opens: everything zero, 16-bit decoding, lower
// case, both editors one byte long, every group out of use, one refresh.
#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

void StartComposer(ComposerState& state, ComposerView& view);

}  // namespace vexa
