#pragma once
// What the composer shows about the instruction under construction: the
// instruction line and the bytes line with the field labels (the display pass),
// and the "0"/"1" captions of the forty bit buttons. The labels' table is in
// field_labels.h.
#include <cstdint>

#include "composer/composer_state.h"
#include "composer/composer_view.h"

namespace vexa {

// The display pass. A prefix value in the first code byte shows its
// description, no bytes and no labels. Otherwise composes with the groups in
// use, decodes into state.decoded, shows the formatted line (or "Decode
// error!!!") and the bytes line, and labels the opcode's bit fields from the
// record.
void RenderDisplay(ComposerState& state, ComposerView& view);

// "1" when the bit under row position `position` (0 leftmost = bit 7) is set.
const char* BitCaption(uint8_t byte, unsigned position);

// Sets all forty captions from the five bytes; run by the group pass.
void RefreshBitCaptions(const ComposerState& state, ComposerView& view);

}  // namespace vexa
