// Dialog windows in the manner of the programs: a static procedure binds the object at
// WM_INITDIALOG, typed handlers receive the messages, and no exception ever crosses into the
// system. Modal dialogs run our own message loop, so every queued message of the thread passes
// through the dialog's PreTranslateMessage (tooltips and keyboard handling depend on it)
// before IsDialogMessage and dispatch.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace win {

class Dialog {
public:
    Dialog(HINSTANCE instance, int templateId) : instance_(instance), templateId_(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    HINSTANCE Instance() const { return instance_; }

    void SetItemText(int id, const std::string& text) const;
    std::string ItemText(int id) const;
    void EnableItem(int id, bool enable) const;
    void ShowItem(int id, bool show) const;

    // Offered every message of the thread's loop before IsDialogMessage; true when handled.
    virtual bool PreTranslateMessage(MSG& message);

protected:
    // Creates the window from the template (modeless); false when the system refused.
    bool CreateFromTemplate(HWND owner);

    virtual BOOL OnInit() { return TRUE; }
    virtual bool OnCommand(int code, int id, HWND control);
    // Returns true when handled; result is the message's answer (DWLP_MSGRESULT).
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result);
    virtual void OnTimer(UINT_PTR) {}
    virtual void OnOK() { Close(IDOK); }
    virtual void OnCancel() { Close(IDCANCEL); }
    // Any other message; return true when handled, with result as the dialog's answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // How the dialog ends: modal dialogs leave their loop, modeless ones are destroyed.
    virtual void Close(INT_PTR result) = 0;

    HWND window_ = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    int templateId_;
};

class ModalDialog : public Dialog {
public:
    using Dialog::Dialog;
    // Creates the dialog, disables the owner, runs the loop until the dialog ends, and returns
    // the result it ended with (-1 when it could not be created).
    INT_PTR DoModal(HWND owner);
    // Creates the dialog as DoModal would, without a loop, for callers that drive it with
    // messages of their own (the tests do).
    bool CreateForTest(HWND owner) { return CreateFromTemplate(owner); }
    bool Ended() const { return ended_; }
    INT_PTR Result() const { return result_; }
    void EndDialog(INT_PTR result) { Close(result); }

protected:
    void Close(INT_PTR result) override {
        ended_ = true;
        result_ = result;
    }

private:
    bool ended_ = false;
    INT_PTR result_ = 0;
};

class ModelessDialog : public Dialog {
public:
    using Dialog::Dialog;
    bool Create(HWND parent) { return CreateFromTemplate(parent); }

protected:
    void Close(INT_PTR) override {
        if (window_) DestroyWindow(window_);
    }
};

}  // namespace win
