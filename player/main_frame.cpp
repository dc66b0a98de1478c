#include "player/main_frame.h"

#include <windowsx.h>

#include "player/resource.h"
#include "player/tessaly_app.h"
#include "player/tessaly_view.h"
#include "win/doc_view.h"
#include "win/framework_ids.h"

namespace player {

CMainFrame::CMainFrame(CTessalyApp& app) : win::FrameWindow(app), app_(app) {}

bool CMainFrame::OnCreateBars() {
    return CreateStatusBar({0, kFrameCounterWidth}, {app_.LoadString(win::kIdsIdleMessage),
                                                     app_.LoadString(IDS_FRAME_COUNTER_START)});
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
    // Leaving full screen with Escape joins here with the full-screen state.
    return win::FrameWindow::PreTranslateMessage(message);
}

}  // namespace player
