#include "player/tessaly_view.h"

#include "base/color_text.h"
#include "flash/swf_parser.h"
#include "player/main_frame.h"
#include "player/player_settings.h"
#include "player/resource.h"
#include "player/tessaly_app.h"
#include "player/tessaly_doc.h"
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
        }
    }
    doc->SetModifiedFlag(false);
}

void CTessalyView::OnInitialUpdate() {
    win::View::OnInitialUpdate();
    if (timerStarted_) return;
    // Once per view, and Tessaly has one view: the window placement joins here with the
    // view options, before the timer starts.
    timerStarted_ = true;
    SetTimer(Window(), kPositionTimer, kPositionTimerMs, nullptr);
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
    long current = 0;
    long total = 0;
    if (HoldsMovie()) {
        current = flash_.CurrentFrame();
        total = flash_.TotalFrames();
    }
    const TickResult tick = DecideTick(current, total, lastShownFrame_, lastShownTotal_);
    if (tick.showCounter) {
        lastShownFrame_ = current;
        lastShownTotal_ = total;
        if (win::FrameWindow* frame = app_.MainFrame())
            frame->SetPaneText(
                1, FrameCounterText(app_.LoadString(IDS_FRAME_COUNTER), current, total));
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
