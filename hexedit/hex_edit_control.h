#pragma once
// The HexEditControl window class: an overwrite-only hexadecimal editor for a
// short row of bytes, sized from outside. After every accepted digit it sends
// its parent WM_COMMAND with EN_CHANGE in the high word of wParam, its id in the
// low word and 0 as lParam. Win32 only (ANSI API).
#include <windows.h>

#include <cstdint>

#include "hexedit/hex_edit_model.h"

namespace vexa {

inline constexpr char kHexEditClassName[] = "HexEditControl";
// The window property that holds each window's HexEditModel.
inline constexpr char kHexEditInfoProperty[] = "HexEditInfo";

// Registers the window class for `instance`; true on success.
bool HexEdit_Register(HINSTANCE instance);

// Resizes the row (see HexEditModel::SetSize) and repaints it. Does nothing
// for a window without editor state.
void HexEdit_SetSize(HWND window, uint32_t newCount);
// The number of bytes, or 0xFFFFFFFF for a window without editor state.
uint32_t HexEdit_GetSize(HWND window);
// Copies all HexEdit_GetSize(window) bytes to `destination`; false, copying
// nothing, without a destination or editor state.
bool HexEdit_GetBytes(HWND window, uint8_t* destination);
// Clamps and stores the caret; moves the system caret when the window has the focus.
void HexEdit_SetCaret(HWND window, int32_t position);
// The nibble under client x coordinate `x` (0 without editor state).
uint32_t HexEdit_HitTest(HWND window, int32_t x);
// Draws the row of `state` into `deviceContext` within `clientRect`.
void HexEdit_Paint(HWND window, HDC deviceContext, const RECT& clientRect, const HexEditModel* state);

// The editor state of `window`, or nullptr when it has none.
HexEditModel* HexEdit_State(HWND window);

}  // namespace vexa
