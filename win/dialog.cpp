#include "win/dialog.h"

#include <vector>

namespace win {

Dialog::~Dialog() {
    if (window_) {
        SetWindowLongPtrA(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
}

void Dialog::SetItemText(int id, const std::string& text) const {
    SetDlgItemTextA(window_, id, text.c_str());
}

std::string Dialog::ItemText(int id) const {
    const HWND item = Item(id);
    const int length = GetWindowTextLengthA(item);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(item, text.data(), length + 1);
    return text.data();
}

void Dialog::EnableItem(int id, bool enable) const {
    EnableWindow(Item(id), enable);
}
void Dialog::ShowItem(int id, bool show) const {
    ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
}

bool Dialog::PreTranslateMessage(MSG&) {
    return false;
}

bool Dialog::CreateFromTemplate(HWND owner) {
    window_ = CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId_), owner, Proc,
                                 reinterpret_cast<LPARAM>(this));
    return window_ != nullptr;
}

bool Dialog::OnCommand(int, int id, HWND) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool Dialog::OnNotify(int, NMHDR*, LRESULT&) {
    return false;
}
bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

INT_PTR CALLBACK Dialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    // No exception may unwind through the system's frames.
    try {
        const INT_PTR result = self->Dispatch(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, DWLP_USER, 0);
            self->window_ = nullptr;
        }
        return result;
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInit();
        case WM_COMMAND:
            return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam))
                       ? TRUE
                       : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), result))
                return FALSE;
            SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_TIMER:
            OnTimer(wParam);
            return TRUE;
        default: {
            INT_PTR result = FALSE;
            return OnMessage(message, wParam, lParam, result) ? result : FALSE;
        }
    }
}

INT_PTR ModalDialog::DoModal(HWND owner) {
    if (!CreateFromTemplate(owner)) return -1;
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    // The dialog may have ended inside its initialisation already.
    if (!ended_) ShowWindow(window_, SW_SHOW);
    MSG message;
    while (!ended_ && window_ != nullptr) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave WM_QUIT to the outer loop
            break;
        }
        if (got == -1) break;
        if (PreTranslateMessage(message)) continue;
        if (window_ && IsDialogMessageA(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (window_) {
        // Hide first so that the owner is activated before this window goes.
        ShowWindow(window_, SW_HIDE);
        DestroyWindow(window_);
    }
    return ended_ ? result_ : IDCANCEL;
}

}  // namespace win
