// The root timeline of a loaded movie: current frame, playing flag, and the frame actions,
// advanced by Tick at the movie's frame rate. No clock and no window: the control feeds it
// timer ticks, tests feed it exact intervals.
//
// Order of execution: entering a frame runs its DoAction blocks in tag order. A goto inside
// an action moves the timeline at once; the actions of the frame it lands on run after the
// running block (and any blocks already queued) finish, in the same step. A goto to the frame
// the timeline is already on changes nothing and runs nothing.
//
// The root timeline loops at its end while looping is on (the default); a one-frame movie
// never re-enters its frame, so its actions run once. A step that runs away (gotos chasing
// each other between frames) is cut off after kMaxActionsPerStep actions, as a player would
// stop a script that hangs.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "flash/swf_movie.h"

namespace flash {

// Receives the text of each Trace action, exactly as the movie produced it.
class TraceSink {
public:
    virtual void Trace(std::string_view text) = 0;

protected:
    ~TraceSink() = default;
};

class Timeline {
public:
    static constexpr std::size_t kMaxActionsPerStep = 100000;
    static constexpr std::size_t kMaxStack = 65536;
    // Frames one Tick may advance; time beyond that is dropped, so a long stall of the host
    // does not make the movie race through frames afterwards.
    static constexpr int kMaxStepsPerTick = 120;
    // A frame rate of 0 is played at this rate (8.8 fixed point: 12 fps).
    static constexpr std::uint16_t kZeroRateFallback88 = 12 * 256;

    // The movie is playing on frame 0, whose actions run at the first StepFrame or Tick.
    explicit Timeline(Movie movie, TraceSink* trace = nullptr);

    const Movie& GetMovie() const { return movie_; }
    std::size_t TotalFrames() const { return movie_.frames.size(); }
    std::size_t CurrentFrame() const { return current_; }
    bool IsPlaying() const { return playing_; }
    bool Looping() const { return loop_; }
    void SetLooping(bool loop) { loop_ = loop; }

    // One frame interval: the first one enters frame 0; later ones move a playing movie to
    // its next frame (frame 0 after the last while looping, else it stops on the last).
    void StepFrame();
    // Advances by `elapsed` at the movie's frame rate; the first call enters frame 0 at once.
    void Tick(std::chrono::microseconds elapsed);

    void Play() { playing_ = true; }
    void Stop() { playing_ = false; }
    // The navigation commands leave the movie stopped on the new frame (the new frame's
    // actions may start it again). Back on the first and Forward on the last frame only stop.
    void Back();
    void Forward();
    void Rewind();
    // Frames past the last go to the last; negative frames go to frame 0.
    void GotoFrame(std::int64_t frame);

private:
    struct Value {
        enum class Kind : std::uint8_t { Undefined, Null, Boolean, Number, String };
        Kind kind = Kind::Undefined;
        double number = 0;
        std::string_view text;  // into the movie's bytes
    };

    void Enter(std::size_t frame);  // move to `frame` and queue its actions
    void RunQueued();
    void RunBlock(ByteRange block);
    void Push(const Value& v);
    Value Pop();
    bool FindLabel(std::string_view label, std::size_t& frame) const;
    void GotoFrame2(bool play, std::uint16_t bias);
    void TraceValue(const Value& v);

    Movie movie_;
    TraceSink* trace_;
    std::size_t current_ = 0;
    bool playing_ = true;
    bool loop_ = true;
    bool entered_ = false;
    std::uint64_t timeCredit_ = 0;  // microseconds x frame rate (8.8) not yet spent on frames
    std::size_t actionsThisStep_ = 0;
    std::vector<std::uint32_t> queue_;  // frames whose actions wait to run
    std::vector<Value> stack_;          // shared by all frames, as in the player
    std::vector<std::string_view> constants_;
};

}  // namespace flash
