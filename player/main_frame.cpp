#include "player/main_frame.h"

#include <commctrl.h>
#include <windowsx.h>

#include "player/player_settings.h"
#include "player/playback_rules.h"
#include "player/resource.h"
#include "player/tessaly_app.h"
#include "player/tessaly_view.h"
#include "player/view_rules.h"
#include "win/doc_view.h"
#include "win/framework_ids.h"

namespace player {
namespace {

// Window placements are in workspace coordinates: the work area's corner is their origin.
POINT WorkAreaOrigin() {
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return POINT{0, 0};
    return POINT{work.left, work.top};
}

WindowRect ToWindowRect(const RECT& r, POINT offset = {0, 0}) {
    return WindowRect{r.left + offset.x, r.top + offset.y, r.right + offset.x, r.bottom + offset.y};
}

}  // namespace

CMainFrame::CMainFrame(CTessalyApp& app)
    : win::FrameWindow(app), app_(app), progressBar_(app.Instance(), *this) {
    Commands().On(kIdFullScreen, [this] { EnterFullScreen(); });
}

bool CMainFrame::OnCreateBars() {
    if (!CreateToolBar()) return false;
    if (!progressBar_.CreateBar(Window(), win::kIdwDialogBar)) return false;
    if (!CreateReBar()) return false;
    return CreateStatusBar({0, kFrameCounterWidth}, {app_.LoadString(win::kIdsIdleMessage),
                                                     app_.LoadString(IDS_FRAME_COUNTER_START)});
}

bool CMainFrame::CreateToolBar() {
    // Tooltips and fly-by prompts come with the style: the toolbar makes its tooltip control
    // only when it is created with it. The rebar places and sizes it.
    tools_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP |
                                 CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                             0, 0, 0, 0, Window(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(win::kIdwToolBar)),
                             app_.Instance(), nullptr);
    if (tools_ == nullptr ||
        !win::LoadToolBar(tools_, app_.Instance(), IDR_MAINFRAME, kToolBarMaskColor, toolImages_))
        return false;
    SIZE size{};
    SendMessageA(tools_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    SetWindowPos(tools_, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SetToolBar(tools_, tools_);
    return true;
}

bool CMainFrame::CreateReBar() {
    reBar_ = CreateWindowExA(
        0, REBARCLASSNAMEA, "",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_BANDBORDERS | CCS_TOP, 0, 0,
        0, 0, Window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(win::kIdwReBar)),
        app_.Instance(), nullptr);
    if (reBar_ == nullptr) return false;
    REBARINFO info{};
    info.cbSize = sizeof info;
    SendMessageA(reBar_, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    if (!AddBand(tools_, win::kIdwToolBar) || !AddBand(progressBar_.Window(), win::kIdwDialogBar))
        return false;
    // The bands' children now live in the rebar; the toolbar's buttons and tooltips still
    // speak to the frame, which routes their commands.
    SendMessageA(tools_, TB_SETPARENT, reinterpret_cast<WPARAM>(Window()), 0);
    AddTopBar(reBar_);
    return true;
}

bool CMainFrame::AddBand(HWND child, int id) {
    RECT r{};
    GetWindowRect(child, &r);
    REBARBANDINFOA band{};
    // The oldest layout every version of the control takes; it has all the fields used here.
    band.cbSize = REBARBANDINFOA_V3_SIZE;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
    band.fStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP;
    band.hwndChild = child;
    band.cxMinChild = static_cast<UINT>(r.right - r.left);
    band.cyMinChild = static_cast<UINT>(r.bottom - r.top);
    band.cx = band.cxMinChild;
    band.wID = static_cast<UINT>(id);
    ShowWindow(child, SW_SHOWNA);
    return SendMessageA(reBar_, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&band)) != 0;
}

bool CMainFrame::PreTranslateMessage(MSG& message) {
    // Only the button-down is caught: double clicks, button-up and the right button pass.
    if (message.message == WM_LBUTTONDOWN && app_.ClickPause()) {
        const win::View* view = ActiveView();
        const HWND viewWindow = view ? view->Window() : nullptr;
        // The click must be meant for the view or the control in it; a window of its own
        // above the view keeps its clicks.
        if (viewWindow && (message.hwnd == viewWindow || IsChild(viewWindow, message.hwnd))) {
            RECT rect{};
            GetWindowRect(viewWindow, &rect);
            POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            ClientToScreen(message.hwnd, &point);
            if (PtInRect(&rect, point)) {
                PostMessageA(viewWindow, WM_TOGGLE_PLAY, 0, 0);
                return true;
            }
        }
    }
    // Escape leaves full screen and still reaches its window.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && inFullScreen_)
        LeaveFullScreen();
    return win::FrameWindow::PreTranslateMessage(message);
}

void CMainFrame::EnterFullScreen() {
    if (inFullScreen_ || Window() == nullptr) return;
    // The style bit, not IsWindowVisible: the frame itself may not be shown yet.
    statusBarWasShown_ = (GetWindowLongPtrA(StatusBar(), GWL_STYLE) & WS_VISIBLE) != 0;
    reBarWasShown_ = (GetWindowLongPtrA(reBar_, GWL_STYLE) & WS_VISIBLE) != 0;
    ShowWindow(StatusBar(), SW_HIDE);
    ShowWindow(reBar_, SW_HIDE);
    RecalcLayout();
    savedPlacement_ = WINDOWPLACEMENT{};
    savedPlacement_.length = sizeof savedPlacement_;
    GetWindowPlacement(Window(), &savedPlacement_);
    // The frame and the menu go beyond the screen's edges, so that the client area alone
    // covers it.
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    AdjustWindowRectEx(&screen, static_cast<DWORD>(GetWindowLongPtrA(Window(), GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(Window(), GWL_EXSTYLE)));
    fullScreenRect_ = screen;
    inFullScreen_ = true;
    WINDOWPLACEMENT full = savedPlacement_;
    full.showCmd = SW_SHOWNORMAL;
    const POINT origin = WorkAreaOrigin();
    full.rcNormalPosition = RECT{screen.left - origin.x, screen.top - origin.y,
                                 screen.right - origin.x, screen.bottom - origin.y};
    SetWindowPlacement(Window(), &full);
}

void CMainFrame::LeaveFullScreen() {
    if (!inFullScreen_) return;
    inFullScreen_ = false;
    if (statusBarWasShown_) ShowWindow(StatusBar(), SW_SHOW);
    if (reBarWasShown_) ShowWindow(reBar_, SW_SHOW);
    SetWindowPlacement(Window(), &savedPlacement_);
    RecalcLayout();
}

void CMainFrame::PlaceWindow() {
    if (placed_ || Window() == nullptr) return;
    placed_ = true;
    const PlayerSettings& settings = app_.Settings();
    const WindowRect stored{settings.GetInt(kSettings, kLeftValue, kDefaultWindowRect.left),
                            settings.GetInt(kSettings, kTopValue, kDefaultWindowRect.top),
                            settings.GetInt(kSettings, kRightValue, kDefaultWindowRect.right),
                            settings.GetInt(kSettings, kBottomValue, kDefaultWindowRect.bottom)};
    // A window that opens maximised keeps the system's place for its restored size.
    if (settings.GetInt(kSettings, kMaxValue, 0) != 0) return;
    const WindowRect r =
        InitialWindowRect(stored, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(Window(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void CMainFrame::StorePlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Window(), &placement);
    RECT window{};
    GetWindowRect(Window(), &window);
    const POINT origin = WorkAreaOrigin();
    ClosingWindow closing;
    closing.restored = ToWindowRect(placement.rcNormalPosition, origin);
    closing.window = ToWindowRect(window);
    if (inFullScreen_) {
        // The windowed placement is the one to keep. The window is on its way out (hidden
        // already), so it is not put back on the screen to be measured.
        placement = savedPlacement_;
        closing.restored = ToWindowRect(placement.rcNormalPosition, origin);
        closing.window = closing.restored;
    }
    closing.minimised = placement.showCmd == SW_SHOWMINIMIZED;
    closing.maximised = placement.showCmd == SW_SHOWMAXIMIZED;
    closing.restoresToMaximised = (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
    const StoredPlacement stored = PlacementToStore(closing);
    const PlayerSettings& settings = app_.Settings();
    settings.WriteInt(kSettings, kLeftValue, stored.rect.left);
    settings.WriteInt(kSettings, kTopValue, stored.rect.top);
    settings.WriteInt(kSettings, kRightValue, stored.rect.right);
    settings.WriteInt(kSettings, kBottomValue, stored.rect.bottom);
    settings.WriteInt(kSettings, kMaxValue, stored.max);
}

void CMainFrame::OnDestroyFrame() {
    // A frame that never got its placement (its first file was refused at start-up) leaves
    // the stored one alone.
    if (placed_) StorePlacement();
    inFullScreen_ = false;
}

bool CMainFrame::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_GETMINMAXINFO:
            if (!inFullScreen_) return false;
            {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                const POINT size{fullScreenRect_.right - fullScreenRect_.left,
                                 fullScreenRect_.bottom - fullScreenRect_.top};
                info->ptMaxSize = size;
                info->ptMaxTrackSize = size;
            }
            result = 0;
            return true;
        case WM_NOTIFY:
            // Showing or hiding a band changes the rebar's height; the view follows.
            if (reinterpret_cast<const NMHDR*>(lParam)->code == RBN_HEIGHTCHANGE) {
                RecalcLayout();
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace player
