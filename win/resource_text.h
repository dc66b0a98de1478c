// String resources in the system ANSI code page, of any length.
#pragma once

#include <windows.h>

#include <string>

#include "win/ansi_wide.h"

namespace win {

// The string resource id of the module, or empty text when there is none. The table holds
// UTF-16; the text comes back in the ANSI code page.
inline std::string LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return {};
    return AnsiFromWide(std::wstring_view(text, static_cast<std::size_t>(length)));
}

}  // namespace win
