// Drives the real modal dialogs of a test the way a user would: a helper thread finds the
// dialog window, reads it, types into it and presses its buttons while the test's own thread
// sits in the dialog's modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace guidriver {

// How many 50 ms looks a driver takes for something the system's own dialog does before
// giving up. Generous: a loaded machine under Wine takes seconds to map a dialog, and the
// wait ends as soon as the dialog is there.
inline constexpr int kPatientAttempts = 2400;

// Finds a visible top-level dialog of this process that match accepts, waiting up to 2 min;
// null when none shows.
inline HWND WaitForDialog(const std::function<bool(HWND)>& match,
                          int attempts = kPatientAttempts) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    };
    for (int attempt = 0; attempt < attempts; ++attempt) {
        Search search{&match, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                char cls[32] = {};
                GetClassNameA(window, cls, sizeof cls);
                if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
                    std::string(cls) != "#32770" || !(*s->match)(window))
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

inline std::string Text(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline HWND Descendant(HWND parent, const char* cls) {
    if (HWND direct = FindWindowExA(parent, nullptr, cls, nullptr)) return direct;
    for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(parent, child, nullptr, nullptr))
        if (HWND found = Descendant(child, cls)) return found;
    return nullptr;
}

// The file name field of a save dialog: an edit control (edt1) or the edit of a combo box
// (cmb13), depending on the dialog's version.
inline HWND FileNameField(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, 0x480)) return edit;
    if (HWND combo = GetDlgItem(dialog, 0x47C)) return Descendant(combo, "Edit");
    return nullptr;
}

// A click on a dialog's button, posted: the dialog may open another modal box in response.
inline void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Runs a user's script on a helper thread. A script that fails (a dialog did not appear or
// did not react) cancels whatever dialogs of this process are still open, so that the test
// fails instead of waiting forever in a modal loop.
inline std::thread User(std::function<bool()> script) {
    return std::thread([script = std::move(script)] {
        if (script()) return;
        for (int round = 0; round < 20; ++round) {
            HWND open = WaitForDialog([](HWND) { return true; }, 10);
            if (!open) return;
            Press(open, IDCANCEL);
            Sleep(100);
        }
    });
}

}  // namespace guidriver
