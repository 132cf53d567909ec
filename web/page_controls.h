#pragma once
// The page's controls as the workbench binding reaches them, by the dialog's
// control ids: the few calls the Win32 dialog makes of its controls
// (SetDlgItemText, EnableWindow, IsDlgButtonChecked, repainting an editor).
// In the browser they are JavaScript functions over the page's elements
// (page_controls.js); the native replay tool implements them in memory.
#include <cstdint>

extern "C" {

// The caption of a button, the text of a line or a label.
void page_set_text(int id, const char* text);
void page_set_enabled(int id, int enabled);
// 1 when a prefix, segment or mode button is pressed.
int page_is_pressed(int id);
// Presses or releases one (CheckDlgButton); a pressed segment button releases
// the others, as a click does.
void page_set_pressed(int id, int pressed);
// Repaints a byte editor: its bytes as "10 00" and the caret in nibbles.
void page_show_editor(int id, const char* bytes, uint32_t caret);
}
