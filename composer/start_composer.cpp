#include "composer/start_composer.h"

#include "composer/group_enabling.h"
#include "composer/refresh.h"

namespace vexa {

void StartComposer(ComposerState& state, ComposerView& view) {
    state = ComposerState{};
    view.ResizeEditor(ByteEditor::Displacement, 1);
    view.ResizeEditor(ByteEditor::Immediate, 1);
    DisableAllGroups(state, view);
    Refresh(state, view);
}

}  // namespace vexa
