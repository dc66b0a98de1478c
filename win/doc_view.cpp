#include "win/doc_view.h"

#include <algorithm>

#include "win/application.h"
#include "win/frame_rules.h"
#include "win/frame_window.h"
#include "win/framework_ids.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace win {
namespace {

constexpr char kViewClass[] = "VeltranoView";

}  // namespace

Document::~Document() {
    for (View* view : views_) view->document_ = nullptr;
}

bool Document::OnNewDocument() {
    pathName_.clear();
    modified_ = false;
    SetTitle(app_.LoadString(kIdsUntitled));
    return true;
}

bool Document::OnOpenDocument(const std::string& path) {
    // Readers may share the file, writers may not: what is opened must not change under us.
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        app_.ShowMessage(app_.LoadString(kIdpFailedToOpenDoc), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void Document::SetPathName(const std::string& path) {
    pathName_ = path;
    SetTitle(FileTitle(path));
    app_.AddToRecentFileList(path);
}

void Document::SetTitle(const std::string& title) {
    title_ = title;
    if (FrameWindow* frame = app_.MainFrame()) frame->UpdateFrameTitle(title_);
}

void Document::AddView(View& view) {
    if (std::find(views_.begin(), views_.end(), &view) == views_.end()) views_.push_back(&view);
    view.document_ = this;
}

void Document::RemoveView(View& view) {
    std::erase(views_, &view);
    if (view.document_ == this) view.document_ = nullptr;
}

void Document::UpdateAllViews(View* sender, LPARAM hint) {
    // A copy: a view may leave the document while it updates.
    const std::vector<View*> views = views_;
    for (View* view : views)
        if (view != sender) view->OnUpdate(sender, hint);
}

View::~View() {
    if (document_) document_->RemoveView(*this);
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool View::Create(HWND parent, int id) {
    if (!RegisterWindowClassOnce(kViewClass, Proc)) return false;
    const HWND made = CreateWindowExA(
        0, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), this);
    return made != nullptr && window_ == made;
}

void View::OnUpdate(View*, LPARAM) {}

bool View::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CALLBACK View::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<View*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<View*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    // No exception may unwind through the system's frames.
    try {
        if (message == WM_CREATE) return self->OnCreate() ? 0 : -1;
        LRESULT result = 0;
        const bool handled = self->OnMessage(message, wParam, lParam, result);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
        }
        return handled ? result : DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace win
