// Helpers shared by the sound tests: signals made at test time and what is measured on them.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/mixer.h"

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

}  // namespace soundtest
