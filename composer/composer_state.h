#pragma once
// The instruction under construction and the byte string it composes: the five
// bytes edited bit by bit, which of the optional parts are in use, the case
// switch, the decoding mode and the record of the most recent decode; the bit
// toggle; the prefix bytes; and the composition in the order the decoder reads
// it: prefixes in a fixed order, code bytes, ModR/M, SIB, then the displacement
// and immediate editors' bytes.
#include <cstdint>

#include "composer/composer_view.h"
#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"

namespace vexa {

struct ComposerState {
    uint8_t opcode1 = 0;
    uint8_t opcode2 = 0;  // the byte after the 0Fh escape
    uint8_t opcode3 = 0;  // kept and toggled, never in use
    uint8_t modrm = 0;
    uint8_t sib = 0;

    bool opcode2Used = false;
    bool opcode3Used = false;  // nothing sets it
    bool modrmUsed = false;
    bool sibUsed = false;  // only together with modrmUsed
    bool dispUsed = false;
    bool immUsed = false;

    bool upperCase = false;
    // Decoding mode of this composer (32-bit default sizes when set); passed to
    // every decode, so the composer never depends on the global flag.
    bool mode32 = false;

    // The most recent decode; the display pass's decode is the one left here.
    DecodedInstruction decoded{};
};

uint8_t& ByteOf(ComposerState& state, ComposerByte which);
uint8_t ByteOf(const ComposerState& state, ComposerByte which);
bool& GroupFlag(ComposerState& state, ComposerGroup group);
bool GroupFlag(const ComposerState& state, ComposerGroup group);

// A click on one of the forty bit buttons: XORs the bit under the button at
// `position` (0 leftmost = bit 7) into the byte. Applied whether or not the
// byte's group is in use. False, changing nothing, for a position outside 0-7
// or a byte outside the five rows.
bool ToggleBit(ComposerState& state, ComposerByte byteIndex, unsigned position);

// The eleven prefix bytes, which the composer describes instead of decoding
// when one stands in the first code byte.
// True for 26h, 2Eh, 36h, 3Eh, 64h, 65h, 66h, 67h, F0h, F2h, F3h (not F1h).
bool IsPrefixValue(uint8_t opcode1);
// "REP prefix", "FS segment override prefix", ...; nullptr for a byte that is
// not a prefix.
const char* PrefixDescription(uint8_t opcode1);

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
