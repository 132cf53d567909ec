#include "composer/dialog/composer_dialog.h"

#include "composer/composer.h"
#include "composer/dialog/dialog_controls.h"
#include "composer/dialog/dialog_view.h"

namespace vexa {
namespace {

// The program-wide values: the view holds the dialog's handle.
struct Workbench {
    HFONT displayFont = nullptr;
    ComposerState state;
    DialogView view;
};
Workbench workbench;

// The composer's own start-up does the rest: 16-bit decoding (the "32-bit
// Mode" box starts unchecked), both editors one byte long, every group out of
// use, one refresh.
void OnInitDialog(HWND dialog) {
    workbench.view = DialogView(dialog);
    mode32 = 0;  // the program-wide flag follows the box
    workbench.displayFont = static_cast<HFONT>(GetStockObject(OEM_FIXED_FONT));
    for (int line : {IDC_INSTRUCTION_LINE, IDC_BYTES_LINE}) {
        SendDlgItemMessageA(dialog, line, WM_SETFONT, reinterpret_cast<WPARAM>(workbench.displayFont), FALSE);
    }
    StartComposer(workbench.state, workbench.view);
}

void ToggleBitButton(int id) {
    const unsigned index = static_cast<unsigned>(id - kFirstBitButtonId);
    ToggleBit(workbench.state, static_cast<ComposerByte>(index / kBitsPerRow), index % kBitsPerRow);
}

// The prefix buttons check themselves before the command arrives; the
// composition reads their state, so they only need a refresh.
bool IsPrefixButton(int id) {
    return (id >= IDC_SEGMENT_CS && id <= IDC_REPNE) || id == IDC_SEGMENT_NONE ||
           (id >= IDC_OPERAND_SIZE && id <= IDC_REP);
}

void OnCommand(HWND dialog, int id, unsigned notification) {
    ComposerState& state = workbench.state;
    if (id >= kFirstBitButtonId && id <= kLastBitButtonId) {
        ToggleBitButton(id);
    } else if (id == IDC_MODE32) {
        state.mode32 = IsDlgButtonChecked(dialog, IDC_MODE32) == BST_CHECKED;
        mode32 = state.mode32 ? 1 : 0;
    } else if (id == IDC_DISPLACEMENT || id == IDC_IMMEDIATE) {
        if (notification != EN_CHANGE) return;
    } else if (id == IDC_CASE) {
        state.upperCase = !state.upperCase;
        // The button names the case it switches to.
        SetDlgItemTextA(dialog, IDC_CASE, state.upperCase ? "L" : "U");
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return;
    } else if (!IsPrefixButton(id)) {
        return;  // IDOK (Enter) among them
    }
    Refresh(state, workbench.view);
}

}  // namespace

INT_PTR CALLBACK ComposerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return TRUE;  // the dialog manager focuses the first tab stop, "rep"
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
    }
    return FALSE;
}

}  // namespace vexa
