#include "composer/dialog/dialog_view.h"

#include "composer/dialog/dialog_controls.h"
#include "hexedit/hex_edit_control.h"

namespace vexa {

bool DialogView::Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

HWND DialogView::Editor(ByteEditor editor) const {
    return GetDlgItem(dialog_, editor == ByteEditor::Displacement ? IDC_DISPLACEMENT : IDC_IMMEDIATE);
}

PrefixChoices DialogView::ReadPrefixChoices() const {
    PrefixChoices choices;
    choices.operandSize = Checked(IDC_OPERAND_SIZE);
    choices.addressSize = Checked(IDC_ADDRESS_SIZE);
    choices.cs = Checked(IDC_SEGMENT_CS);
    choices.ds = Checked(IDC_SEGMENT_DS);
    choices.es = Checked(IDC_SEGMENT_ES);
    choices.fs = Checked(IDC_SEGMENT_FS);
    choices.gs = Checked(IDC_SEGMENT_GS);
    choices.ss = Checked(IDC_SEGMENT_SS);
    choices.lock = Checked(IDC_LOCK);
    choices.repne = Checked(IDC_REPNE);
    choices.rep = Checked(IDC_REP);
    return choices;
}

// An editor without state answers FFFFFFFFh, which the composer treats as unreadable.
unsigned DialogView::EditorSize(ByteEditor editor) const { return HexEdit_GetSize(Editor(editor)); }

bool DialogView::ReadEditorBytes(ByteEditor editor, uint8_t* destination) const {
    return HexEdit_GetBytes(Editor(editor), destination);
}

void DialogView::ResizeEditor(ByteEditor editor, unsigned byteCount) { HexEdit_SetSize(Editor(editor), byteCount); }

void DialogView::EnableGroup(ComposerGroup group, bool enabled) {
    for (const ControlRange& range : kGroupControls[static_cast<unsigned>(group)]) {
        for (int id = range.first; id <= range.last; ++id) EnableWindow(GetDlgItem(dialog_, id), enabled);
    }
}

void DialogView::ShowDisplayLines(const char* instructionLine, const char* bytesLine) {
    SetDlgItemTextA(dialog_, IDC_INSTRUCTION_LINE, instructionLine);
    SetDlgItemTextA(dialog_, IDC_BYTES_LINE, bytesLine);
}

void DialogView::ShowFieldLabel(unsigned slot, const char* text) {
    if (slot < kFieldLabelId.size()) SetDlgItemTextA(dialog_, kFieldLabelId[slot], text);
}

void DialogView::ShowBitCaption(ComposerByte row, unsigned position, const char* caption) {
    const unsigned rowIndex = static_cast<unsigned>(row);
    if (rowIndex >= kBitRowFirstId.size() || position >= kBitsPerRow) return;
    SetDlgItemTextA(dialog_, kBitRowFirstId[rowIndex] + static_cast<int>(position), caption);
}

}  // namespace vexa
