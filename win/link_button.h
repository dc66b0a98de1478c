// A dialog's button drawn as a hyperlink: its text in the system's hot-track colour, in the
// control's font underlined, with no button frame, and the system's hand cursor while the
// pointer is over it. Clicking it is an ordinary button click for the dialog to act on.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace win {

class CLinkButton {
public:
    CLinkButton() = default;
    CLinkButton(const CLinkButton&) = delete;
    CLinkButton& operator=(const CLinkButton&) = delete;
    ~CLinkButton();

    // Binds to a button: owner-drawn from now on, with the hand cursor. False when button is
    // not a window. The binding ends when the button is destroyed or this object goes.
    bool Attach(HWND button);
    HWND Window() const { return window_; }

    // The dialog hands over its WM_DRAWITEM for this button; true when it was this button's.
    bool OnDrawItem(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    void Detach();
    HFONT UnderlinedFont();

    HWND window_ = nullptr;
    UniqueHfont underlined_;
};

}  // namespace win
