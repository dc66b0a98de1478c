// What the drivers that look at the built programs from outside share: checks that print
// one line each, starting programs, Linux paths as Wine sees them, reading a status bar of
// another process, and pictures of windows kept in the build tree.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace driver {

inline int& Failures() {
    static int failed = 0;
    return failed;
}

inline void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++Failures();
}

// Prints the count and gives the exit code.
inline int Finish() {
    std::printf("%d failed\n", Failures());
    return Failures() == 0 ? 0 : 1;
}

inline bool RunAndWait(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

// CTest hands over Linux paths; Wine's drive Z: is the Linux root.
inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

// A window text asked for in UTF-16 (which crosses processes unchanged), in the code page.
inline std::string TextOf(HWND window) {
    wchar_t wide[512] = {};
    GetWindowTextW(window, wide, 512);
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

// A pane of another process's status bar: the control writes into a buffer in its own
// process, read back from there.
inline std::string StatusPaneText(HWND statusBar, int pane) {
    DWORD pid = 0;
    GetWindowThreadProcessId(statusBar, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return "<no access>";
    constexpr SIZE_T kBytes = 1024;
    void* remote = VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
    std::string text = "<no text>";
    if (remote) {
        SendMessageW(statusBar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(remote));
        wchar_t wide[kBytes / 2] = {};
        SIZE_T read = 0;
        if (ReadProcessMemory(process, remote, wide, kBytes - 2, &read)) {
            char ansi[kBytes] = {};
            WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof(ansi), nullptr, nullptr);
            text = ansi;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

// The picture of a window as it stands on the screen, as a .bmp file. False, with nothing
// written, while the window shows nothing but black (not painted yet).
inline bool SaveScreenshot(HWND window, const std::string& file, bool say = true) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bih{sizeof(bih), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * h);
    GetDIBits(mem, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bih),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    bool painted = false;
    for (BYTE b : pixels) painted = painted || b != 0;
    if (!painted) return false;
    BITMAPFILEHEADER bfh{0x4D42, static_cast<DWORD>(sizeof(bfh) + sizeof(bih) + pixels.size()), 0,
                         0, sizeof(bfh) + sizeof(bih)};
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(&bfh, sizeof(bfh), 1, f);
        std::fwrite(&bih, sizeof(bih), 1, f);
        std::fwrite(pixels.data(), 1, pixels.size(), f);
        std::fclose(f);
    }
    if (say) std::printf("     picture: %s\n", file.c_str());
    return true;
}

// How many distinct colours a window shows on the screen, sampled every other pixel: an empty
// stage or a blank control shows a handful, a drawn movie with gradients and pictures many.
inline std::size_t ColoursShown(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::set<COLORREF> colours;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < r.bottom; y += 2) {
        for (int x = 0; x < r.right; x += 2)
            colours.insert(GetPixel(screen, origin.x + x, origin.y + y));
    }
    ReleaseDC(nullptr, screen);
    return colours.size();
}

// Closes a program's main window with message and waits for the program to end with 0 (a
// program that does not end within 20 s is ended and counted as a failure).
inline void CloseAndCheckExit(HWND main, UINT message, WPARAM wParam, PROCESS_INFORMATION& pi) {
    PostMessageA(main, message, wParam, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    Check(ended && code == 0, "closing the window ends the program with 0");
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace driver
