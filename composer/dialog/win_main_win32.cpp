// The program: one modal workbench dialog; closing it ends the program.
#include <windows.h>
#include <commctrl.h>

#include "composer/dialog/composer_dialog.h"
#include "hexedit/hex_edit_control.h"
#include "resources/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    vexa::HexEdit_Register(instance);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WORKBENCH), nullptr, vexa::ComposerDialogProc, 0);
    return 0;
}
