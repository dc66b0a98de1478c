// The sound output on Windows: 44.1 kHz 16-bit stereo through waveOut, fed by a thread of
// its own from a RenderSource (the movie's SoundEngine).
//
// The thread keeps kBuffers buffers of kBufferFrames frames queued, so what is heard lags
// what was mixed by at most their length: 93 ms. Without an audio device (none installed,
// none free, or Wine without one) the output plays silently: the thread still mixes in real
// time and the clock still runs, so movies that follow their sound keep their pace. That is
// logged once per process with OutputDebugStringA.
//
// Destroying the output stops the thread, resets and closes the device and frees the
// buffers before it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "flash/sound/sound_engine.h"

namespace flash::sound {

class WaveOutput {
public:
    static constexpr std::size_t kBufferFrames = 1024;  // 23 ms
    static constexpr std::size_t kBuffers = 4;
    static constexpr std::uint64_t kLeadFrames = kBufferFrames * kBuffers;
    static_assert(kLeadFrames * 1000 / kOutputRate < 150,
                  "the output's latency stays under 150 ms");
    // The system's preferred device (WAVE_MAPPER).
    static constexpr unsigned kDefaultDevice = 0xFFFFFFFFu;
    // The feeding thread's description, as debuggers and thread lists show it.
    static constexpr const wchar_t* kThreadName = L"SWF engine sound";

    // Microseconds of a steady clock: the time of the silent output. Empty means the
    // system's performance counter; tests give a clock they move themselves.
    using Clock = std::function<std::uint64_t()>;

    explicit WaveOutput(RenderSource& source, unsigned device = kDefaultDevice, Clock clock = {});
    ~WaveOutput();
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    // True when no device opened and the output plays silently.
    bool Silent() const;
    // The audio clock: frames played (heard) so far, never more than RenderedFrames().
    std::uint64_t PlayedFrames() const;
    // Frames taken from the source so far.
    std::uint64_t RenderedFrames() const;
    // The system's id of the feeding thread, 0 until it runs.
    unsigned long FeedingThreadId() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace flash::sound
