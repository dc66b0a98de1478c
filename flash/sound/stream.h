// Streaming sound: a timeline's SoundStreamBlocks played as one sound, and the clock that
// keeps the timeline in step with it.
//
// Each frame of a timeline with a stream holds the block of sound that plays during that
// frame. The source reads the blocks ahead of the timeline (the movie is in memory), so the
// sound never waits for the frames to be drawn; the timeline instead follows the sound: the
// frame shown is the one whose sound is being heard, and frames that drawing could not keep
// up with are dropped (their tags run, they are not drawn).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/mixer.h"
#include "flash/sound/sound_tags.h"

namespace flash::sound {

// The most frames one block may decode to (23.8 s at 44.1 kHz): a block belongs to one frame.
inline constexpr std::size_t kMaxBlockFrames = std::size_t{1} << 20;

class StreamSource final : public FrameSource {
public:
    // `blocks[i]` is the body of frame i's SoundStreamBlock, empty where the frame has none;
    // playing starts with frame `frame`. A frame without a block in the middle of the stream
    // plays the head's samples per frame (or one frame's time) of silence; the stream ends
    // after the last frame that has a block. For MP3 the first block's seek samples are
    // skipped, so the sound starts at the first sample of `frame`.
    StreamSource(const StreamHead& head, std::vector<Bytes> blocks, std::size_t frame,
                 double frameRate);

    // False when nothing would play: no block from `frame` on, or a codec this engine does
    // not decode.
    bool Playable() const { return playable_; }

    std::span<const std::int16_t> NextRun() override;
    std::uint32_t Rate() const override { return decoder_->Rate(); }
    unsigned Channels() const override { return decoder_->Channels(); }

private:
    StreamHead head_;
    std::vector<Bytes> blocks_;
    std::size_t next_;
    std::size_t end_ = 0;  // one past the last frame with a block
    std::size_t silencePerFrame_;
    std::size_t silenceLeft_ = 0;
    bool first_ = true;
    bool playable_ = false;
    std::unique_ptr<Decoder> decoder_;
    std::vector<std::int16_t> buffer_;
};

// Which frame a timeline plays while its stream is heard. The stream's first sample (the
// start of frame `frame`) is mixed as output frame `startMix`; the output's clock says how
// many output frames have been played. Until the stream is heard the timeline waits on its
// first frame.
class StreamClock {
public:
    void Start(std::size_t frame, std::uint64_t startMix, double frameRate,
               std::uint32_t outRate = kOutputRate);
    void Stop() { running_ = false; }
    bool Running() const { return running_; }

    std::size_t FrameAt(std::uint64_t played) const;

private:
    bool running_ = false;
    std::size_t frame_ = 0;
    std::uint64_t startMix_ = 0;
    double frameRate_ = 12;
    std::uint32_t outRate_ = kOutputRate;
};

}  // namespace flash::sound
