#include "win/link_button.h"

#include <commctrl.h>

#include <vector>

namespace win {
namespace {

constexpr UINT_PTR kSubclassId = 0x4C4B;  // "LK"

}  // namespace

CLinkButton::~CLinkButton() {
    Detach();
}

bool CLinkButton::Attach(HWND button) {
    Detach();
    if (!IsWindow(button)) return false;
    // The button draws nothing itself from now on: no frame, no face, no focus of its own.
    const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
    SetWindowLongPtrA(button, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    if (!SetWindowSubclass(button, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = button;
    InvalidateRect(button, nullptr, TRUE);
    return true;
}

void CLinkButton::Detach() {
    if (window_) RemoveWindowSubclass(window_, Subclass, kSubclassId);
    window_ = nullptr;
    underlined_.reset();
}

HFONT CLinkButton::UnderlinedFont() {
    if (!underlined_) {
        auto font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
        if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        LOGFONTA face{};
        if (GetObjectA(font, sizeof face, &face) == 0) return nullptr;
        face.lfUnderline = TRUE;
        underlined_.reset(CreateFontIndirectA(&face));
    }
    return underlined_.get();
}

bool CLinkButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (window_ == nullptr || item.hwndItem != window_) return false;
    const HDC dc = item.hDC;
    RECT box = item.rcItem;
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    const int length = GetWindowTextLengthA(window_);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(window_, text.data(), length + 1);
    const HGDIOBJ oldFont = SelectObject(dc, UnderlinedFont());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
    DrawTextA(dc, text.data(), length, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
    return true;
}

LRESULT CALLBACK CLinkButton::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CLinkButton*>(data);
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        case WM_NCDESTROY:
            // The window goes first: the object must not reach for it afterwards.
            RemoveWindowSubclass(window, Subclass, kSubclassId);
            self->window_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace win
