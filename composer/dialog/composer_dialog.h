#pragma once
// The workbench dialog (template IDD_WORKBENCH): its controls edit the composer
// and show what it computes.
#include <windows.h>

namespace vexa {

// The dialog procedure of the workbench template, for the program's modal
// dialog and equally for a modeless one. The composer behind it is the
// program's one instance: one workbench dialog at a time, each WM_INITDIALOG
// starts it afresh.
INT_PTR CALLBACK ComposerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vexa
