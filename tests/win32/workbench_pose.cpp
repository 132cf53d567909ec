// Poses the running workbench for the README's picture: finds the window of
// vexa.exe, sets up one instruction by clicking its buttons and typing into its
// displacement editor, copies the window's pixels from the screen into a BMP
// file, and closes the workbench.
//
//   workbench_pose.exe OUTPUT.bmp
//
// Exits with 1 when there is no workbench window or the instruction does not
// show as expected.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr char kCaption[] = "Vexa-05.1.3";
constexpr char kExpectedLine[] = "mov\tword ptr fs:[ebx+esi*4+10], ax";

HWND WaitForWorkbench() {
    for (int attempt = 0; attempt < 600; ++attempt) {
        HWND window = FindWindowA(nullptr, kCaption);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// 32-bit mode, 66h and fs, 89h (mov r/m, r), ModR/M 44h, SIB B3h and the
// displacement 10h: short enough for the instruction line.
void SetUpInstruction(HWND dialog) {
    for (int id : {1008, 1009, 1003}) Click(dialog, id);
    for (int id : {1013, 1017, 1020}) Click(dialog, id);         // code byte 89h
    for (int id : {1038, 1042}) Click(dialog, id);                // ModR/M 44h
    for (int id : {1045, 1047, 1048, 1051, 1052}) Click(dialog, id);  // SIB B3h
    for (char digit : {'1', '0'}) SendMessageA(GetDlgItem(dialog, 1053), WM_CHAR, digit, 1);
    // Twice on "rep": no change, and the focus back where it starts.
    Click(dialog, 1012);
    Click(dialog, 1012);
}

bool WriteBitmap(const char* path, int width, int height, const std::vector<unsigned char>& pixels) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return false;
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                   std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

// The window as it stands on the screen, frame included.
bool CaptureWindow(HWND window, const char* path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool captured = false;
    std::vector<unsigned char> pixels;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        captured = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        GdiFlush();
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        pixels.assign(static_cast<unsigned char*>(bits), static_cast<unsigned char*>(bits) + stride * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return captured && WriteBitmap(path, width, height, pixels);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: workbench_pose.exe OUTPUT.bmp\n");
        return 2;
    }
    HWND dialog = WaitForWorkbench();
    if (dialog == nullptr) {
        std::fprintf(stderr, "workbench_pose: no workbench window\n");
        return 1;
    }
    SetUpInstruction(dialog);
    char line[256] = {};
    SendMessageA(GetDlgItem(dialog, 1000), WM_GETTEXT, sizeof line, reinterpret_cast<LPARAM>(line));
    const bool posed = std::strcmp(line, kExpectedLine) == 0;
    if (!posed) std::fprintf(stderr, "workbench_pose: the instruction line reads \"%s\"\n", line);
    Sleep(1000);  // let the workbench paint
    const bool captured = posed && CaptureWindow(dialog, argv[1]);
    if (posed && !captured) std::fprintf(stderr, "workbench_pose: cannot capture the window into %s\n", argv[1]);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    return captured ? 0 : 1;
}
