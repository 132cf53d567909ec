#include "composer/refresh.h"

#include "composer/render_display.h"
#include "composer/update_groups.h"

namespace vexa {

void Refresh(ComposerState& state, ComposerView& view) {
    // A failed group pass still gets a display pass, which reports the error.
    UpdateGroups(state, view);
    RenderDisplay(state, view);
}

}  // namespace vexa
