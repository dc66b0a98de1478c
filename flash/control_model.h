// What the Flash control knows and does, apart from its window: the movie location, the
// loaded movie's player, the scale mode and the background colour. The control's dispatch
// calls map one to one onto these operations, so they run headless in tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "flash/stage_layout.h"
#include "flash/swf_parser.h"
#include "flash/player.h"

namespace flash {

class ControlModel {
public:
    // The Movie property: the location as given, loaded at once. A location that does not
    // load keeps its text (as the property reads back) but leaves no movie: the timeline
    // calls then do nothing and report 0 frames.
    void SetMovie(const std::string& location, LoadResult loaded);
    const std::string& Movie() const { return location_; }
    bool HasMovie() const { return player_.has_value(); }
    const flash::Movie* Loaded() const { return player_ ? &player_->GetMovie() : nullptr; }
    // The movie being played, for drawing its display tree; null without a movie.
    const Player* Playing() const { return player_ ? &*player_ : nullptr; }

    long TotalFrames() const;
    long CurrentFrame() const;
    bool IsPlaying() const;
    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    void GotoFrame(long frame);
    // Advances a playing movie by the elapsed time at its frame rate.
    void Tick(std::chrono::microseconds elapsed);
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

private:
    std::string location_;
    std::optional<Player> player_;
    ScaleMode scale_ = ScaleMode::ShowAll;
    std::optional<std::uint32_t> background_;
};

}  // namespace flash
