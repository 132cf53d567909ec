// The running workbench dialog against its layout: every child window, walked
// in template (Z) order, with its id, class, caption, styles, extended styles
// and position in dialog units.
#include "tests/win32/workbench_dialog.h"

#include <cstring>
#include <string>
#include <vector>

namespace vexa {
namespace {

struct ControlSpec {
    int id;
    const char* windowClass;
    std::string caption;  // as shown once the dialog has started
    int x, y, width, height;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    DWORD exStyle;
};

constexpr DWORD kSegment = BS_AUTORADIOBUTTON | BS_PUSHLIKE;
constexpr DWORD kPrefixBox = BS_AUTOCHECKBOX | BS_PUSHLIKE;
constexpr DWORD kPushButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDisplayLine = SS_SUNKEN | SS_CENTERIMAGE | WS_GROUP;

void AddBitRow(std::vector<ControlSpec>& controls, int firstId, int y, std::vector<int> xs) {
    for (int k = 0; k < 8; ++k) {
        controls.push_back({firstId + k, "Button", "0", xs[k], y, 11, 13, kPushButton, WS_EX_STATICEDGE});
    }
}

std::vector<ControlSpec> WorkbenchControls() {
    std::vector<ControlSpec> c{
        {1008, "Button", "32-bit Mode", 7, 7, 50, 12, kPrefixBox, WS_EX_STATICEDGE},
        {1000, "Static", "add\tbyte ptr [bx+si], al", 69, 7, 222, 12, kDisplayLine, 0},
        {-1, "Button", "Prefixes", 7, 35, 295, 29, BS_GROUPBOX, 0},
        {1001, "Button", "cs", 13, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1002, "Button", "ds", 29, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1005, "Button", "es", 45, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1003, "Button", "fs", 61, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1004, "Button", "gs", 77, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1006, "Button", "ss", 93, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1055, "Button", "", 110, 45, 16, 13, kSegment, WS_EX_STATICEDGE},
        {1009, "Button", "66h", 146, 45, 19, 13, kPrefixBox, WS_EX_STATICEDGE},
        {1010, "Button", "67h", 165, 45, 18, 13, kPrefixBox, WS_EX_STATICEDGE},
        {1012, "Button", "rep", 196, 45, 31, 13, kPrefixBox | WS_TABSTOP, WS_EX_STATICEDGE},
        {1007, "Button", "repne", 229, 45, 31, 13, kPrefixBox | WS_TABSTOP, WS_EX_STATICEDGE},
        {1011, "Button", "lock", 262, 45, 31, 13, kPrefixBox | WS_TABSTOP, WS_EX_STATICEDGE},
        {-1, "Button", "Code", 7, 66, 295, 33, BS_GROUPBOX, 0},
    };
    AddBitRow(c, 1013, 81, {11, 22, 33, 44, 58, 69, 80, 91});
    AddBitRow(c, 1021, 81, {110, 121, 132, 143, 157, 168, 179, 189});
    AddBitRow(c, 1029, 81, {207, 218, 229, 240, 254, 265, 276, 287});
    c.push_back({1071, "Button", "ModR/M", 7, 104, 118, 39, BS_GROUPBOX, 0});
    c.push_back({1072, "Static", "mod", 21, 114, 14, 8, WS_GROUP, 0});
    c.push_back({1073, "Static", "codr", 53, 114, 15, 8, WS_GROUP, 0});
    c.push_back({1074, "Static", "memr", 87, 114, 18, 8, WS_GROUP, 0});
    AddBitRow(c, 1037, 125, {18, 29, 44, 55, 66, 80, 91, 102});
    c.push_back({1075, "Button", "SIB", 184, 104, 118, 39, BS_GROUPBOX, 0});
    c.push_back({1076, "Static", "scale", 197, 114, 18, 8, WS_GROUP, 0});
    c.push_back({1077, "Static", "index", 229, 114, 18, 8, WS_GROUP, 0});
    c.push_back({1078, "Static", "base", 264, 114, 16, 8, WS_GROUP, 0});
    AddBitRow(c, 1045, 125, {195, 206, 221, 232, 243, 257, 268, 279});
    c.push_back({1079, "Button", "Displacement", 7, 143, 118, 29, BS_GROUPBOX, 0});
    c.push_back({1080, "Button", "Immediate", 184, 143, 118, 29, BS_GROUPBOX, 0});
    c.push_back({1056, "Button", "U", 291, 7, 11, 12, kPushButton, WS_EX_STATICEDGE});
    c.push_back({1057, "Static", "00 00 ", 69, 19, 222, 12, kDisplayLine, 0});
    const int labelIds[] = {1058, 1059, 1060, 1061, 1062, 1064, 1065, 1066, 1067, 1068, 1069};
    const int labelXs[] = {94, 84, 73, 62, 46, 192, 181, 170, 160, 146, 135};
    for (int slot = 0; slot < 11; ++slot) {
        const char* caption = slot == 0 ? "w" : slot == 1 ? "d" : "";
        c.push_back({labelIds[slot], "Static", caption, labelXs[slot], 71, 8, 8, WS_GROUP, 0});
    }
    c.push_back({1053, "HexEditControl", "Custom1", 14, 154, 104, 12, WS_TABSTOP, WS_EX_CLIENTEDGE});
    c.push_back({1054, "HexEditControl", "Custom2", 190, 154, 105, 12, WS_TABSTOP, WS_EX_CLIENTEDGE});
    return c;
}

// Position and size in pixels: the dialog manager converts each of the four
// numbers on its own, so a width is not the difference of two mapped edges.
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height) {
    RECT rect{x, y, width, height};
    MapDialogRect(dialog, &rect);
    return rect;
}

TEST_F(WorkbenchDialog, DialogHasItsCaptionStylesFontAndSize) {
    EXPECT_EQ(WindowText(dialog_), "Vexa-05.1.3");
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_STYLE));
    for (DWORD bit : {DWORD{WS_VISIBLE}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU}, DWORD{WS_MINIMIZEBOX},
                      DWORD{DS_MODALFRAME}, DWORD{DS_CENTER}, DWORD{DS_SETFONT}, DWORD{DS_3DLOOK}}) {
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    }
    EXPECT_EQ(GetMenu(dialog_), nullptr);

    RECT client;
    GetClientRect(dialog_, &client);
    const RECT expected = DialogUnitsToPixels(dialog_, 0, 0, 309, 178);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);

    LOGFONTA font{};
    ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
}

TEST_F(WorkbenchDialog, ChildWindowsMatchTheLayoutInTemplateOrder) {
    const std::vector<ControlSpec> expected = WorkbenchControls();
    ASSERT_EQ(expected.size(), 81u);
    size_t index = 0;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, expected.size()) << "more child windows than controls";
        const ControlSpec& control = expected[index];
        SCOPED_TRACE(testing::Message() << "control #" << index << ", id " << control.id);
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), control.id);
        char windowClass[64] = {};
        GetClassNameA(child, windowClass, sizeof windowClass);
        EXPECT_EQ(lstrcmpiA(windowClass, control.windowClass), 0) << windowClass;
        EXPECT_EQ(WindowText(child), control.caption);

        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)) & ~DWORD{WS_DISABLED};
        EXPECT_EQ(style, control.style | WS_CHILD | WS_VISIBLE) << std::hex << style;
        // The dialog manager adds WS_EX_NOPARENTNOTIFY to every control, and a
        // sunken static gives itself WS_EX_STATICEDGE.
        DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE)) & ~DWORD{WS_EX_NOPARENTNOTIFY};
        if (control.style & SS_SUNKEN && lstrcmpiA(windowClass, "Static") == 0) exStyle &= ~DWORD{WS_EX_STATICEDGE};
        EXPECT_EQ(exStyle, control.exStyle) << std::hex << exStyle;

        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
        const RECT place = DialogUnitsToPixels(dialog_, control.x, control.y, control.width, control.height);
        EXPECT_EQ(rect.left, place.left);
        EXPECT_EQ(rect.top, place.top);
        EXPECT_EQ(rect.right - rect.left, place.right);
        EXPECT_EQ(rect.bottom - rect.top, place.bottom);
    }
    EXPECT_EQ(index, expected.size());
}

}  // namespace
}  // namespace vexa
