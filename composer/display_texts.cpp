#include "composer/display_texts.h"

#include <cstring>

#include "composer/field_labels.h"
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

const char* BitCaption(uint8_t byte, unsigned position) {
    return ((byte >> (7 - position)) & 1) != 0 ? "1" : "0";
}

void RefreshBitCaptions(const ComposerState& state, ComposerView& view) {
    for (unsigned row = 0; row < kComposerByteCount; ++row) {
        const auto which = static_cast<ComposerByte>(row);
        const uint8_t byte = ByteOf(state, which);
        for (unsigned position = 0; position < 8; ++position) {
            view.ShowBitCaption(which, position, BitCaption(byte, position));
        }
    }
}

}  // namespace vexa
