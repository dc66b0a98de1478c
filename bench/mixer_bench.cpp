// Mixing 8 channels of 44.1 kHz stereo into 44.1 kHz stereo, in the output's buffers of 1024
// frames, against a plain copy of the same samples in the same run (8 copies of each buffer's
// frames). Target: at most 3 times the copy. Also shown, without a target: the same channels
// with envelopes, and at 22.05 kHz (resampled; against the copy of as many output frames).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/median.h"
#include "flash/sound/mixer.h"

namespace {

using flash::sound::Mixer;
using flash::sound::Pcm;
using flash::sound::SoundInfo;

constexpr int kChannels = 8;
constexpr std::size_t kBuffer = 1024;
constexpr std::size_t kSeconds = 10;

std::shared_ptr<const Pcm> Noise(std::uint32_t rate, unsigned seed) {
    auto pcm = std::make_shared<Pcm>();
    pcm->rate = rate;
    pcm->channels = 2;
    pcm->samples.resize(2 * rate * kSeconds);
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::int16_t& s : pcm->samples) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(x >> 20) - 2048;  // quiet enough that 8 do not clip
    }
    return pcm;
}

struct Timing {
    double ms;     // the work for the whole sound, the median of the rounds
    double ratio;  // the median of the pieces' ratios
};

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The sounds mixed a tenth of a second at a time, each tenth right after the plain copy of
// the same samples: on a shared machine both halves of a pair see the same load, and the
// median of many short pairs is steadier than one long timing of each.
Timing Against(const std::vector<std::shared_ptr<const Pcm>>& sounds,
               const std::vector<std::shared_ptr<const Pcm>>& copied, const SoundInfo& info,
               std::vector<std::int16_t>& out) {
    using Clock = std::chrono::steady_clock;
    constexpr std::size_t kPiece = 4410;
    std::vector<double> totals;
    std::vector<double> ratios;
    for (int round = 0; round < 9; ++round) {
        Mixer mixer;
        for (int c = 0; c < kChannels; ++c) mixer.Play(sounds[c], info, c);
        Clock::duration total{};
        for (std::size_t start = 0; start + kPiece <= 44100 * kSeconds; start += kPiece) {
            const auto t0 = Clock::now();
            for (std::size_t done = start; done < start + kPiece; done += kBuffer) {
                const std::size_t n = std::min(kBuffer, start + kPiece - done);
                for (int c = 0; c < kChannels; ++c) {
                    std::memcpy(out.data(), copied[c]->samples.data() + 2 * done, n * 4);
                }
            }
            const auto t1 = Clock::now();
            for (std::size_t done = start; done < start + kPiece; done += kBuffer) {
                mixer.Mix(out.data(), std::min(kBuffer, start + kPiece - done));
            }
            const auto t2 = Clock::now();
            total += t2 - t1;
            ratios.push_back(Ms(t2 - t1) / Ms(t1 - t0));
        }
        totals.push_back(Ms(total));
    }
    std::sort(totals.begin(), totals.end());
    std::sort(ratios.begin(), ratios.end());
    return {totals[totals.size() / 2], ratios[ratios.size() / 2]};
}

}  // namespace

int main() {
    // The copy reads its own copies of the samples: reading the mixer's would hand it the
    // samples warm in the cache.
    std::vector<std::shared_ptr<const Pcm>> sounds44;
    std::vector<std::shared_ptr<const Pcm>> sounds22;
    std::vector<std::shared_ptr<const Pcm>> copies44;
    for (int c = 0; c < kChannels; ++c) {
        sounds44.push_back(Noise(44100, c));
        sounds22.push_back(Noise(22050, c));
        copies44.push_back(Noise(44100, c));
    }
    std::vector<std::int16_t> out(2 * kBuffer);

    const auto copy = [&] {
        for (std::size_t done = 0; done + kBuffer <= 44100 * kSeconds; done += kBuffer) {
            for (int c = 0; c < kChannels; ++c) {
                std::memcpy(out.data(), sounds44[c]->samples.data() + 2 * done, kBuffer * 4);
            }
        }
    };
    SoundInfo shaped;
    shaped.envelope = {{0, 0, 32768}, {44100 * 5, 32768, 0}, {44100 * 10, 16384, 16384}};
    const Timing plain = Against(sounds44, copies44, SoundInfo{}, out);
    const Timing envelopes = Against(sounds44, copies44, shaped, out);
    const Timing resampled = Against(sounds22, copies44, SoundInfo{}, out);

    std::printf("8 channels, %zu s of 44.1 kHz stereo in buffers of %zu frames\n", kSeconds,
                kBuffer);
    std::printf("  plain copy:              %8.2f ms\n", MedianMs(9, copy));
    std::printf("  mix:                     %8.2f ms   ratio %.2f (target <= 3)\n", plain.ms,
                plain.ratio);
    std::printf("  mix with envelopes:      %8.2f ms   ratio %.2f\n", envelopes.ms,
                envelopes.ratio);
    std::printf("  mix from 22.05 kHz:      %8.2f ms   ratio %.2f\n", resampled.ms,
                resampled.ratio);
    std::printf("  last sample: %d\n", out[2 * kBuffer - 1]);  // keeps the work observable
    return plain.ratio <= 3 ? 0 : 1;
}
