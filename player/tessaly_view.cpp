#include "player/tessaly_view.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>

#include "base/color_text.h"
#include "flash/swf_parser.h"
#include "player/main_frame.h"
#include "player/player_settings.h"
#include "player/resource.h"
#include "player/tessaly_app.h"
#include "player/tessaly_doc.h"
#include "player/view_rules.h"
#include "win/ax_host.h"
#include "win/framework_ids.h"

namespace player {

CTessalyView::CTessalyView(CTessalyApp& app) : app_(app) {
    for (unsigned id = kIdToStart; id <= kIdToEnd; ++id) {
        Commands().On(id, [this, id] { RunPlayback(id); });
        Commands().OnUpdate(id, [this, id] { return PlaybackCommandState(id, State()); });
    }
    // Save as is the document's; whether there is anything to save is the control's.
    Commands().OnUpdate(win::kIdFileSaveAs, [this] {
        return win::CommandState{HoldsMovie(), false};
    });
    Commands().On(kIdAutoReplay, [this] {
        const int stored = app_.Settings().GetInt(kSettings, kAutoReplayValue, 0);
        app_.Settings().WriteInt(kSettings, kAutoReplayValue, stored == 0 ? 1 : 0);
    });
    Commands().OnUpdate(kIdAutoReplay, [this] {
        return win::CommandState{true, app_.Settings().GetInt(kSettings, kAutoReplayValue, 0) != 0};
    });
    Commands().On(kIdClickPause, [this] {
        app_.SetClickPause(!app_.ClickPause());
        app_.Settings().WriteInt(kSettings, kClickPauseValue, app_.ClickPause() ? 1 : 0);
    });
    Commands().OnUpdate(kIdClickPause, [this] {
        return win::CommandState{true, app_.ClickPause()};
    });
    Commands().On(kIdBackground, [this] { ChooseBackground(); });
    for (unsigned id = kIdShowAll; id <= kIdNoScale; ++id) {
        Commands().On(id, [this, id] { SetScaleMode(id); });
        Commands().OnUpdate(id, [this, id] {
            return ScaleCommandState(
                id, app_.ScaleOverride(),
                app_.Settings().GetString(kSettings, kScaleModeValue, kDefaultScaleMode));
        });
    }
    std::fill(std::begin(customColors_), std::end(customColors_), RGB(255, 255, 255));
}

CTessalyDoc* CTessalyView::Doc() const {
    return static_cast<CTessalyDoc*>(GetDocument());
}

bool CTessalyView::HoldsMovie() {
    return !flash_.GetMovie().empty();
}

PlaybackState CTessalyView::State() {
    PlaybackState state;
    state.hasMovie = HoldsMovie();
    if (state.hasMovie) {
        state.current = flash_.CurrentFrame();
        state.total = flash_.TotalFrames();
        state.playing = flash_.IsPlaying();
    }
    return state;
}

bool CTessalyView::OnCreate() {
    if (!flash_.Create(Window(), kFlashControlId, RECT{0, 0, 0, 0}, "Flash player")) {
        app_.ShowMessage(app_.LoadString(IDS_CONTROL_FAILED), MB_OK);
        return false;
    }
    flash_.SetBGColor(
        base::ToBgColorText(app_.Settings().GetInt(kSettings, kBgColorValue, kDefaultBgColor)));
    return true;
}

bool CTessalyView::ControlCanPlay(const std::string& path) {
    // The built-in engine loads at once and refuses what it cannot read; ask it the same
    // question first, so that a refused file never replaces the movie that plays. A
    // registered control decides for itself.
    if (!win::AxHostIsBuiltIn(flash_.Window())) return true;
    return flash::LoadMovieFile(path).Ok();
}

void CTessalyView::OnUpdate(win::View*, LPARAM) {
    CTessalyDoc* doc = Doc();
    if (doc == nullptr || !doc->IsModified()) return;
    const std::string path = doc->MoviePath();
    if (!path.empty()) {
        if (!ControlCanPlay(path)) {
            doc->RefuseLoad();
            app_.ShowMessage(path + "\r\n\r\n" + app_.LoadString(IDS_CANNOT_PLAY),
                             MB_OK | MB_ICONEXCLAMATION);
        } else {
            const PlayerSettings& settings = app_.Settings();
            flash_.SetMovie(path);
            flash_.SetBGColor(
                base::ToBgColorText(settings.GetInt(kSettings, kBgColorValue, kDefaultBgColor)));
            flash_.SetScale(
                ScaleModeText(app_.ScaleOverride(),
                              settings.GetString(kSettings, kScaleModeValue, kDefaultScaleMode)));
            flash_.Play();
            // A movie with another frame count needs another range.
            sliderArmed_ = true;
        }
    }
    doc->SetModifiedFlag(false);
}

void CTessalyView::OnInitialUpdate() {
    win::View::OnInitialUpdate();
    if (timerStarted_) return;
    // Once per view, and Tessaly has one view: the window goes where the user left it, then
    // the position timer starts, never to stop.
    timerStarted_ = true;
    if (CMainFrame* frame = app_.Frame()) frame->PlaceWindow();
    SetTimer(Window(), kPositionTimer, kPositionTimerMs, nullptr);
}

void CTessalyView::ChooseBackground() {
    CHOOSECOLORA choice{};
    choice.lStructSize = sizeof choice;
    const CMainFrame* frame = app_.Frame();
    choice.hwndOwner = frame ? frame->Window() : nullptr;
    // Only the colour's own bytes: a stored value with the high byte set is no colour.
    choice.rgbResult =
        static_cast<COLORREF>(app_.Settings().GetInt(kSettings, kBgColorValue, kDefaultBgColor)) &
        0x00FFFFFFu;
    choice.lpCustColors = customColors_;
    choice.Flags = CC_RGBINIT;
    if (!ChooseColorA(&choice)) return;
    app_.Settings().WriteInt(kSettings, kBgColorValue, static_cast<int>(choice.rgbResult));
    flash_.SetBGColor(base::ToBgColorText(choice.rgbResult));
    InvalidateRect(Window(), nullptr, TRUE);
}

void CTessalyView::SetScaleMode(unsigned id) {
    const std::string mode(ScaleCommandMode(id));
    app_.Settings().WriteString(kSettings, kScaleModeValue, mode);
    flash_.SetScale(mode);
    app_.SetScaleOverride(0);
}

void CTessalyView::RunPlayback(unsigned id) {
    switch (id) {
        case kIdToStart:
            flash_.Stop();
            flash_.Rewind();
            break;
        case kIdBack:
        case kIdForward: {
            // Stepping keeps the play state: a playing movie goes on from the new frame.
            const bool playing = flash_.IsPlaying();
            if (id == kIdBack)
                flash_.Back();
            else
                flash_.Forward();
            if (playing) flash_.Play();
            break;
        }
        case kIdPlay:
            flash_.Play();
            break;
        case kIdPause:
            flash_.Stop();
            break;
        case kIdToEnd:
            // The frame count itself, one past the last frame: the control stops on the last.
            flash_.Stop();
            flash_.GotoFrame(flash_.TotalFrames());
            break;
        default:
            break;
    }
}

void CTessalyView::OnTick() {
    // One query round of the control; nothing is written unless something changed.
    TickInput input;
    input.hasMovie = HoldsMovie();
    if (input.hasMovie) {
        input.current = flash_.CurrentFrame();
        input.total = flash_.TotalFrames();
    }
    input.lastShownFrame = lastShownFrame_;
    input.lastShownTotal = lastShownTotal_;
    input.sliderArmed = sliderArmed_;
    input.fullScreenOnLoad = app_.FullScreenOnLoad();
    const TickResult tick = DecideTick(input);
    CMainFrame* frame = app_.Frame();
    const win::Trackbar slider = frame ? frame->Slider() : win::Trackbar();
    if (tick.armSlider) {
        sliderArmed_ = false;
        EnableWindow(slider.Window(), TRUE);
        slider.SetRange(0, static_cast<int>(input.total), true);
    }
    if (tick.enterFullScreen) {
        app_.ClearFullScreenOnLoad();
        if (frame) frame->EnterFullScreen();
    }
    if (tick.showCounter) {
        lastShownFrame_ = input.current;
        lastShownTotal_ = input.total;
        if (frame)
            frame->SetPaneText(
                kFrameCounterPane,
                FrameCounterText(app_.LoadString(IDS_FRAME_COUNTER), input.current, input.total));
        slider.SetPos(static_cast<int>(input.current), true);
    }
    if (tick.atLastFrame && app_.Settings().GetInt(kSettings, kAutoReplayValue, 0) != 0)
        flash_.Play();
}

bool CTessalyView::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_SIZE: {
            RECT client{};
            GetClientRect(Window(), &client);
            if (client.right > 0 && flash_.Window())
                SetWindowPos(flash_.Window(), nullptr, 0, 0, client.right, client.bottom,
                             SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
            result = 0;
            return true;
        }
        case WM_ERASEBKGND:
            result = 1;  // the control covers the whole view
            return true;
        case WM_TIMER:
            if (wParam == kPositionTimer) OnTick();
            result = 0;
            return true;
        case WM_SEEK_FRAME:
            if (HoldsMovie()) {
                const bool playing = flash_.IsPlaying();
                flash_.GotoFrame(static_cast<long>(wParam));
                if (playing) flash_.Play();
            }
            result = 0;
            return true;
        case WM_TOGGLE_PLAY:
            if (HoldsMovie()) {
                if (flash_.IsPlaying())
                    flash_.Stop();
                else
                    flash_.Play();
            }
            result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace player
