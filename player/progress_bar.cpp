#include "player/progress_bar.h"

#include <commctrl.h>

#include "player/main_frame.h"
#include "player/resource.h"
#include "player/tessaly_view.h"
#include "win/doc_view.h"

namespace player {

CMyDlgBar::CMyDlgBar(HINSTANCE instance, CMainFrame& frame)
    : DialogBar(instance, IDD_PROGRESS_BAR), frame_(frame) {}

bool CMyDlgBar::OnBarCreated() {
    const HWND slider = CreateWindowExA(
        0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_BOTH | TBS_NOTICKS, kSliderRect.left,
        kSliderRect.top, kSliderRect.right - kSliderRect.left, kSliderRect.bottom - kSliderRect.top,
        Window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS_SLIDER)), Instance(),
        nullptr);
    if (slider == nullptr) return false;
    // The slider never takes the keyboard focus from the movie by tabbing.
    SetWindowLongPtrA(slider, GWL_STYLE, GetWindowLongPtrA(slider, GWL_STYLE) & ~WS_TABSTOP);
    EnableWindow(slider, FALSE);
    slider_ = win::Trackbar(slider);
    return true;
}

bool CMyDlgBar::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != slider_.Window() ||
        slider_.Window() == nullptr)
        return false;
    // Every notification seeks: each step of a dragged thumb, a click in the channel, the end
    // of a drag. The view answers later, from the queue, so a drag never waits for it.
    if (const win::View* view = frame_.ActiveView(); view && view->Window())
        PostMessageA(view->Window(), WM_SEEK_FRAME, static_cast<WPARAM>(slider_.Pos()), 0);
    result = TRUE;
    return true;
}

}  // namespace player
