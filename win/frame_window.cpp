#include "win/frame_window.h"

#include <commctrl.h>
#include <dde.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "base/ansi_text.h"
#include "win/ansi_wide.h"
#include "win/application.h"
#include "win/doc_view.h"
#include "win/frame_rules.h"
#include "win/framework_ids.h"
#include "win/window_class.h"

namespace win {
namespace {

constexpr char kFrameClass[] = "VeltranoFrame";
constexpr char kDdeTopic[] = "System";

std::string AtomName(ATOM atom) {
    char name[256] = {};
    const UINT n = GlobalGetAtomNameA(atom, name, sizeof name);
    return std::string(name, n);
}

// A null atom asks for any name.
bool AtomMatches(ATOM atom, const std::string& name) {
    return atom == 0 || base::EqualsNoCase(AtomName(atom), name);
}

// The execute string of a DDE command block: ANSI, or UTF-16 when the client's window and
// ours differ in kind and the system handed the client's text over unchanged.
std::string DdeCommandText(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    const char* data = static_cast<const char*>(GlobalLock(block));
    if (data == nullptr) return {};
    std::string text;
    if (size >= 2 && data[0] != '\0' && data[1] == '\0') {
        const auto* wide = reinterpret_cast<const wchar_t*>(data);
        std::size_t n = 0;
        while (n < size / 2 && wide[n] != L'\0') ++n;
        text = AnsiFromWide(std::wstring_view(wide, n));
    } else {
        std::size_t n = 0;
        while (n < size && data[n] != '\0') ++n;
        text.assign(data, n);
    }
    GlobalUnlock(block);
    return text;
}

bool IsVisible(HWND window) {
    return window && (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

FrameWindow::FrameWindow(Application& app) : app_(app) {
    Commands().On(kIdViewStatusBar, [this] { ToggleBar(statusBar_); });
    Commands().OnUpdate(kIdViewStatusBar, [this] {
        return CommandState{statusBar_ != nullptr, IsVisible(statusBar_)};
    });
    Commands().On(kIdViewToolbar, [this] { ToggleBar(toolBarHost_); });
    Commands().OnUpdate(kIdViewToolbar, [this] {
        return CommandState{toolBarHost_ != nullptr, IsVisible(toolBarHost_)};
    });
}

FrameWindow::~FrameWindow() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool FrameWindow::LoadFrame(int resourceId, View& view) {
    const HINSTANCE instance = app_.Instance();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(instance, kFrameClass, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
        wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resourceId),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
        wc.lpszClassName = kFrameClass;
        if (!RegisterClassExA(&wc)) return false;
    }
    const HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
    view_ = &view;
    const HWND made = CreateWindowExA(
        WS_EX_APPWINDOW, kFrameClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, this);
    if (made == nullptr) {
        // A window that failed in WM_CREATE has destroyed its menu with it; one that never
        // came to be has not.
        if (menu && IsMenu(menu)) DestroyMenu(menu);
        view_ = nullptr;
        return false;
    }
    if (menu) {
        char text[256] = {};
        if (GetMenuStringA(menu, kIdFileMruFirst, text, sizeof text, MF_BYCOMMAND) > 0)
            recentPlaceholder_ = text;
    }
    return true;
}

bool FrameWindow::PreTranslateMessage(MSG& message) {
    if (window_ && accelerators_ && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST)
        return TranslateAcceleratorA(window_, accelerators_, &message) != 0;
    return false;
}

void FrameWindow::OnIdle() {
    if (!toolBar_ || !IsVisible(toolBarHost_ ? toolBarHost_ : toolBar_)) return;
    const int count = static_cast<int>(SendMessageA(toolBar_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!SendMessageA(toolBar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)) ||
            (button.fsStyle & BTNS_SEP))
            continue;
        const CommandState state = QueryCommandState(static_cast<unsigned>(button.idCommand));
        BYTE wanted = button.fsState & ~(TBSTATE_ENABLED | TBSTATE_CHECKED);
        if (state.enabled) wanted |= TBSTATE_ENABLED;
        if (state.checked) wanted |= TBSTATE_CHECKED;
        // Only real changes: a button set to its own state would flicker at every idle.
        if (wanted != button.fsState)
            SendMessageA(toolBar_, TB_SETSTATE, button.idCommand, MAKELPARAM(wanted, 0));
    }
}

CommandState FrameWindow::QueryCommandState(unsigned id) const {
    const Document* document = view_ ? view_->GetDocument() : nullptr;
    const std::array<const CommandMap*, 4> chain = {
        &Commands(), view_ ? &view_->Commands() : nullptr,
        document ? &document->Commands() : nullptr, &app_.Commands()};
    return QueryCommand(chain, id);
}

bool FrameWindow::RouteCommand(unsigned id) {
    const Document* document = view_ ? view_->GetDocument() : nullptr;
    const std::array<const CommandMap*, 4> chain = {
        &Commands(), view_ ? &view_->Commands() : nullptr,
        document ? &document->Commands() : nullptr, &app_.Commands()};
    return ExecuteCommand(chain, id);
}

void FrameWindow::UpdateFrameTitle(const std::string& documentTitle) {
    if (!window_) return;
    const DocTemplate* docTemplate = app_.Template();
    const std::string title =
        FrameTitle(documentTitle, docTemplate ? docTemplate->Strings().windowTitle : "");
    SetWindowTextA(window_, title.c_str());
}

void FrameWindow::ActivateFrame() {
    if (!window_) return;
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
}

void FrameWindow::SetMessageText(const std::string& text) {
    SetPaneText(0, text);
}

void FrameWindow::SetPaneText(int pane, const std::string& text) {
    if (statusBar_)
        SendMessageA(statusBar_, SB_SETTEXTA, static_cast<WPARAM>(pane),
                     reinterpret_cast<LPARAM>(text.c_str()));
}

std::string FrameWindow::PaneText(int pane) const {
    if (!statusBar_) return {};
    const LRESULT length = SendMessageA(statusBar_, SB_GETTEXTLENGTHA, pane, 0);
    std::string text(LOWORD(length) + 1u, '\0');
    SendMessageA(statusBar_, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.c_str());
}

bool FrameWindow::CreateStatusBar(const std::vector<int>& widths,
                                  const std::vector<std::string>& texts) {
    statusBar_ = CreateWindowExA(
        0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdwStatusBar)), app_.Instance(), nullptr);
    if (!statusBar_) return false;
    paneWidths_ = widths.empty() ? std::vector<int>{0} : widths;
    RecalcLayout();
    for (std::size_t i = 0; i < paneWidths_.size(); ++i) {
        const std::string text = i < texts.size() ? texts[i]
                                 : i == 0         ? app_.LoadString(kIdsIdleMessage)
                                                  : std::string();
        SetPaneText(static_cast<int>(i), text);
    }
    return true;
}

void FrameWindow::RecalcLayout() {
    if (!window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right;
    int top = 0;
    int bottom = client.bottom;
    for (HWND bar : topBars_) {
        if (!IsVisible(bar)) continue;
        // Bars size themselves to their parent's width; we only stack them.
        SendMessageA(bar, WM_SIZE, 0, MAKELPARAM(width, client.bottom));
        RECT r{};
        GetWindowRect(bar, &r);
        const int height = r.bottom - r.top;
        SetWindowPos(bar, nullptr, 0, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        top += height;
    }
    if (IsVisible(statusBar_)) {
        SendMessageA(statusBar_, WM_SIZE, 0, 0);
        const std::vector<int> edges = StatusPaneEdges(width, paneWidths_);
        SendMessageA(statusBar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        RECT r{};
        GetWindowRect(statusBar_, &r);
        bottom -= r.bottom - r.top;
    }
    if (view_ && view_->Window())
        SetWindowPos(view_->Window(), nullptr, 0, top, width, std::max(bottom - top, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrameWindow::ToggleBar(HWND bar) {
    if (!bar) return;
    const bool show = !IsVisible(bar);
    // A bar that is a band of a rebar comes and goes with its band, so that the rebar closes
    // up the space; the band shows or hides the bar's window itself.
    if (const int band = ReBarBandOf(bar); band >= 0)
        SendMessageA(GetParent(bar), RB_SHOWBAND, static_cast<WPARAM>(band), show);
    else
        ShowWindow(bar, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

int FrameWindow::ReBarBandOf(HWND bar) {
    const HWND parent = GetParent(bar);
    char cls[32] = {};
    if (!parent || !GetClassNameA(parent, cls, sizeof cls) || lstrcmpiA(cls, REBARCLASSNAMEA) != 0)
        return -1;
    const int count = static_cast<int>(SendMessageA(parent, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = REBARBANDINFOA_V3_SIZE;
        band.fMask = RBBIM_CHILD;
        if (SendMessageA(parent, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band)) &&
            band.hwndChild == bar)
            return i;
    }
    return -1;
}

void FrameWindow::OnToolBarHotItem(const NMTBHOTITEM& item) {
    // Fly-by: the prompt of the button under the pointer, the idle text once it leaves.
    if ((item.dwFlags & HICF_LEAVING) || item.idNew == 0)
        SetMessageText(app_.LoadString(kIdsIdleMessage));
    else
        SetMessageText(PromptText(app_.LoadString(static_cast<UINT>(item.idNew))));
}

bool FrameWindow::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void FrameWindow::OnInitMenuPopup(HMENU menu) {
    UpdateRecentFileMenu(menu);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0) continue;  // separator
        CommandState state;
        if (id == static_cast<UINT>(-1)) {
            // A submenu can be opened while its first command is available.
            const HMENU sub = GetSubMenu(menu, i);
            const UINT first = sub ? GetMenuItemID(sub, 0) : 0;
            if (first == 0 || first == static_cast<UINT>(-1)) continue;
            state = CommandState{QueryCommandState(first).enabled, false};
        } else {
            state = QueryCommandState(id);
        }
        EnableMenuItem(menu, i, MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(menu, i, MF_BYPOSITION | (state.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void FrameWindow::UpdateRecentFileMenu(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    int at = -1;
    for (int i = count - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id >= kIdFileMruFirst && id <= kIdFileMruLast) {
            DeleteMenu(menu, i, MF_BYPOSITION);
            at = i;
        }
    }
    if (at < 0) return;
    const std::vector<std::string>& entries = app_.RecentFiles().Entries();
    if (entries.empty()) {
        InsertMenuA(menu, at, MF_BYPOSITION | MF_STRING | MF_GRAYED, kIdFileMruFirst,
                    recentPlaceholder_.c_str());
        return;
    }
    for (std::size_t i = 0; i < entries.size() && kIdFileMruFirst + i <= kIdFileMruLast; ++i) {
        const std::string text = RecentFileMenuText(static_cast<int>(i), entries[i]);
        InsertMenuA(menu, at + static_cast<int>(i), MF_BYPOSITION | MF_STRING, kIdFileMruFirst + i,
                    text.c_str());
    }
}

void FrameWindow::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && menu == nullptr) {
        SetMessageText(app_.LoadString(kIdsIdleMessage));  // the menu closed
    } else if (flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) {
        SetMessageText("");
    } else {
        SetMessageText(PromptText(app_.LoadString(item)));
    }
}

bool FrameWindow::OnToolTipText(NMHDR* header) {
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        if (info->uFlags & TTF_IDISHWND) return false;
        tipText_ = TooltipText(app_.LoadString(static_cast<UINT>(header->idFrom)));
        info->lpszText = tipText_.data();
        info->hinst = nullptr;
        return true;
    }
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        if (info->uFlags & TTF_IDISHWND) return false;
        tipTextWide_ =
            WideFromAnsi(TooltipText(app_.LoadString(static_cast<UINT>(header->idFrom))));
        info->lpszText = tipTextWide_.data();
        info->hinst = nullptr;
        return true;
    }
    return false;
}

void FrameWindow::OnDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, path.data(), length + 1);
        path.resize(length);
        paths.push_back(path);
    }
    DragFinish(drop);
    ActivateFrame();
    // In the order of the drop list: with several files, the last accepted one stays open.
    for (const std::string& path : paths) app_.OpenDocumentFile(path);
}

void FrameWindow::OnDdeInitiate(HWND client, ATOM application, ATOM topic) {
    const std::string service = app_.DdeServiceName();
    if (!AtomMatches(application, service) || !AtomMatches(topic, kDdeTopic)) return;
    // The client deletes the atoms of the acknowledgement.
    const ATOM ackApplication = GlobalAddAtomA(service.c_str());
    const ATOM ackTopic = GlobalAddAtomA(kDdeTopic);
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window_),
                 MAKELPARAM(ackApplication, ackTopic));
}

void FrameWindow::OnDdeExecute(HWND client, HGLOBAL block) {
    bool ok = false;
    const std::vector<DdeCommand> commands = ParseDdeCommands(DdeCommandText(block));
    for (const DdeCommand& command : commands) {
        if (!base::EqualsNoCase(command.name, "open") || command.args.size() != 1) {
            ok = false;
            break;
        }
        if (IsWindowVisible(window_)) ActivateFrame();
        ok = app_.OpenDocumentFile(command.args[0]) != Application::OpenResult::Refused;
        if (!ok) break;
    }
    DDEACK ack{};
    ack.fAck = ok ? 1 : 0;
    WORD status = 0;
    static_assert(sizeof(ack) == sizeof(status));
    std::memcpy(&status, &ack, sizeof status);
    // The client frees the command block once it has the acknowledgement.
    const LPARAM lParam = PackDDElParam(WM_DDE_ACK, status, reinterpret_cast<UINT_PTR>(block));
    if (!PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window_), lParam))
        FreeDDElParam(WM_DDE_ACK, lParam);
}

LRESULT CALLBACK FrameWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FrameWindow*>(
            reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    // No exception may unwind through the system's frames.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT FrameWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = window_;
    switch (message) {
        case WM_CREATE:
            if (!OnCreateBars() || !view_ || !view_->Create(window_, kIdwPaneFirst)) return -1;
            RecalcLayout();
            return 0;
        case WM_SIZE:
            RecalcLayout();
            return 0;
        case WM_COMMAND:
            // Menus, accelerators and toolbar buttons; other controls' notifications go to
            // their own parents.
            if (lParam == 0 || reinterpret_cast<HWND>(lParam) == toolBar_) {
                RouteCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_INITMENUPOPUP:
            if (!HIWORD(lParam)) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_MENUSELECT:
            OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (OnToolTipText(header)) return 0;
            if (toolBar_ && header->hwndFrom == toolBar_ && header->code == TBN_HOTITEMCHANGE) {
                OnToolBarHotItem(*reinterpret_cast<const NMTBHOTITEM*>(lParam));
                return 0;  // the toolbar goes on with its hot item
            }
            break;
        }
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DDE_INITIATE:
            if (!app_.ShellOpenEnabled() || reinterpret_cast<HWND>(wParam) == window_) break;
            OnDdeInitiate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_DDE_EXECUTE:
            OnDdeExecute(reinterpret_cast<HWND>(wParam), reinterpret_cast<HGLOBAL>(lParam));
            return 0;
        case WM_DDE_TERMINATE:
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_DDE_TERMINATE,
                         reinterpret_cast<WPARAM>(window_), 0);
            return 0;
        case kMsgRunDeferredOpens:
            app_.RunDeferredOpens();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            OnDestroyFrame();
            break;
        case WM_NCDESTROY: {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            statusBar_ = toolBar_ = toolBarHost_ = nullptr;
            topBars_.clear();
            app_.OnMainFrameDestroyed();
            return DefWindowProcA(window, message, wParam, lParam);
        }
        default:
            break;
    }
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace win
