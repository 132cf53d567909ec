#include "composer/group_enabling.h"

namespace vexa {

void SetGroupEnabled(ComposerState& state, ComposerView& view, ComposerGroup group, bool enabled) {
    GroupFlag(state, group) = enabled;
    view.EnableGroup(group, enabled);
}

void DisableAllGroups(ComposerState& state, ComposerView& view) {
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        SetGroupEnabled(state, view, static_cast<ComposerGroup>(g), false);
    }
}

}  // namespace vexa
