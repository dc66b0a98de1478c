// Tessaly's main frame: the menu and accelerators of resource 128; the rebar with the
// toolbar and the progress bar; the status bar with the message pane and the frame counter;
// the view. It enters and leaves full screen, opens where the user left it and remembers
// that when it closes. Its pre-translation of every message of the thread turns a left click
// on the view into play/pause while pause-on-click is on, and Escape leaves full screen.
#pragma once

#include <windows.h>

#include "player/progress_bar.h"
#include "win/controls.h"
#include "win/frame_window.h"
#include "win/tool_bar.h"

namespace player {

class CTessalyApp;

class CMainFrame : public win::FrameWindow {
public:
    explicit CMainFrame(CTessalyApp& app);

    bool PreTranslateMessage(MSG& message) override;

    HWND ReBar() const { return reBar_; }
    HWND ProgressBar() const { return progressBar_.Window(); }
    win::Trackbar Slider() const { return progressBar_.Slider(); }

    // Command 137: the bars hidden and the client area alone covering the screen, the menu
    // and the frame off its edges. Nothing happens when already in full screen.
    void EnterFullScreen();
    // Back to the placement from before and to the bars that were shown then (or that the
    // user showed meanwhile); nothing when not in full screen.
    void LeaveFullScreen();
    bool InFullScreen() const { return inFullScreen_; }
    const RECT& FullScreenRect() const { return fullScreenRect_; }

    // Once, at the view's first initial update: the window goes where the stored "left",
    // "top", "right", "bottom" say (clamped to the screen), unless it is to open maximised.
    // From then on, closing the window stores its placement.
    void PlaceWindow();

protected:
    // Toolbar, progress bar, rebar holding both, status bar: any that fails fails the frame.
    bool OnCreateBars() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyFrame() override;

private:
    bool CreateToolBar();
    bool CreateReBar();
    bool AddBand(HWND child, int id);
    void StorePlacement();

    CTessalyApp& app_;
    HWND tools_ = nullptr;
    HWND reBar_ = nullptr;
    CMyDlgBar progressBar_;
    bool inFullScreen_ = false;
    WINDOWPLACEMENT savedPlacement_{};
    RECT fullScreenRect_{};
    // Which bars full screen hid: a bar the user had hidden before stays hidden after.
    bool statusBarWasShown_ = false;
    bool reBarWasShown_ = false;
    win::UniqueHimagelist toolImages_;
    bool placed_ = false;
};

// The frame counter's pane in the status bar, after the message pane.
inline constexpr int kFrameCounterPane = 1;
inline constexpr int kFrameCounterWidth = 120;
// The toolbar bitmap's transparent colour.
inline constexpr COLORREF kToolBarMaskColor = RGB(255, 0, 255);

}  // namespace player
