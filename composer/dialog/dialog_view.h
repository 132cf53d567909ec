#pragma once
// The composer's view over the workbench dialog's controls: prefix buttons,
// the two hex byte editors, the groups' controls, the display lines, the field
// labels and the bit buttons' captions.
#include <windows.h>

#include "composer/composer_view.h"

namespace vexa {

class DialogView : public ComposerView {
public:
    explicit DialogView(HWND dialog = nullptr) : dialog_(dialog) {}

    PrefixChoices ReadPrefixChoices() const override;
    unsigned EditorSize(ByteEditor editor) const override;
    bool ReadEditorBytes(ByteEditor editor, uint8_t* destination) const override;
    void ResizeEditor(ByteEditor editor, unsigned byteCount) override;
    void EnableGroup(ComposerGroup group, bool enabled) override;
    void ShowDisplayLines(const char* instructionLine, const char* bytesLine) override;
    void ShowFieldLabel(unsigned slot, const char* text) override;
    void ShowBitCaption(ComposerByte row, unsigned position, const char* caption) override;

private:
    bool Checked(int id) const;
    HWND Editor(ByteEditor editor) const;

    HWND dialog_;
};

}  // namespace vexa
