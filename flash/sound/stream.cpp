#include "flash/sound/stream.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace flash::sound {
namespace {

// Silence is handed out from here, in runs of at most kZeroFrames frames.
constexpr std::size_t kZeroFrames = 4096;
constexpr std::int16_t kZeros[2 * kZeroFrames] = {};

}  // namespace

StreamSource::StreamSource(const StreamHead& head, std::vector<Bytes> blocks, std::size_t frame,
                           double frameRate)
    : head_(head), blocks_(std::move(blocks)), next_(frame), decoder_(MakeDecoder(head.stream)) {
    for (std::size_t i = blocks_.size(); i > 0; --i) {
        if (!blocks_[i - 1].empty()) {
            end_ = i;
            break;
        }
    }
    const double fps = frameRate > 0 ? frameRate : 12;
    silencePerFrame_ = head.samplesPerFrame > 0
                           ? head.samplesPerFrame
                           : static_cast<std::size_t>(head.stream.RateHz() / fps);
    playable_ = decoder_->Supported() && next_ < end_;
    // Room for a few frames' worth of samples, so that blocks decode without allocating.
    buffer_.reserve(2 * 4 * std::max<std::size_t>(silencePerFrame_, 1152));
}

std::span<const std::int16_t> StreamSource::NextRun() {
    for (;;) {
        if (silenceLeft_ > 0) {
            const std::size_t n = std::min(silenceLeft_, kZeroFrames);
            silenceLeft_ -= n;
            return {kZeros, n * Channels()};
        }
        if (next_ >= end_) return {};
        const Bytes body = blocks_[next_++];
        const bool starting = std::exchange(first_, false);
        if (body.empty()) {
            silenceLeft_ = silencePerFrame_;
            continue;
        }
        const std::optional<StreamBlock> block = ParseSoundStreamBlock(head_, body);
        if (!block) continue;
        buffer_.clear();
        const std::size_t frames = decoder_->Decode(block->data, buffer_, kMaxBlockFrames);
        std::size_t skip = 0;
        if (starting && head_.stream.codec == Codec::Mp3) {
            skip = std::min<std::size_t>(std::max<int>(0, block->seekSamples), frames);
        }
        if (frames > skip) {
            const unsigned channels = Channels();
            return {buffer_.data() + skip * channels, (frames - skip) * channels};
        }
    }
}

void StreamClock::Start(std::size_t frame, std::uint64_t startMix, double frameRate,
                        std::uint32_t outRate) {
    running_ = true;
    frame_ = frame;
    startMix_ = startMix;
    frameRate_ = frameRate > 0 ? frameRate : 12;
    outRate_ = outRate == 0 ? kOutputRate : outRate;
}

std::size_t StreamClock::FrameAt(std::uint64_t played) const {
    if (!running_ || played <= startMix_) return frame_;
    // Multiplied before dividing: a whole number of frames comes out whole.
    return frame_ + static_cast<std::size_t>(static_cast<double>(played - startMix_) * frameRate_ /
                                             outRate_);
}

}  // namespace flash::sound
