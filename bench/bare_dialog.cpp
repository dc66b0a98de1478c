// The start-up benchmark's baselines: a program that shows one dialog, the size of Moravel's
// and in the same font, and ends when it is closed; with "splash", it first shows a small
// splash window the way Moravel does while its first scan runs. Whatever Moravel takes beyond
// them to its visible main window is Moravel's own; the rest is Wine starting a process and
// mapping its windows.
#include <windows.h>

#include <cstring>

namespace {

bool g_splash = false;

INT_PTR CALLBACK SplashProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG && g_splash) {
        // Shown and painted at once, then gone before the main window shows.
        HWND splash = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2),
                                         GetDesktopWindow(), SplashProc, 0);
        ShowWindow(splash, SW_SHOW);
        RedrawWindow(splash, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        DestroyWindow(splash);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_splash = std::strstr(commandLine, "splash") != nullptr;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, Proc, 0) == -1 ? 1 : 0;
}
