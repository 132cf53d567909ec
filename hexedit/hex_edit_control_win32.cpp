#include "hexedit/hex_edit_control.h"

#include <cstring>
#include <new>
#include <span>

namespace vexa {
namespace {

constexpr UINT kSimpleBeep = 0xFFFFFFFF;

void InvalidateAll(HWND window) { InvalidateRect(window, nullptr, TRUE); }

// The system caret exists only while the window has the focus; without it the
// position is just stored and applied when the focus arrives.
void PlaceCaret(HWND window, const HexEditModel& state) {
    if (GetFocus() == window) SetCaretPos(state.CaretX(), 0);
}

void MeasureSystemFixedFont(HWND window, HexEditModel& state) {
    HDC dc = GetDC(window);
    if (dc == nullptr) return;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc, &metrics)) {
        // The maximum width, not the average: a cell must hold any character.
        state.charWidth = metrics.tmMaxCharWidth;
        state.charHeight = metrics.tmHeight;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(window, dc);
}

// The window gets no state when an allocation fails; it then answers nothing.
void OnCreate(HWND window) {
    HexEditModel* state = nullptr;
    try {
        state = new HexEditModel();
    } catch (const std::bad_alloc&) {
        return;
    }
    MeasureSystemFixedFont(window, *state);
    if (!SetPropA(window, kHexEditInfoProperty, state)) delete state;
}

void OnDestroy(HWND window) { delete static_cast<HexEditModel*>(RemovePropA(window, kHexEditInfoProperty)); }

void OnSetFocus(HWND window, const HexEditModel& state) {
    CreateCaret(window, nullptr, state.charWidth, state.charHeight);
    PlaceCaret(window, state);
    ShowCaret(window);
    InvalidateAll(window);
}

void OnKillFocus(HWND window) {
    HideCaret(window);
    DestroyCaret();
    InvalidateAll(window);
}

void OnKeyDown(HWND window, HexEditModel& state, WPARAM virtualKey) {
    HexEditKey key;
    switch (virtualKey) {
        case VK_END: key = HexEditKey::End; break;
        case VK_HOME: key = HexEditKey::Home; break;
        case VK_LEFT: key = HexEditKey::Left; break;
        case VK_RIGHT: key = HexEditKey::Right; break;
        default: return;
    }
    state.PressKey(key);
    PlaceCaret(window, state);
}

void OnChar(HWND window, HexEditModel& state, WPARAM character) {
    if (!state.TypeCharacter(static_cast<uint32_t>(character))) {
        MessageBeep(kSimpleBeep);
        return;
    }
    PlaceCaret(window, state);
    InvalidateAll(window);
    // Last: the parent may resize or even destroy this window while it handles
    // the notification, so nothing touches the state after it.
    const WORD id = LOWORD(GetDlgCtrlID(window));
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), 0);
}

void OnClick(HWND window, LPARAM position) {
    if (GetFocus() != window) SetFocus(window);
    // Taking the focus runs other windows' handlers; look the state up afresh.
    HexEditModel* state = HexEdit_State(window);
    if (state == nullptr) return;
    const int32_t x = static_cast<int16_t>(LOWORD(position));
    state->SetCaret(int64_t{state->HitTest(x)} + 2 * int64_t{state->firstVisible()});
    PlaceCaret(window, *state);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (const HexEditModel* state = HexEdit_State(window); state != nullptr && dc != nullptr) {
        RECT client;
        GetClientRect(window, &client);
        HexEdit_Paint(window, dc, client, state);
    }
    EndPaint(window, &paint);
}

void FillRectangle(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    if (brush != nullptr && pen != nullptr) {
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    if (pen != nullptr) DeleteObject(pen);
    if (brush != nullptr) DeleteObject(brush);
}

LRESULT CALLBACK HexEditWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(window); return 0;
        case WM_DESTROY: OnDestroy(window); break;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_ENABLE: InvalidateAll(window); break;
        case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_WANTARROWS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_KEYDOWN:
        case WM_CHAR: {
            HexEditModel* state = HexEdit_State(window);
            if (state == nullptr) return 0;
            if (message == WM_SETFOCUS) OnSetFocus(window, *state);
            if (message == WM_KILLFOCUS) OnKillFocus(window);
            if (message == WM_KEYDOWN) OnKeyDown(window, *state, wParam);
            if (message == WM_CHAR) OnChar(window, *state, wParam);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (HexEdit_State(window) != nullptr) OnClick(window, lParam);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HexEditModel* HexEdit_State(HWND window) {
    if (window == nullptr) return nullptr;
    return static_cast<HexEditModel*>(GetPropA(window, kHexEditInfoProperty));
}

bool HexEdit_Register(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = HexEditWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHexEditClassName;
    return RegisterClassExA(&windowClass) != 0;
}

void HexEdit_SetSize(HWND window, uint32_t newCount) {
    HexEditModel* state = HexEdit_State(window);
    if (state == nullptr || !state->SetSize(newCount)) return;
    PlaceCaret(window, *state);
    InvalidateAll(window);
}

uint32_t HexEdit_GetSize(HWND window) {
    const HexEditModel* state = HexEdit_State(window);
    return state != nullptr ? state->size() : 0xFFFFFFFF;
}

bool HexEdit_GetBytes(HWND window, uint8_t* destination) {
    const HexEditModel* state = HexEdit_State(window);
    if (destination == nullptr || state == nullptr) return false;
    std::memcpy(destination, state->bytes().data(), state->size());
    return true;
}

void HexEdit_SetCaret(HWND window, int32_t position) {
    HexEditModel* state = HexEdit_State(window);
    if (state == nullptr) return;
    state->SetCaret(position);
    PlaceCaret(window, *state);
}

uint32_t HexEdit_HitTest(HWND window, int32_t x) {
    const HexEditModel* state = HexEdit_State(window);
    return state != nullptr ? state->HitTest(x) : 0;
}

void HexEdit_Paint(HWND window, HDC dc, const RECT& client, const HexEditModel* state) {
    if (state == nullptr || dc == nullptr) return;
    if (client.right <= client.left || client.bottom <= client.top) return;
    const bool enabled = IsWindowEnabled(window);
    const COLORREF background = enabled ? state->backColor : GetSysColor(COLOR_BTNFACE);
    FillRectangle(dc, client, background);

    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    const COLORREF oldText = GetTextColor(dc);
    const COLORREF oldBack = GetBkColor(dc);
    RECT text{client.left, client.top, client.right, client.top + state->charHeight};
    const std::span<const uint8_t> bytes = state->bytes();
    // A byte is drawn whenever its left edge lies within the client area, even
    // if its digits are cut off at the right.
    for (uint32_t i = state->firstVisible(); i < bytes.size() && text.left <= client.right; ++i) {
        const bool odd = i % 2 != 0;
        SetTextColor(dc, !enabled ? RGB(0, 0, 0) : odd ? state->textColorOdd : state->textColorEven);
        SetBkColor(dc, !enabled ? background : odd ? state->backColorOdd : state->backColorEven);
        static constexpr char kHexDigits[] = "0123456789ABCDEF";
        char digits[2] = {kHexDigits[bytes[i] >> 4], kHexDigits[bytes[i] & 0x0F]};
        DrawTextA(dc, digits, 2, &text, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
        text.left += state->Stride();
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldFont);
}

}  // namespace vexa
