#pragma once
// An in-memory ComposerView for the composer tests: prefix boxes as plain flags,
// the two editors as hex editor byte rows, and everything shown kept as text.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "composer/composer.h"
#include "hexedit/hex_edit_model.h"

namespace vexa::test {

// Everything the view shows, for comparing one refresh with the next.
struct ShownState {
    std::string instructionLine;
    std::string bytesLine;
    std::array<std::string, kFieldLabelSlots> labels;
    std::array<std::array<std::string, 8>, kComposerByteCount> captions;
    std::array<bool, kComposerGroupCount> enabled{};
    std::vector<uint8_t> displacement;
    std::vector<uint8_t> immediate;
    bool operator==(const ShownState&) const = default;
};

class MemoryComposerView : public ComposerView {
public:
    PrefixChoices prefixes;
    std::array<HexEditModel, 2> editors;
    ShownState shown;
    std::array<unsigned, 2> resizes{};  // SetSize calls that changed the size
    bool editorsAnswer = true;          // false: ReadEditorBytes fails, as for an editor without state

    PrefixChoices ReadPrefixChoices() const override { return prefixes; }
    unsigned EditorSize(ByteEditor editor) const override { return Editor(editor).size(); }
    bool ReadEditorBytes(ByteEditor editor, uint8_t* destination) const override {
        if (!editorsAnswer) return false;
        const auto bytes = Editor(editor).bytes();
        std::memcpy(destination, bytes.data(), bytes.size());
        return true;
    }
    void ResizeEditor(ByteEditor editor, unsigned byteCount) override {
        if (Editor(editor).SetSize(byteCount)) ++resizes[Index(editor)];
    }
    void EnableGroup(ComposerGroup group, bool enabled) override {
        shown.enabled[static_cast<unsigned>(group)] = enabled;
    }
    void ShowDisplayLines(const char* instructionLine, const char* bytesLine) override {
        shown.instructionLine = instructionLine;
        shown.bytesLine = bytesLine;
    }
    void ShowFieldLabel(unsigned slot, const char* text) override { shown.labels.at(slot) = text; }
    void ShowBitCaption(ComposerByte row, unsigned position, const char* caption) override {
        shown.captions.at(static_cast<unsigned>(row)).at(position) = caption;
    }

    // Types hex digits into an editor from its first digit on, as the user would.
    void Type(ByteEditor editor, const char* digits) {
        Editor(editor).SetCaret(0);
        for (const char* d = digits; *d != '\0'; ++d) Editor(editor).TypeCharacter(static_cast<uint8_t>(*d));
    }
    std::vector<uint8_t> EditorBytes(ByteEditor editor) const {
        const auto bytes = Editor(editor).bytes();
        return {bytes.begin(), bytes.end()};
    }
    // The shown state with the editors' contents.
    ShownState Snapshot() const {
        ShownState s = shown;
        s.displacement = EditorBytes(ByteEditor::Displacement);
        s.immediate = EditorBytes(ByteEditor::Immediate);
        return s;
    }

private:
    static unsigned Index(ByteEditor editor) { return static_cast<unsigned>(editor); }
    HexEditModel& Editor(ByteEditor editor) { return editors[Index(editor)]; }
    const HexEditModel& Editor(ByteEditor editor) const { return editors[Index(editor)]; }
};

// A composer as the dialog starts it, with helpers that act as the user does.
class ComposerFixture {
public:
    ComposerFixture() { StartComposer(state, view); }

    void Set(ComposerByte which, uint8_t value) {
        ByteOf(state, which) = value;
        Refresh(state, view);
    }
    void Click(ComposerByte which, unsigned position) {
        ToggleBit(state, which, position);
        Refresh(state, view);
    }
    void SetMode32(bool on) {
        state.mode32 = on;
        Refresh(state, view);
    }
    void SetPrefixes(const PrefixChoices& choices) {
        view.prefixes = choices;
        Refresh(state, view);
    }
    const std::string& InstructionLine() const { return view.shown.instructionLine; }
    const std::string& BytesLine() const { return view.shown.bytesLine; }
    unsigned EditorSize(ByteEditor editor) const { return view.EditorSize(editor); }

    ComposerState state;
    MemoryComposerView view;
};

}  // namespace vexa::test
