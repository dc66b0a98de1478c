// The sounds of one movie: the sounds it defines, the event sounds playing, and the streams of
// its timelines, mixed for an output.
//
// Two threads meet here. The movie's thread defines, starts and stops sounds and streams; the
// output's thread calls Render. Only the mixer is shared, under a lock held for a start, a
// stop or one buffer's mixing; decoding an event sound happens on the movie's thread before
// the lock is taken, so a long MP3 never holds up the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/mixer.h"
#include "flash/sound/sound_tags.h"
#include "flash/sound/stream.h"

namespace flash::sound {

// What an output plays: the next frames of 16-bit stereo at the output rate.
class RenderSource {
public:
    virtual void Render(std::int16_t* out, std::size_t frames) = 0;

protected:
    ~RenderSource() = default;
};

class SoundEngine final : public RenderSource {
public:
    // Any value that names a timeline, such as its address.
    using StreamKey = std::uint64_t;
    // Decoded event sounds kept at once: 2^28 samples (512 MiB). Past it, decoded sounds that
    // are not playing are let go (and decoded again when next started); a sound that still
    // does not fit plays as much of its beginning as fits.
    static constexpr std::size_t kMaxDecodedSamples = std::size_t{1} << 28;

    explicit SoundEngine(std::uint32_t outRate = kOutputRate,
                         std::size_t maxDecodedSamples = kMaxDecodedSamples);
    ~SoundEngine();
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    // A DefineSound. Its data must stay alive until Clear (it points into the movie); it is
    // decoded when the sound is first started. A later definition of the id replaces it.
    void Define(const DefineSound& sound);
    // A StartSound: stops every instance of the sound when `info.stop`; otherwise starts it,
    // unless `info.noMultiple` and it is playing. Unknown ids and sounds that decode to
    // nothing stay silent.
    void Start(std::uint16_t id, const SoundInfo& info);
    bool IsPlaying(std::uint16_t id) const;

    // Plays a timeline's stream from `frame` (see StreamSource), replacing the stream the key
    // had. False when nothing would play.
    bool StartStream(StreamKey key, const StreamHead& head, std::vector<Bytes> blocks,
                     std::size_t frame, double frameRate);
    void StopStream(StreamKey key);
    // True while the stream has sound left to mix.
    bool StreamPlaying(StreamKey key) const;
    // The output frame that the stream's first sample is mixed as (for StreamClock).
    std::uint64_t StreamStart(StreamKey key) const;

    // Stops every sound and stream: a movie that stops being shown.
    void StopAll();
    // Stops everything and forgets every definition: before the movie's bytes go away.
    void Clear();

    std::size_t ActiveChannels() const;
    std::size_t Streams() const { return streams_.size(); }
    // Samples of decoded event sounds held.
    std::size_t DecodedSamples() const { return decodedSamples_; }

    void Render(std::int16_t* out, std::size_t frames) override;
    std::uint64_t MixedFrames() const;

private:
    struct Sound {
        DefineSound definition;
        std::shared_ptr<const Pcm> pcm;
    };
    struct Stream {
        std::unique_ptr<StreamSource> source;
        std::uint32_t tag = 0;
        std::uint64_t startMix = 0;
    };

    std::shared_ptr<const Pcm> Decoded(std::uint16_t id, Sound& sound);
    void Forget(std::uint16_t id, Sound& sound);

    mutable std::mutex mutex_;  // guards mixer_
    Mixer mixer_;
    std::size_t maxDecodedSamples_;
    // The movie's thread's own: the mixer holds pointers to the stream sources, so a source
    // is destroyed only after its channel was stopped under the lock.
    std::unordered_map<std::uint16_t, Sound> sounds_;
    std::unordered_map<StreamKey, Stream> streams_;
    std::uint32_t nextStreamTag_ = 0x10000;  // above every sound id
    std::size_t decodedSamples_ = 0;
};

}  // namespace flash::sound
