#include "flash/sound/wave_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace flash::sound {
namespace {

// The silent output looks at its clock this often (milliseconds); it mixes a buffer whenever
// the clock says one is due.
constexpr DWORD kSilentPollMs = 5;
// A stall of the silent output's clock longer than this counts as this long, as a device
// that ran dry would pause rather than race to catch up.
constexpr std::uint64_t kMaxSilentStepMicros = 250000;

void NoteSilentOnce(MMRESULT error) {
    static std::atomic<bool> noted{false};
    if (noted.exchange(true)) return;
    char text[160];
    std::snprintf(text, sizeof text,
                  "SWF engine: no audio device opened (waveOutOpen error %u); sound plays "
                  "silently\n",
                  static_cast<unsigned>(error));
    OutputDebugStringA(text);
}

std::uint64_t PerformanceMicros() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::uint64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                                      now.QuadPart % frequency.QuadPart * 1000000 /
                                          frequency.QuadPart);
}

// Names the calling thread where the system can (SetThreadDescription came with Windows 10).
void NameThisThread(const wchar_t* name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto set = reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set != nullptr) set(GetCurrentThread(), name);
}

}  // namespace

struct WaveOutput::State {
    RenderSource& source;
    Clock clock;
    HWAVEOUT wave = nullptr;
    HANDLE bufferDone = nullptr;  // signalled by the device for each finished buffer
    HANDLE stop = nullptr;        // manual reset: the thread ends
    std::vector<std::int16_t> memory;
    std::array<WAVEHDR, kBuffers> headers{};
    std::atomic<std::uint64_t> rendered{0};
    std::atomic<std::uint64_t> silentPlayed{0};
    // The device's sample position is 32 bits: the high part is counted here.
    mutable std::mutex positionMutex;
    mutable std::uint64_t lastPosition = 0;
    std::thread thread;
    std::atomic<DWORD> threadId{0};

    explicit State(RenderSource& s, Clock c) : source(s), clock(std::move(c)) {}

    void Fill(WAVEHDR& h) {
        source.Render(reinterpret_cast<std::int16_t*>(h.lpData), kBufferFrames);
        rendered.fetch_add(kBufferFrames);
    }

    void DeviceLoop() {
        NameThisThread(kThreadName);
        threadId = GetCurrentThreadId();
        for (WAVEHDR& h : headers) {
            Fill(h);
            waveOutWrite(wave, &h, sizeof h);
        }
        const HANDLE waits[2] = {stop, bufferDone};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            for (WAVEHDR& h : headers) {
                if (h.dwFlags & WHDR_DONE) {
                    Fill(h);
                    waveOutWrite(wave, &h, sizeof h);
                }
            }
        }
    }

    void SilentLoop() {
        NameThisThread(kThreadName);
        threadId = GetCurrentThreadId();
        std::vector<std::int16_t> scratch(2 * kBufferFrames);
        std::uint64_t last = clock();
        std::uint64_t playedMicros = 0;
        for (;;) {
            const std::uint64_t now = clock();
            playedMicros += now > last ? std::min(now - last, kMaxSilentStepMicros) : 0;
            last = now;
            const std::uint64_t played = playedMicros * kOutputRate / 1000000;
            while (rendered.load() + kBufferFrames <= played + kLeadFrames) {
                source.Render(scratch.data(), kBufferFrames);
                rendered.fetch_add(kBufferFrames);
            }
            silentPlayed.store(played);
            // Anything but a timeout ends the thread: the stop event, or a wait that fails
            // (no event could be made), which must not turn into a busy loop.
            if (WaitForSingleObject(stop, kSilentPollMs) != WAIT_TIMEOUT) return;
        }
    }

    std::uint64_t DevicePosition() const {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        std::lock_guard lock(positionMutex);
        if (waveOutGetPosition(wave, &time, sizeof time) != MMSYSERR_NOERROR) return lastPosition;
        std::uint64_t low = 0;
        if (time.wType == TIME_SAMPLES) {
            low = time.u.sample;
        } else if (time.wType == TIME_BYTES) {
            low = time.u.cb / 4;
        } else {
            return lastPosition;
        }
        // Extend to 64 bits: a position below the last one's low part has wrapped.
        std::uint64_t position = (lastPosition & ~std::uint64_t{0xFFFFFFFF}) | low;
        if (position < lastPosition) position += std::uint64_t{1} << 32;
        lastPosition = position;
        return position;
    }
};

WaveOutput::WaveOutput(RenderSource& source, unsigned device, Clock clock)
    : state_(std::make_unique<State>(source, clock ? std::move(clock) : Clock(PerformanceMicros))) {
    State& s = *state_;
    s.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kOutputRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kOutputRate * 4;
    MMRESULT error = waveOutOpen(&s.wave, device, &format,
                                 reinterpret_cast<DWORD_PTR>(s.bufferDone), 0, CALLBACK_EVENT);
    if (error == MMSYSERR_NOERROR) {
        s.memory.assign(kBuffers * kBufferFrames * 2, 0);
        for (std::size_t i = 0; i < kBuffers && error == MMSYSERR_NOERROR; ++i) {
            WAVEHDR& h = s.headers[i];
            h.lpData = reinterpret_cast<LPSTR>(s.memory.data() + i * kBufferFrames * 2);
            h.dwBufferLength = kBufferFrames * 4;
            error = waveOutPrepareHeader(s.wave, &h, sizeof h);
        }
        if (error != MMSYSERR_NOERROR) {
            for (WAVEHDR& h : s.headers) {
                if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(s.wave, &h, sizeof h);
            }
            waveOutClose(s.wave);
            s.wave = nullptr;
            s.memory.clear();
        }
    } else {
        s.wave = nullptr;
    }
    if (s.wave == nullptr) {
        NoteSilentOnce(error);
        s.thread = std::thread([&s] { s.SilentLoop(); });
    } else {
        s.thread = std::thread([&s] { s.DeviceLoop(); });
    }
}

WaveOutput::~WaveOutput() {
    State& s = *state_;
    SetEvent(s.stop);
    s.thread.join();
    if (s.wave != nullptr) {
        waveOutReset(s.wave);
        for (WAVEHDR& h : s.headers) waveOutUnprepareHeader(s.wave, &h, sizeof h);
        waveOutClose(s.wave);
    }
    CloseHandle(s.bufferDone);
    CloseHandle(s.stop);
}

bool WaveOutput::Silent() const {
    return state_->wave == nullptr;
}

unsigned long WaveOutput::FeedingThreadId() const {
    return state_->threadId.load();
}

std::uint64_t WaveOutput::PlayedFrames() const {
    const State& s = *state_;
    const std::uint64_t played = s.wave ? s.DevicePosition() : s.silentPlayed.load();
    return std::min(played, s.rendered.load());
}

std::uint64_t WaveOutput::RenderedFrames() const {
    return state_->rendered.load();
}

}  // namespace flash::sound
