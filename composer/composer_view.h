#pragma once
// What the composer reads from and writes to the dialog's controls, and the
// names of the dialog's parts it speaks of: the bit rows, the groups, the
// prefix buttons and the two byte editors. The Win32 dialog implements the view
// over its buttons, statics and hex byte editors; tests implement it in memory.
#include <cstdint>

namespace vexa {

// The five bit-button rows, top-left to bottom-right.
enum class ComposerByte : uint8_t { Opcode1, Opcode2, Opcode3, ModRM, Sib };
constexpr unsigned kComposerByteCount = 5;

// The optional parts of the instruction; each has a flag in ComposerState and a
// set of controls in the dialog that are enabled exactly while the flag is set.
enum class ComposerGroup : uint8_t { Opcode2, Opcode3, ModRM, Sib, Displacement, Immediate };
constexpr unsigned kComposerGroupCount = 6;

// The prefix buttons' checked states. The segment buttons form a radio group,
// but the composition still takes only the first chosen in the order cs, ds,
// es, fs, gs, ss.
struct PrefixChoices {
    bool operandSize = false;  // 66h
    bool addressSize = false;  // 67h
    bool cs = false;
    bool ds = false;
    bool es = false;
    bool fs = false;
    bool gs = false;
    bool ss = false;
    bool lock = false;   // F0h
    bool repne = false;  // F2h
    bool rep = false;    // F3h
};

enum class ByteEditor : uint8_t { Displacement, Immediate };

class ComposerView {
public:
    virtual ~ComposerView() = default;

    // The prefix buttons as they stand now; read afresh for every composition.
    virtual PrefixChoices ReadPrefixChoices() const = 0;

    // The editor's byte count. 0, or more than the composer ever sizes an editor
    // to (6, as FFFFFFFFh from an editor without state), reads as an editor
    // that cannot be read.
    virtual unsigned EditorSize(ByteEditor editor) const = 0;
    // Copies all EditorSize(editor) bytes, first byte first; false when the
    // editor cannot be read.
    virtual bool ReadEditorBytes(ByteEditor editor, uint8_t* destination) const = 0;
    // Sets the byte count: leading bytes kept, new bytes 00h, the same count
    // changes nothing.
    virtual void ResizeEditor(ByteEditor editor, unsigned byteCount) = 0;

    // Enables or disables the group's controls; the composer keeps the flag.
    virtual void EnableGroup(ComposerGroup group, bool enabled) = 0;

    virtual void ShowDisplayLines(const char* instructionLine, const char* bytesLine) = 0;
    // Slot 0-10; an empty text clears the label.
    virtual void ShowFieldLabel(unsigned slot, const char* text) = 0;
    // Position 0-7 in the byte's row, 0 leftmost (bit 7); caption "0" or "1".
    virtual void ShowBitCaption(ComposerByte row, unsigned position, const char* caption) = 0;
};

}  // namespace vexa
