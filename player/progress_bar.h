// The progress bar under the toolbar: the dialog bar of template 128 ("进度:") with the
// slider, trackbar 103, that shows the playing position and seeks. The view's timer ranges
// and moves the slider; every movement of the slider asks the frame's active view to go to
// the slider's frame.
#pragma once

#include <windows.h>

#include "win/controls.h"
#include "win/dialog_bar.h"

namespace player {

class CMainFrame;

class CMyDlgBar : public win::DialogBar {
public:
    CMyDlgBar(HINSTANCE instance, CMainFrame& frame);

    win::Trackbar Slider() const { return slider_; }

protected:
    // Makes the slider: fixed at (40, 5, 250, 25) in the bar, whatever the window's width;
    // no tick marks, out of the tab order, and disabled until a movie ranges it.
    bool OnBarCreated() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    CMainFrame& frame_;
    win::Trackbar slider_;
};

inline constexpr RECT kSliderRect{40, 5, 250, 25};

}  // namespace player
