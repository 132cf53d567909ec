#pragma once
// The refresh cycle: the composer as the dialog opens, the group pass (which
// optional parts of the instruction are in use, decided by decoding the
// composition, with the editors sized to match), and the one refresh after
// every user action: the group pass, then the display pass.
#include <cstdint>

#include "composer/composer_state.h"
#include "composer/composer_view.h"
#include "decoder/decoded_instruction.h"

namespace vexa {

// Putting a group in or out of use: its flag in the state and its controls in
// the dialog always change together.
void SetGroupEnabled(ComposerState& state, ComposerView& view, ComposerGroup group, bool enabled);

// All six groups out of use, in the order second code byte, third code byte,
// ModR/M, SIB, displacement, immediate.
void DisableAllGroups(ComposerState& state, ComposerView& view);

// The groups a decode calls for. dispSize and immSize are the first non-zero
// sizes among all three operand slots, whatever operandCount says.
struct CalledForGroups {
    bool modrm = false;
    bool sib = false;
    unsigned dispSize = 0;
    unsigned immSize = 0;
    bool operator==(const CalledForGroups&) const = default;
};

CalledForGroups GroupsCalledFor(const DecodedInstruction& decoded);

// Compose-and-decode is repeated with the groups just derived until they no
// longer change, so the groups always match the instruction shown. ModR/M
// settles in the first round, SIB in the second, the sizes in the third; the
// fourth confirms.
constexpr unsigned kMaxGroupRounds = 4;

// The group pass. A prefix value in the first code byte takes every group out
// of use without decoding. Otherwise the second code byte is in use exactly for
// 0Fh, and the ModR/M, SIB, displacement and immediate groups follow the
// settled decode; editors are resized only once, to the settled non-zero sizes.
// A failed decode leaves those groups as they were and skips the bit captions
// (returns false).
bool UpdateGroups(ComposerState& state, ComposerView& view);

// The group pass, then the display pass (RenderDisplay).
void Refresh(ComposerState& state, ComposerView& view);

// The composer as the dialog opens: everything zero, 16-bit decoding, lower
// case, both editors one byte long, every group out of use, one refresh.
void StartComposer(ComposerState& state, ComposerView& view);

}  // namespace vexa
