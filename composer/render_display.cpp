#include "composer/render_display.h"

#include <cstring>

#include "composer/composition.h"
#include "composer/field_labels.h"
#include "composer/prefix_values.h"
#include "decoder/decoder.h"
#include "formatter/display_lines.h"

namespace vexa {

void RenderDisplay(ComposerState& state, ComposerView& view) {
    ClearFieldLabels(view);
    if (IsPrefixValue(state.opcode1)) {
        view.ShowDisplayLines(PrefixDescription(state.opcode1), "");
        return;
    }

    char instructionLine[kDisplayLineSize] = "";
    char bytesLine[kDisplayLineSize] = "";
    uint8_t buffer[kCompositionSize] = {};
    if (ComposeBytes(state, view, buffer)) {
        const bool decodeOk = DecodeInstruction(buffer, &state.decoded, state.mode32);
        BuildDisplayLines(buffer, state.decoded, decodeOk, state.upperCase, instructionLine, bytesLine);
    } else {
        std::strcpy(instructionLine, kDecodeErrorText);
    }
    // Labels follow the record as the last decode left it, even after a failure.
    SetFieldLabels(view, state.decoded.opcodeClass, state.decoded.subClass);
    view.ShowDisplayLines(instructionLine, bytesLine);
}

}  // namespace vexa
