// Tessaly's main frame: the menu and accelerators of resource 128, the status bar with its
// message pane and the frame counter, and the view. Its pre-translation of every message of
// the thread turns a left click on the view into play/pause while pause-on-click is on.
#pragma once

#include <windows.h>

#include "win/frame_window.h"

namespace player {

class CTessalyApp;

class CMainFrame : public win::FrameWindow {
public:
    explicit CMainFrame(CTessalyApp& app);

    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnCreateBars() override;

private:
    CTessalyApp& app_;
};

// The frame counter's pane in the status bar, after the message pane.
inline constexpr int kFrameCounterPane = 1;
inline constexpr int kFrameCounterWidth = 120;

}  // namespace player
