// A dialog with one six-byte HexEditControl where the workbench has its
// displacement editor, for looking at the control by eye. The caption gives the
// measured cell width and the stride.
#include <windows.h>

#include <cstdio>

#include "hexedit/hex_edit_control.h"

namespace {

constexpr int kDialogId = 101;
constexpr int kEditorId = 1053;

INT_PTR CALLBACK DemoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        HWND editor = GetDlgItem(dialog, kEditorId);
        vexa::HexEdit_SetSize(editor, 6);
        for (const char* digit = "0123456789ab"; *digit != '\0'; ++digit) SendMessageA(editor, WM_CHAR, *digit, 1);
        vexa::HexEdit_SetCaret(editor, 0);
        if (const vexa::HexEditModel* state = vexa::HexEdit_State(editor)) {
            char caption[80];
            std::snprintf(caption, sizeof caption, "cell %d x %d px, stride %d px", state->charWidth,
                          state->charHeight, state->Stride());
            SetWindowTextA(dialog, caption);
        }
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    vexa::HexEdit_Register(instance);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), nullptr, DemoDialogProc, 0);
    return 0;
}
