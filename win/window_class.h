// Window classes of our own, registered once per process.
#pragma once

#include <windows.h>

namespace win {

// Registers the class with the arrow cursor and no background brush (its windows paint all
// of themselves); true when it exists afterwards, also when it was registered before.
inline bool RegisterWindowClassOnce(const char* name, WNDPROC procedure) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

}  // namespace win
