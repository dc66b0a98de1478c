// Helpers shared by the sound tests: signals made at test time and what is measured on them.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/mixer.h"
#include "flash/sound/sound_engine.h"

namespace soundtest {

inline constexpr double kPi = 3.14159265358979323846;

// `frames` frames of a sine of `hz` at `rate`, one channel, at amplitude `level`.
inline std::vector<std::int16_t> Sine(double hz, std::uint32_t rate, std::size_t frames,
                                      double level = 16000) {
    std::vector<std::int16_t> s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        s[i] = static_cast<std::int16_t>(
            std::lround(level * std::sin(2 * kPi * hz * static_cast<double>(i) / rate)));
    }
    return s;
}

// Rising zero crossings of one channel of interleaved samples: a tone's frequency times the
// time it lasts. A crossing counts when the signal rises from below -band to band or more,
// so that the codecs' near-silence (a sample or two either side of 0) counts for nothing.
inline std::size_t RisingCrossings(std::span<const std::int16_t> samples, unsigned channels = 1,
                                   unsigned channel = 0, int band = 1000) {
    std::size_t n = 0;
    bool low = false;
    for (std::size_t i = channel; i < samples.size(); i += channels) {
        if (samples[i] < -band) {
            low = true;
        } else if (low && samples[i] >= band) {
            low = false;
            ++n;
        }
    }
    return n;
}

inline std::shared_ptr<const flash::sound::Pcm> MakePcm(std::vector<std::int16_t> samples,
                                                        std::uint32_t rate = 44100,
                                                        unsigned channels = 1) {
    auto pcm = std::make_shared<flash::sound::Pcm>();
    pcm->rate = rate;
    pcm->channels = channels;
    pcm->samples = std::move(samples);
    return pcm;
}

// The next `frames` frames of the mixer (or anything with Mix/Render of that shape), as
// interleaved stereo.
template <typename Source>
std::vector<std::int16_t> Mixed(Source& source, std::size_t frames) {
    std::vector<std::int16_t> out(2 * frames);
    if constexpr (requires { source.Mix(out.data(), frames); }) {
        source.Mix(out.data(), frames);
    } else {
        source.Render(out.data(), frames);
    }
    return out;
}

// One channel of interleaved stereo.
inline std::vector<std::int16_t> Side(std::span<const std::int16_t> stereo, unsigned side) {
    std::vector<std::int16_t> out;
    for (std::size_t i = side; i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
}

// A stand-in for the sound device on simulated time: what it has played is the audio clock,
// and it keeps the lead of mixed frames over it that the real output keeps.
class SimulatedDevice {
public:
    explicit SimulatedDevice(flash::sound::SoundEngine& engine) : engine_(engine) {}

    // The audio clock moves on by `frames` played frames.
    void Play(std::uint64_t frames) {
        played_ += frames;
        while (mixed_.size() / 2 < played_ + kLead) {
            const std::vector<std::int16_t> part = Mixed(engine_, 1024);
            mixed_.insert(mixed_.end(), part.begin(), part.end());
        }
    }
    std::uint64_t Played() const { return played_; }
    // The sample being heard now (left side).
    std::int16_t Heard() const { return played_ == 0 ? 0 : mixed_[2 * (played_ - 1)]; }
    // The left side of what was mixed from output frame `from` on.
    std::vector<std::int16_t> MixedFrom(std::uint64_t from) const {
        std::vector<std::int16_t> left;
        for (std::size_t i = 2 * from; i < mixed_.size(); i += 2) left.push_back(mixed_[i]);
        return left;
    }

private:
    static constexpr std::uint64_t kLead = 4096;
    flash::sound::SoundEngine& engine_;
    std::uint64_t played_ = 0;
    std::vector<std::int16_t> mixed_;
};

}  // namespace soundtest
