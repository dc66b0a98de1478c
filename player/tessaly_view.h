// Tessaly's view: a plain window covered by the Flash control (child 101), which does all
// decoding, drawing and sound. The view loads the movie the document hands over, carries out
// the playback commands, the scale modes and the background colour, toggles play on the
// frame's pause-on-click, seeks on the progress slider's request, and polls the control every
// 300 ms for the frame counter, the slider and automatic replay.
#pragma once

#include <windows.h>

#include "player/playback_rules.h"
#include "win/doc_view.h"
#include "win/shockwave_flash.h"

namespace player {

class CTessalyApp;
class CTessalyDoc;

// Private messages posted to the view.
inline constexpr UINT WM_SEEK_FRAME = WM_USER + 81;   // wParam: zero-based frame
inline constexpr UINT WM_TOGGLE_PLAY = WM_USER + 82;  // play or pause

inline constexpr int kFlashControlId = 101;
inline constexpr UINT_PTR kPositionTimer = 1;
inline constexpr UINT kPositionTimerMs = 300;

class CTessalyView : public win::View {
public:
    explicit CTessalyView(CTessalyApp& app);

    win::CShockwaveFlash& Flash() { return flash_; }
    // The control holds a movie when its Movie property reads back non-empty.
    bool HoldsMovie();
    PlaybackState State();

    void OnInitialUpdate() override;
    // Loads the pending movie: Movie, BGColor, Scale (the override, else the stored mode),
    // then Play. A movie the built-in control cannot play is refused before the control
    // sees it: the previous movie keeps playing, and the user is told.
    void OnUpdate(win::View* sender, LPARAM hint) override;

protected:
    bool OnCreate() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CTessalyDoc* Doc() const;
    bool ControlCanPlay(const std::string& path);
    void RunPlayback(unsigned id);
    void OnTick();
    // Command 130: the colour dialog at the stored "bgColor"; a confirmed colour is stored,
    // given to the control, and the view repainted.
    void ChooseBackground();
    // Commands 139 to 142: the stored mode, the control's scale, and no more override.
    void SetScaleMode(unsigned id);

    CTessalyApp& app_;
    win::CShockwaveFlash flash_;
    bool timerStarted_ = false;
    // Set by every movie loaded: the next tick ranges the slider for its frame count.
    bool sliderArmed_ = true;
    long lastShownFrame_ = 0;
    long lastShownTotal_ = 0;
    // The colour dialog's sixteen custom colours, kept while the program runs.
    COLORREF customColors_[16] = {};
};

}  // namespace player
