#pragma once
// The workbench dialog opened modeless in the test process from the program's
// own template with the program's own dialog procedure, and driven only
// through the Win32 API: button clicks, clicks into the editors, and keys and
// characters delivered through IsDialogMessage as the modal loop delivers them.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "composer/dialog/composer_dialog.h"
#include "hexedit/hex_edit_control.h"
#include "resources/resource.h"

namespace vexa {

inline std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Which groups of the dialog are expected to be in use.
struct Groups {
    bool opcode2 = false;
    bool opcode3 = false;
    bool modrm = false;
    bool sib = false;
    bool displacement = false;
    bool immediate = false;
};

class WorkbenchDialog : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        // Another suite of this program may have registered the editor class already.
        WNDCLASSEXA known{};
        known.cbSize = sizeof known;
        if (!GetClassInfoExA(instance, kHexEditClassName, &known)) {
            ASSERT_TRUE(HexEdit_Register(instance));
        }
        dialog_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WORKBENCH), nullptr, ComposerDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::string Text(int id) const { return WindowText(Item(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    int FocusId() const { return GetDlgCtrlID(GetFocus()); }

    // A mouse click on a button the user can reach.
    void Click(int id) {
        HWND button = Item(id);
        ASSERT_TRUE(IsWindowVisible(button) && IsWindowEnabled(button)) << "control " << id << " cannot be clicked";
        SendMessageA(button, BM_CLICK, 0, 0);
    }

    // Clicks the bit buttons that turn the row's byte from 00h into `value`.
    void ClickBits(int firstId, unsigned value) {
        for (int position = 0; position < 8; ++position) {
            if (value & (0x80u >> position)) Click(firstId + position);
        }
    }

    // A click on the first digit of an editor, which takes the focus.
    void ClickEditor(int id) {
        HWND editor = Item(id);
        ASSERT_TRUE(IsWindowVisible(editor) && IsWindowEnabled(editor)) << "editor " << id << " cannot be clicked";
        SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        ASSERT_EQ(GetFocus(), editor);
    }

    // One message to the focused control, through the dialog manager.
    void Deliver(UINT message, WPARAM wParam) {
        MSG msg{};
        msg.hwnd = GetFocus();
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = 1;
        if (!IsDialogMessageA(dialog_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void PressKey(WPARAM virtualKey) {
        Deliver(WM_KEYDOWN, virtualKey);
        Deliver(WM_KEYUP, virtualKey);
    }
    void TypeCharacter(char character) { Deliver(WM_CHAR, static_cast<unsigned char>(character)); }

    // The captions of a bit row, leftmost first, as "10001001".
    std::string BitRow(int firstId) const {
        std::string row;
        for (int k = 0; k < 8; ++k) row += Text(firstId + k);
        return row;
    }

    // The eleven field labels, slot 0 first, "-" for an empty one.
    std::string FieldLabels() const {
        static constexpr std::array<int, 11> kLabelIds{1058, 1059, 1060, 1061, 1062, 1064,
                                                       1065, 1066, 1067, 1068, 1069};
        std::string labels;
        for (int id : kLabelIds) {
            const std::string text = Text(id);
            labels += text.empty() ? "-" : text;
        }
        return labels;
    }

    // Every control of every group enabled exactly as `expected` says, and the
    // controls that belong to no group enabled.
    void ExpectGroups(const Groups& expected) const {
        auto expectRange = [this](int first, int last, bool enabled, const char* group) {
            for (int id = first; id <= last; ++id) {
                EXPECT_EQ(Enabled(id), enabled) << group << " control " << id;
            }
        };
        expectRange(1021, 1028, expected.opcode2, "second code byte");
        expectRange(1029, 1036, expected.opcode3, "third code byte");
        expectRange(1037, 1044, expected.modrm, "ModR/M");
        expectRange(1071, 1074, expected.modrm, "ModR/M");
        expectRange(1045, 1052, expected.sib, "SIB");
        expectRange(1075, 1078, expected.sib, "SIB");
        expectRange(1053, 1053, expected.displacement, "displacement");
        expectRange(1079, 1079, expected.displacement, "displacement");
        expectRange(1054, 1054, expected.immediate, "immediate");
        expectRange(1080, 1080, expected.immediate, "immediate");
        expectRange(1000, 1020, true, "ungrouped");
        expectRange(1055, 1062, true, "ungrouped");
        expectRange(1064, 1069, true, "ungrouped");
    }

    HWND dialog_ = nullptr;
};

}  // namespace vexa
