// A movie's sound, played as its timelines go: the movie's DefineSounds are given to the
// engine, the StartSound tags of every frame entered start or stop their sounds, and each
// timeline's stream (SoundStreamHead and a SoundStreamBlock per frame) plays in step with it.
//
// A timeline's stream plays while the timeline plays. It starts at the frame a playing
// timeline enters, when that frame or a later one has a block, and runs on while the timeline
// steps frame by frame; a jump (a goto, a loop back to the start, the control's Back, Forward,
// Rewind or GotoFrame) starts it again at the frame jumped to; a timeline that stops, or
// leaves the stage, stops it. A movie stopped on frame 9 and played again hears frame 10's
// first sample first, as it enters frame 10. Only the main timeline's stream sets the pace of
// the frames (ControlModel); a sprite's stream plays along with its sprite.
//
// StartSound2 names its sound by an ActionScript 3 class, which this engine does not run: it
// stays silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "flash/player.h"
#include "flash/sound/sound_engine.h"
#include "flash/sound/sound_tags.h"
#include "flash/swf_movie.h"

namespace flash {

class MovieSound final : public FrameSound {
public:
    // Defines the movie's sounds in `engine`. Both must outlive this object, and the engine
    // must be cleared before the movie goes away.
    MovieSound(const Movie& movie, sound::SoundEngine& engine);
    ~MovieSound();
    MovieSound(const MovieSound&) = delete;
    MovieSound& operator=(const MovieSound&) = delete;

    void FrameEntered(const Clip& clip, std::size_t frame, bool stepped) override;
    void ClipRemoved(const Clip& clip) override;
    void ButtonSound(std::span<const std::uint8_t> definition, int slot) override;
    // Stops the streams of timelines that no longer play (a stop action, the control's Stop):
    // to be called after anything that may have stopped one.
    void Sync();

    // The main timeline's stream, for the frame clock: active from its start until the
    // timeline stops or goes past its last block (it may have been mixed to its end before
    // then, and still be heard); the frame it started at, the output frame its first sample
    // is mixed as, and a count of its starts.
    struct RootStream {
        bool active = false;
        std::size_t frame = 0;
        std::uint64_t startMix = 0;
        std::uint64_t starts = 0;
    };
    RootStream Root() const;
    // The movie's frames per second (its fallback when it says 0).
    double FrameRate() const { return frameRate_; }

private:
    // A timeline's stream: its head and each frame's block (empty where a frame has none).
    struct StreamTags {
        std::optional<sound::StreamHead> head;
        std::vector<sound::Bytes> blocks;
        std::size_t end = 0;  // one past the last frame with a block
    };

    const std::vector<Frame>& FramesOf(const Clip& clip) const;
    const StreamTags& StreamOf(const std::vector<Frame>& frames);
    void StopStream(const Clip& clip);
    static sound::SoundEngine::StreamKey Key(const Clip& clip);

    const Movie& movie_;
    sound::SoundEngine& engine_;
    double frameRate_;
    // Read once per timeline that is entered, keyed by its frames.
    std::unordered_map<const std::vector<Frame>*, StreamTags> streamTags_;
    // The clips whose stream plays, with the frame they are on.
    std::unordered_map<const Clip*, std::size_t> streams_;
    const Clip* root_ = nullptr;
    RootStream rootStream_;
};

}  // namespace flash
