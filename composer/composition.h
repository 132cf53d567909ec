#pragma once
// The byte string of the instruction under construction, in the order the
// decoder reads it: prefixes in a fixed order, code bytes, ModR/M, SIB, then the
// displacement and immediate editors' bytes.
#include <cstdint>

#include "composer/composer_state.h"
#include "composer/composer_view.h"
#include "decoder/decoder.h"

namespace vexa {

// The composition buffer: as many bytes as the decoder may read.
constexpr unsigned kCompositionSize = kDecodeWindow;
// The most bytes either editor is ever sized to (a 32-bit far pointer).
constexpr unsigned kEditorCapacity = 6;

// One editor's bytes as read for a pass; zero past `count`.
struct EditorContents {
    unsigned count = 0;
    bool readable = false;  // false when the editor failed to answer or holds more than fits
    uint8_t bytes[kEditorCapacity] = {};
};

// Everything a composition takes from the dialog, read once per pass.
struct CompositionInputs {
    PrefixChoices prefixes;
    EditorContents displacement;
    EditorContents immediate;
};

// Which optional parts go into a composition; editor bytes are cut or
// zero-extended to the sizes given (0 = left out).
struct CompositionParts {
    bool opcode2 = false;
    bool opcode3 = false;
    bool modrm = false;
    bool sib = false;  // only together with modrm
    unsigned dispSize = 0;
    unsigned immSize = 0;
};

CompositionInputs ReadCompositionInputs(const ComposerView& view);

// Writes the instruction bytes from the start of a buffer that the caller has
// zero-filled (kCompositionSize bytes); writes nothing else. False for a missing
// buffer or an editor size beyond kEditorCapacity.
bool WriteComposition(const ComposerState& state, const CompositionInputs& inputs, const CompositionParts& parts,
                      uint8_t* buffer);

// Composes the parts whose groups are in use, each editor with its own byte
// count. False for a missing buffer or an editor in use that cannot be read.
bool ComposeBytes(const ComposerState& state, const ComposerView& view, uint8_t* buffer);

}  // namespace vexa
