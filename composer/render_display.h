#pragma once
// The display pass: the instruction line, the bytes line and the field labels
// for the instruction under construction.
#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

// A prefix value in the first code byte shows its description, no bytes and no
// labels. Otherwise composes with the groups in use, decodes into
// state.decoded, shows the formatted line (or "Decode error!!!") and the bytes
// line, and labels the opcode's bit fields from the record.
void RenderDisplay(ComposerState& state, ComposerView& view);

}  // namespace vexa
