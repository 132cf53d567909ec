// The real program, vexa.exe beside this test program, started as a second
// process and driven from here: its window, its start state, a bit click, and
// the keys of its modal loop: Enter does nothing, Esc ends the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

constexpr DWORD kTimeoutMs = 20000;

std::string ProgramBeside(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1) + name;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWorkbenchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (owner != search->processId || std::string(caption) != "Vexa-05.1.3" || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Another process's control text, through WM_GETTEXT, which the system carries across.
std::string ControlText(HWND dialog, int id) {
    char text[256] = {};
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

class WorkbenchProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string commandLine = "\"";
        commandLine += ProgramBeside("vexa.exe");
        commandLine += '"';
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process_))
            << commandLine;
        WindowSearch search{process_.dwProcessId, nullptr};
        for (DWORD waited = 0; search.found == nullptr && waited < kTimeoutMs; waited += 50) {
            Sleep(50);
            EnumWindows(MatchWorkbenchWindow, reinterpret_cast<LPARAM>(&search));
        }
        dialog_ = search.found;
        ASSERT_NE(dialog_, nullptr) << "no workbench window";
        WaitForInputIdle(process_.hProcess, kTimeoutMs);
    }
    void TearDown() override {
        if (process_.hProcess == nullptr) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    HWND FocusedControl() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(process_.dwThreadId, &info);
        return info.hwndFocus;
    }

    // A key as the keyboard delivers it: posted to the focused control, where
    // the program's modal loop picks it up.
    void PressKey(WPARAM virtualKey) {
        HWND focus = FocusedControl();
        ASSERT_NE(focus, nullptr);
        PostMessageA(focus, WM_KEYDOWN, virtualKey, 1);
        PostMessageA(focus, WM_KEYUP, virtualKey, 0xC0000001);
    }

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

TEST_F(WorkbenchProgram, RunsTheWorkbenchUntilEscape) {
    EXPECT_EQ(ControlText(dialog_, 1000), "add\tbyte ptr [bx+si], al");
    EXPECT_EQ(ControlText(dialog_, 1057), "00 00 ");
    EXPECT_EQ(GetDlgCtrlID(FocusedControl()), 1012);

    SendMessageA(GetDlgItem(dialog_, 1013), BM_CLICK, 0, 0);  // bit 7: 80h
    EXPECT_EQ(ControlText(dialog_, 1000), "add\tbyte ptr [bx+si], 0");
    EXPECT_EQ(ControlText(dialog_, 1057), "80 00 00 ");

    PressKey(VK_RETURN);
    WaitForInputIdle(process_.hProcess, kTimeoutMs);
    SendMessageA(dialog_, WM_NULL, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), WAIT_TIMEOUT) << "Enter ended the program";
    EXPECT_EQ(ControlText(dialog_, 1057), "80 00 00 ");

    PressKey(VK_ESCAPE);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, kTimeoutMs), WAIT_OBJECT_0) << "Esc did not end the program";
    DWORD exitCode = 1;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace vexa
