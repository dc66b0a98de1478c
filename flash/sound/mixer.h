// The mixer: up to kMaxChannels sounds at once, each resampled to the output rate with its
// volume envelope, in and out points and loops, summed into 16-bit stereo. Pure and
// single-threaded: the engine (sound_engine.h) serialises the calls.
//
// Mixing allocates and frees nothing. The channels are fixed slots; a channel that ends keeps
// its reference to the decoded sound until its slot is reused or the sounds are stopped, so
// that no sound is ever freed on the thread that mixes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/sound_tags.h"

namespace flash::sound {

inline constexpr std::uint32_t kOutputRate = 44100;

// Frames that are produced while they play (a stream): runs of 16-bit frames.
class FrameSource {
public:
    // The next run of frames, interleaved when Channels() is 2; empty at the end. A run stays
    // valid until the next call. Rate() and Channels() describe the run just returned.
    virtual std::span<const std::int16_t> NextRun() = 0;
    virtual std::uint32_t Rate() const = 0;
    virtual unsigned Channels() const = 0;

protected:
    ~FrameSource() = default;
};

// Where an event sound plays from and to, in its own frames, and how often.
struct PlayRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    unsigned plays = 1;
};

// The in and out points (44.1 kHz samples) of `info` in the frames of a sound of `frames`
// frames at `rate`: the out point is cut to the sound's end; an empty range plays nothing.
PlayRange RangeOf(const SoundInfo& info, std::uint32_t rate, std::size_t frames);

// The levels (0 to kFullLevel) of an envelope at a position in 44.1 kHz samples: straight
// lines between the points, the first point's levels before it and the last one's after it,
// and full level without points. Levels above full are taken as full.
struct Levels {
    std::int32_t left = kFullLevel;
    std::int32_t right = kFullLevel;
};
Levels EnvelopeAt(std::span<const EnvelopePoint> envelope, std::uint64_t pos44);

class Mixer {
public:
    static constexpr std::size_t kMaxChannels = 32;
    // The mixing block: output is produced in pieces of at most this many frames.
    static constexpr std::size_t kBlockFrames = 1024;
    // Envelope levels are worked out every this many output frames of a channel and ramped
    // in between; the envelope's clock is the time the channel has played, so the levels do
    // not depend on the source's rate or on how the output is cut into buffers.
    static constexpr std::size_t kLevelStep = 64;

    explicit Mixer(std::uint32_t outRate = kOutputRate);

    // Starts an event sound; `tag` names it for Stop and IsPlaying. False when nothing would
    // play (an empty sound or range) or every channel is busy: the sound is then not heard.
    bool Play(std::shared_ptr<const Pcm> pcm, const SoundInfo& info, std::uint32_t tag);
    // Starts a stream. The source must stay alive until the channel is stopped.
    bool PlayStream(FrameSource& source, std::uint32_t tag);
    // Stops every channel with the tag, and lets go of their sounds and sources.
    void Stop(std::uint32_t tag);
    void StopAll();
    bool IsPlaying(std::uint32_t tag) const;
    std::size_t ActiveChannels() const;

    // Mixes the next `frames` frames of 16-bit stereo (left, right) into `out`.
    void Mix(std::int16_t* out, std::size_t frames);
    // Frames mixed since the mixer was made: the output's position of the next frame.
    std::uint64_t MixedFrames() const { return mixed_; }
    std::uint32_t OutputRate() const { return outRate_; }

private:
    struct Channel {
        bool active = false;
        bool started = false;
        bool ending = false;  // the source has no frame after the one last taken
        std::uint32_t tag = 0;
        std::shared_ptr<const Pcm> pcm;  // event sounds
        FrameSource* stream = nullptr;   // streams
        std::uint32_t rate = 0;
        unsigned channels = 1;
        const std::int16_t* run = nullptr;
        std::size_t runFrames = 0;
        std::size_t runPos = 0;
        unsigned playsLeft = 0;  // plays after the current one
        // Resampling: source frames per output frame (32.32 fixed point), the place between
        // the frame last taken (a) and the next one, in the same units.
        std::uint64_t step = 0;
        std::uint64_t frac = 0;
        std::int32_t aLeft = 0;
        std::int32_t aRight = 0;
        // The envelope's clock: the in point, and the output frames played since the start.
        std::uint64_t in44 = 0;
        std::uint64_t played = 0;
        std::vector<EnvelopePoint> envelope;
    };

    bool Refill(Channel& c);
    bool Begin(Channel& c);
    void MixChannel(Channel& c, std::int32_t* acc, std::size_t frames);
    // Both mix up to `frames` frames with levels ramped from `a` to `b` across a
    // kLevelStep cell, of which the piece starts at `cellPos`; they return the frames made.
    std::size_t CopyPiece(Channel& c, std::int32_t* acc, std::size_t frames, Levels a, Levels b,
                          std::size_t cellPos);
    std::size_t ResamplePiece(Channel& c, std::int32_t* acc, std::size_t frames, Levels a, Levels b,
                              std::size_t cellPos);
    Levels LevelsAt(const Channel& c, std::uint64_t played) const;
    Channel* FreeSlot();

    std::uint32_t outRate_;
    std::uint64_t mixed_ = 0;
    std::array<Channel, kMaxChannels> channels_;
    std::array<std::int32_t, 2 * kBlockFrames> acc_{};
};

}  // namespace flash::sound
