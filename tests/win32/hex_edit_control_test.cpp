// Real HexEditControl windows in a real parent window, driven and read back
// through the Win32 API. Runs under Wine on Linux (tests/win32/wine_tests.cmake).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hexedit/hex_edit_control.h"

namespace vexa {
namespace {

constexpr int kEditorId = 1053;
constexpr char kParentClassName[] = "HexEditTestParent";

struct Notification {
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Notification> notifications;

LRESULT CALLBACK ParentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        notifications.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registers both classes once, before any test, and keeps the editor's result.
class WindowClasses : public ::testing::Environment {
public:
    static inline bool editorRegistered = false;

    void SetUp() override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        editorRegistered = HexEdit_Register(instance);
        WNDCLASSEXA parentClass{};
        parentClass.cbSize = sizeof parentClass;
        parentClass.lpfnWndProc = ParentWindowProc;
        parentClass.hInstance = instance;
        parentClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        parentClass.lpszClassName = kParentClassName;
        RegisterClassExA(&parentClass);
    }
};
const auto* const windowClasses = ::testing::AddGlobalTestEnvironment(new WindowClasses);

std::vector<uint8_t> Bytes(HWND editor) {
    std::vector<uint8_t> bytes(HexEdit_GetSize(editor), 0xEE);
    EXPECT_TRUE(HexEdit_GetBytes(editor, bytes.data()));
    return bytes;
}

class HexEditWindow : public ::testing::Test {
protected:
    // One visible parent for all tests: under Wine without a window manager,
    // hiding or destroying a shown top-level window waits two seconds.
    static void SetUpTestSuite() {
        parent_ = CreateWindowExA(0, kParentClassName, "HexEdit test", WS_POPUP | WS_VISIBLE, 0, 0, 480, 160, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(parent_); }

    void SetUp() override {
        ASSERT_TRUE(WindowClasses::editorRegistered);
        ASSERT_NE(parent_, nullptr);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        editor_ = CreateWindowExA(WS_EX_CLIENTEDGE, kHexEditClassName, "Custom1", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                  10, 10, 400, 24, parent_, reinterpret_cast<HMENU>(kEditorId), instance, nullptr);
        ASSERT_NE(editor_, nullptr);
        other_ = CreateWindowExA(0, "BUTTON", "other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60, 80, 24, parent_,
                                 reinterpret_cast<HMENU>(1), instance, nullptr);
        ASSERT_NE(other_, nullptr);
        state_ = HexEdit_State(editor_);
        ASSERT_NE(state_, nullptr);
        notifications.clear();
    }

    void TearDown() override {
        if (IsWindow(editor_)) DestroyWindow(editor_);
        if (IsWindow(other_)) DestroyWindow(other_);
    }

    void Type(const char* text) {
        for (; *text != '\0'; ++text) SendMessageA(editor_, WM_CHAR, static_cast<uint8_t>(*text), 1);
    }
    void Key(WPARAM virtualKey) { SendMessageA(editor_, WM_KEYDOWN, virtualKey, 1); }
    void Click(UINT message, int x, int y) { SendMessageA(editor_, message, 0, MAKELPARAM(x, y)); }

    static GUITHREADINFO CaretInfo() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
        return info;
    }

    static inline HWND parent_ = nullptr;
    HWND editor_ = nullptr;
    HWND other_ = nullptr;
    HexEditModel* state_ = nullptr;
};

TEST_F(HexEditWindow, ClassIsRegisteredAsDescribed) {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), kHexEditClassName, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(info.hIcon, nullptr);
    EXPECT_FALSE(HexEdit_Register(GetModuleHandleA(nullptr))) << "a second registration must fail";
}

TEST_F(HexEditWindow, NewEditorHoldsOneZeroByteUnderItsProperty) {
    EXPECT_EQ(GetPropA(editor_, "HexEditInfo"), state_);
    EXPECT_EQ(HexEdit_GetSize(editor_), 1u);
    EXPECT_EQ(Bytes(editor_), std::vector<uint8_t>{0x00});
    EXPECT_EQ(state_->caret(), 0u);
    EXPECT_GT(state_->charWidth, 0);
    EXPECT_GT(state_->charHeight, 0);
    EXPECT_EQ(SendMessageA(editor_, WM_GETDLGCODE, 0, 0), 0x81);
}

TEST_F(HexEditWindow, ResizingKeepsTheLeadingBytes) {
    Type("5a");
    HexEdit_SetSize(editor_, 4);
    EXPECT_EQ(Bytes(editor_), (std::vector<uint8_t>{0x5A, 0x00, 0x00, 0x00}));
    HexEdit_SetSize(editor_, 0);
    HexEdit_SetSize(editor_, 0xFFFFFFFF);
    EXPECT_EQ(HexEdit_GetSize(editor_), 4u);
    HexEdit_SetSize(editor_, 1);
    EXPECT_EQ(Bytes(editor_), std::vector<uint8_t>{0x5A});
    EXPECT_FALSE(HexEdit_GetBytes(editor_, nullptr));
    EXPECT_EQ(notifications.size(), 2u) << "only the two digits notify";
}

TEST_F(HexEditWindow, OnlyARealSizeChangeRepaints) {
    HexEdit_SetSize(editor_, 2);
    RedrawWindow(parent_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ValidateRect(editor_, nullptr);
    ASSERT_FALSE(GetUpdateRect(editor_, nullptr, FALSE));
    HexEdit_SetSize(editor_, 2);
    EXPECT_FALSE(GetUpdateRect(editor_, nullptr, FALSE));
    HexEdit_SetSize(editor_, 3);
    EXPECT_TRUE(GetUpdateRect(editor_, nullptr, FALSE));
}

TEST_F(HexEditWindow, WindowsWithoutEditorStateAnswerFailure) {
    EXPECT_EQ(HexEdit_GetSize(other_), 0xFFFFFFFFu);
    EXPECT_EQ(HexEdit_GetSize(nullptr), 0xFFFFFFFFu);
    uint8_t byte = 0x77;
    EXPECT_FALSE(HexEdit_GetBytes(other_, &byte));
    EXPECT_EQ(byte, 0x77);
    HexEdit_SetSize(other_, 4);
    HexEdit_SetCaret(other_, 3);
    EXPECT_EQ(HexEdit_HitTest(other_, 30), 0u);

    // An editor that lost its state (as when its allocation failed) ignores
    // everything and still paints and closes cleanly.
    auto* detached = static_cast<HexEditModel*>(RemovePropA(editor_, "HexEditInfo"));
    ASSERT_EQ(detached, state_);
    EXPECT_EQ(HexEdit_GetSize(editor_), 0xFFFFFFFFu);
    Type("12");
    Key(VK_END);
    Click(WM_LBUTTONDOWN, 30, 5);
    SendMessageA(editor_, WM_SETFOCUS, 0, 0);
    SendMessageA(editor_, WM_KILLFOCUS, 0, 0);
    InvalidateRect(editor_, nullptr, TRUE);
    UpdateWindow(editor_);
    EXPECT_TRUE(notifications.empty());
    EXPECT_TRUE(DestroyWindow(editor_));
    delete detached;
}

TEST_F(HexEditWindow, EachTypedDigitChangesTheBytesAndNotifiesOnce) {
    const struct {
        char typed;
        uint8_t byte;
    } steps[] = {{'1', 0x10}, {'2', 0x12}, {'3', 0x13}, {'a', 0x1A}};
    for (const auto& step : steps) {
        notifications.clear();
        SendMessageA(editor_, WM_CHAR, static_cast<uint8_t>(step.typed), 1);
        EXPECT_EQ(Bytes(editor_), std::vector<uint8_t>{step.byte}) << step.typed;
        ASSERT_EQ(notifications.size(), 1u) << step.typed;
        EXPECT_EQ(notifications[0].wParam, MAKEWPARAM(kEditorId, EN_CHANGE));
        EXPECT_EQ(notifications[0].lParam, 0);
    }
}

TEST_F(HexEditWindow, RejectedCharactersChangeNothingAndNotifyNothing) {
    HexEdit_SetSize(editor_, 2);
    Type("A");
    Type("Fg /:\x7f");
    SendMessageA(editor_, WM_CHAR, 0xE4, 1);
    EXPECT_EQ(Bytes(editor_), (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(state_->caret(), 0u);
    EXPECT_TRUE(notifications.empty());
}

TEST_F(HexEditWindow, KeysMoveTheCaretWithoutNotifying) {
    HexEdit_SetSize(editor_, 4);
    SetFocus(editor_);
    const struct {
        WPARAM key;
        uint32_t caret;
    } steps[] = {{VK_END, 7},  {VK_RIGHT, 7}, {VK_LEFT, 6}, {VK_UP, 6},   {VK_DELETE, 6},
                 {VK_BACK, 6}, {VK_HOME, 0},  {VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_DOWN, 1}};
    for (const auto& step : steps) {
        Key(step.key);
        EXPECT_EQ(state_->caret(), step.caret) << step.key;
        EXPECT_EQ(CaretInfo().rcCaret.left, state_->CaretX()) << step.key;
    }
    EXPECT_EQ(Bytes(editor_), std::vector<uint8_t>(4, 0x00));
    EXPECT_TRUE(notifications.empty());
}

TEST_F(HexEditWindow, CaretExistsOnlyWithTheFocus) {
    HexEdit_SetSize(editor_, 3);
    HexEdit_SetCaret(editor_, 3);  // stored now, shown when the focus arrives
    SetFocus(other_);
    EXPECT_NE(CaretInfo().hwndCaret, editor_);

    SetFocus(editor_);
    GUITHREADINFO info = CaretInfo();
    EXPECT_EQ(info.hwndCaret, editor_);
    EXPECT_EQ(info.rcCaret.left, state_->CaretX());
    EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, state_->charWidth);
    EXPECT_EQ(info.rcCaret.bottom - info.rcCaret.top, state_->charHeight);

    HexEdit_SetSize(editor_, 1);  // clamps the caret onto the low digit of byte 0
    EXPECT_EQ(state_->caret(), 1u);
    EXPECT_EQ(CaretInfo().rcCaret.left, state_->charWidth);

    SetFocus(other_);
    EXPECT_EQ(CaretInfo().hwndCaret, nullptr);
    EXPECT_EQ(state_->caret(), 1u);
    EXPECT_TRUE(notifications.empty());
}

TEST_F(HexEditWindow, ClicksTakeTheFocusAndPlaceTheCaret) {
    HexEdit_SetSize(editor_, 3);
    SetFocus(other_);
    const int cell = state_->charWidth;
    const int stride = state_->Stride();
    const struct {
        UINT button;
        int x;
        uint32_t caret;
    } clicks[] = {
        {WM_LBUTTONDOWN, 0, 0},
        {WM_LBUTTONDOWN, stride + cell + 1, 3},
        {WM_RBUTTONDOWN, stride + cell + 1, 3},
        {WM_RBUTTONDOWN, stride + 2 * cell + 1, 4},  // the gap: next byte's high digit
        {WM_LBUTTONDOWN, 350, 5},                    // past the row: the last digit
        {WM_LBUTTONDOWN, 1, 0},
    };
    for (const auto& click : clicks) {
        Click(click.button, click.x, 7);
        EXPECT_EQ(GetFocus(), editor_);
        EXPECT_EQ(state_->caret(), click.caret) << click.x;
        EXPECT_EQ(CaretInfo().rcCaret.left, state_->CaretX()) << click.x;
    }
    EXPECT_TRUE(notifications.empty());
}

// Paints the editor into a 32-bit memory bitmap and reads pixels back.
class PaintedEditor {
public:
    PaintedEditor(HWND editor, const HexEditModel* state) : state_(state) {
        GetClientRect(editor, &client_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client_.right;
        info.bmiHeader.biHeight = -client_.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        HexEdit_Paint(editor, dc_, client_, state);
    }
    ~PaintedEditor() {
        SelectObject(dc_, oldBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    // How many pixels of byte k's two digit cells have `colour`.
    int CountInCells(uint32_t k, COLORREF colour) const {
        const int left = state_->ByteCellX(k);
        return Count(left, left + 2 * state_->charWidth, colour);
    }
    // How many pixels of the gap after byte k have `colour`, and the gap's size.
    int CountInGap(uint32_t k, COLORREF colour) const {
        const int left = state_->ByteCellX(k) + 2 * state_->charWidth;
        return Count(left, left + state_->byteGap, colour);
    }
    int GapPixels() const { return state_->byteGap * state_->charHeight; }

private:
    int Count(int left, int right, COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < state_->charHeight; ++y) {
            for (int x = left; x < right; ++x) count += GetPixel(dc_, x, y) == colour;
        }
        return count;
    }

    const HexEditModel* state_;
    RECT client_{};
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

constexpr COLORREF kDarkBlue = RGB(0, 0, 136);
constexpr COLORREF kBlue = RGB(0, 0, 204);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST_F(HexEditWindow, EvenBytesAreDarkBlueOddBytesBlueOnWhite) {
    HexEdit_SetSize(editor_, 4);
    Type("0123456f");
    const PaintedEditor painted(editor_, state_);
    for (uint32_t k = 0; k < 4; ++k) {
        const COLORREF own = k % 2 == 0 ? kDarkBlue : kBlue;
        const COLORREF other = k % 2 == 0 ? kBlue : kDarkBlue;
        EXPECT_GT(painted.CountInCells(k, own), 0) << k;
        EXPECT_EQ(painted.CountInCells(k, other), 0) << k;
        EXPECT_GT(painted.CountInCells(k, kWhite), 0) << k;
        EXPECT_EQ(painted.CountInGap(k, kWhite), painted.GapPixels()) << k;
    }
}

TEST_F(HexEditWindow, DisabledEditorIsBlackOnButtonFace) {
    HexEdit_SetSize(editor_, 2);
    Type("8e");
    EnableWindow(editor_, FALSE);
    const COLORREF buttonFace = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(buttonFace, kWhite);
    const PaintedEditor painted(editor_, state_);
    for (uint32_t k = 0; k < 2; ++k) {
        EXPECT_GT(painted.CountInCells(k, kBlack), 0) << k;
        EXPECT_GT(painted.CountInCells(k, buttonFace), 0) << k;
        EXPECT_EQ(painted.CountInCells(k, kDarkBlue) + painted.CountInCells(k, kBlue), 0) << k;
        EXPECT_EQ(painted.CountInCells(k, kWhite), 0) << k;
        EXPECT_EQ(painted.CountInGap(k, buttonFace), painted.GapPixels()) << k;
    }
}

TEST_F(HexEditWindow, WindowPaintsItsDigitsOnScreen) {
    HexEdit_SetSize(editor_, 2);
    Type("88");
    InvalidateRect(editor_, nullptr, TRUE);
    UpdateWindow(editor_);
    HDC dc = GetDC(editor_);
    int darkBlue = 0, blue = 0;
    for (int y = 0; y < state_->charHeight; ++y) {
        for (int x = 0; x < state_->ByteCellX(2); ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            darkBlue += pixel == kDarkBlue;
            blue += pixel == kBlue;
        }
    }
    ReleaseDC(editor_, dc);
    EXPECT_GT(darkBlue, 0);
    EXPECT_GT(blue, 0);
}

}  // namespace
}  // namespace vexa
