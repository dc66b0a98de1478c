// What the Flash control knows and does, apart from its window: the movie location, the
// loaded movie's player and its sound, the scale mode and the background colour. The
// control's dispatch calls map one to one onto these operations, so they run headless in
// tests.
//
// Sound. The model mixes the movie's sound in its SoundEngine; an output (the control's
// waveOut) plays it and gives the model its clock. While the main timeline's stream plays,
// the frames follow that clock rather than the timer: the frame shown is the one whose sound
// is heard, and frames that a slow tick could not show are stepped through without being
// drawn. Stop, Back, Forward, Rewind and GotoFrame stop the stream (movie_sound.h says where
// it starts again); a new movie, or the model's end, stops every sound before the old movie's
// bytes go.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "flash/button_finder.h"
#include "flash/movie_sound.h"
#include "flash/player.h"
#include "flash/sound/sound_engine.h"
#include "flash/sound/stream.h"
#include "flash/stage_layout.h"
#include "flash/swf_parser.h"

namespace flash {

class ControlModel {
public:
    ControlModel() = default;
    ~ControlModel();
    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;

    // The Movie property: the location as given, loaded at once. A location that does not
    // load keeps its text (as the property reads back) but leaves no movie: the timeline
    // calls then do nothing and report 0 frames.
    void SetMovie(const std::string& location, LoadResult loaded);
    const std::string& Movie() const { return location_; }
    bool HasMovie() const { return player_.has_value(); }
    const flash::Movie* Loaded() const { return player_ ? &player_->GetMovie() : nullptr; }
    // The movie being played, for drawing its display tree; null without a movie.
    const Player* Playing() const { return player_ ? &*player_ : nullptr; }
    // Counts SetMovie calls: a drawing made for one movie is never taken for another's.
    std::uint64_t MovieGeneration() const { return generation_; }

    long TotalFrames() const;
    long CurrentFrame() const;
    bool IsPlaying() const;
    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    void GotoFrame(long frame);
    // Advances a playing movie by the elapsed time at its frame rate, or as far as the audio
    // clock says while the main timeline's stream plays.
    void Tick(std::chrono::microseconds elapsed);

    // The movie's sound, for an output to render.
    sound::SoundEngine& Sound() { return engine_; }
    // The output's frames played so far (see the note at the top); empty: the timer alone.
    void SetAudioClock(std::function<std::uint64_t()> played) { audioClock_ = std::move(played); }
    // The timer interval that keeps up with the movie's frame rate (at least 10 ms).
    unsigned FrameIntervalMs() const;

    // The Scale property; an unknown text leaves the mode as it was and returns false.
    bool SetScale(const std::string& text);
    ScaleMode Scale() const { return scale_; }

    // The BGColor property, "RRGGBB"; an unreadable text is ignored and returns false.
    bool SetBackground(const std::string& rrggbb);
    std::string BackgroundText() const;
    // The colour the stage is painted in (0x00BBGGRR): BGColor when given, else the movie's
    // own, else white.
    std::uint32_t BackgroundColorref() const;

    // The stage's place in a window of this size; the whole window without a movie.
    PixelRect StageRect(int width, int height) const;

    // The buttons' hit test (null: none; then the mouse changes nothing). The finder outlives
    // the model, or is replaced before it goes.
    void SetButtonFinder(ButtonFinder* finder);
    // The mouse at window pixel (x, y) of a window of width x height, where the stage lies as
    // the scale mode places it, with its primary button `down`: the buttons under it react
    // and their actions run.
    void Mouse(int x, int y, int width, int height, bool down);
    // The mouse left the window (its button up): every button rolls out.
    void MouseLeft();
    // The mouse is over a button: the host shows the hand cursor.
    bool OverButton() const { return overButton_; }
    bool MouseDown() const { return mouseDown_; }

private:
    void Forget();
    // After anything that may have stopped a timeline.
    void Synced() {
        if (movieSound_) movieSound_->Sync();
    }
    // Steps the player as far as the main timeline's stream has been heard.
    void FollowStream();

    std::string location_;
    std::uint64_t generation_ = 0;
    // The engine outlives the player: streams read the movie's bytes until Forget().
    sound::SoundEngine engine_;
    std::optional<Player> player_;
    std::unique_ptr<MovieSound> movieSound_;
    std::function<std::uint64_t()> audioClock_;
    sound::StreamClock clock_;
    std::uint64_t clockStarts_ = 0;    // the root stream start the clock follows
    std::size_t stepsSinceStart_ = 0;  // frames stepped since then
    ScaleMode scale_ = ScaleMode::ShowAll;
    std::optional<std::uint32_t> background_;
    ButtonFinder* finder_ = nullptr;
    bool overButton_ = false;
    bool mouseDown_ = false;
};

}  // namespace flash
