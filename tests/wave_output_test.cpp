// The waveOut output under Wine. The silent output (no device: Wine often has none, and a
// device id that does not exist forces it) runs on a clock the tests move themselves; the
// default device is whichever the prefix has, real or silent, and the tests check what holds
// for both: the clock never runs ahead of the mixing, the lead stays under 150 ms, and nothing
// is left behind. The tests wait for the output's thread to do what it must, with a deadline
// that only a broken output reaches.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iostream>
#include <set>

#include "flash/sound/sound_engine.h"
#include "flash/sound/wave_output.h"
#include "tests/process_threads.h"
#include "tools/sound_writer.h"

namespace {

using namespace flash::sound;

constexpr unsigned kNoSuchDevice = 0x7FFF;

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C: a handler installed before any test sees
// every message of the program.
std::atomic<int> g_silentNotes{0};

LONG CALLBACK SeeDebugText(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
        const char* text = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
        if (text != nullptr && std::strstr(text, "no audio device") != nullptr) ++g_silentNotes;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

const bool g_watching = AddVectoredExceptionHandler(1, SeeDebugText) != nullptr;

class CountingSource final : public RenderSource {
public:
    void Render(std::int16_t* out, std::size_t frames) override {
        std::memset(out, 0, frames * 4);
        rendered += frames;
    }
    std::atomic<std::uint64_t> rendered{0};
};

class SimulatedClock {
public:
    WaveOutput::Clock Fn() {
        return [this] { return micros.load(); };
    }
    std::atomic<std::uint64_t> micros{1000000};
};

using testsupport::ThreadsOfThisProcess;
using testsupport::WaitFor;

TEST(WaveOutput, SilentOutputKeepsTimeOnItsClockAndLogsOnce) {
    ASSERT_TRUE(g_watching);
    CountingSource source;
    SimulatedClock clock;
    WaveOutput out(source, kNoSuchDevice, clock.Fn());
    ASSERT_TRUE(out.Silent());
    // At the start it mixes the lead a device would queue, and nothing is heard yet.
    ASSERT_TRUE(WaitFor([&] { return out.RenderedFrames() == WaveOutput::kLeadFrames; }));
    EXPECT_EQ(out.PlayedFrames(), 0u);
    // A second of steps of 100 ms: exactly a second is played, and the lead kept.
    for (std::uint64_t step = 1; step <= 10; ++step) {
        clock.micros += 100000;
        ASSERT_TRUE(WaitFor([&] { return out.PlayedFrames() == step * 4410; })) << step;
        ASSERT_TRUE(WaitFor([&] {
            return out.RenderedFrames() == (step * 4410 + WaveOutput::kLeadFrames) /
                                               WaveOutput::kBufferFrames *
                                               WaveOutput::kBufferFrames;
        }));
        EXPECT_LT((out.RenderedFrames() - out.PlayedFrames()) * 1000 / kOutputRate, 150u);
    }
    // A stall of 10 s counts as a quarter of a second, as a device that ran dry pauses.
    clock.micros += 10000000;
    ASSERT_TRUE(WaitFor([&] { return out.PlayedFrames() == 44100u + 11025u; }));
    EXPECT_EQ(source.rendered.load(), out.RenderedFrames());
    // The absence of a device is told once per program, however many outputs find none.
    { WaveOutput again(source, kNoSuchDevice, clock.Fn()); }
    EXPECT_EQ(g_silentNotes.load(), 1);
}

TEST(WaveOutput, DefaultDevicePlaysAndLeavesNoThreadBehind) {
    for (int round = 0; round < 3; ++round) {
        CountingSource source;
        DWORD feeding = 0;
        {
            WaveOutput out(source);
            if (round == 0) std::cout << (out.Silent() ? "silent output\n" : "device output\n");
            std::uint64_t lastPlayed = 0;
            ASSERT_TRUE(WaitFor([&] {
                const std::uint64_t played = out.PlayedFrames();
                const std::uint64_t rendered = out.RenderedFrames();
                EXPECT_GE(played, lastPlayed);
                EXPECT_LE(played, rendered);
                lastPlayed = played;
                return played > 3 * WaveOutput::kLeadFrames;
            }));
            feeding = out.FeedingThreadId();
            EXPECT_TRUE(ThreadsOfThisProcess().contains(feeding));
        }
        // The feeding thread is gone once the output is destroyed. (The system's own audio
        // threads, started with the first output, stay for the program and are not counted.)
        EXPECT_TRUE(WaitFor([&] { return !ThreadsOfThisProcess().contains(feeding); })) << round;
    }
}

// A movie's sounds through the output: the engine mixes on the output's thread while sounds
// start; a new movie (Clear) leaves no sound, stream or decoded sample behind, and the output
// goes on with silence.
TEST(WaveOutput, EngineMixesOnTheOutputThreadAndClearsForANewMovie) {
    const std::vector<std::int16_t> tone(22050, 5000);
    const auto data = swfwriter::Pcm16Bytes(tone);
    DefineSound sound;
    sound.id = 3;
    sound.format.codec = Codec::PcmLittle;
    sound.format.rateCode = 2;  // half a second at 22.05 kHz
    sound.sampleCount = 22050;
    sound.data = data;

    SoundEngine engine;
    SimulatedClock clock;
    WaveOutput out(engine, kNoSuchDevice, clock.Fn());
    // The thread has read its clock once it mixed the lead: only then does moving it count.
    ASSERT_TRUE(WaitFor([&] { return out.RenderedFrames() == WaveOutput::kLeadFrames; }));
    engine.Define(sound);
    engine.Start(3, {});
    engine.Start(3, {});
    EXPECT_TRUE(engine.IsPlaying(3));
    for (int step = 0; step < 3; ++step) {
        clock.micros += 100000;
        ASSERT_TRUE(WaitFor([&] { return out.PlayedFrames() == (step + 1) * 4410u; }));
    }
    EXPECT_EQ(engine.ActiveChannels(), 2u);
    engine.Clear();
    EXPECT_EQ(engine.ActiveChannels(), 0u);
    EXPECT_EQ(engine.DecodedSamples(), 0u);
    EXPECT_EQ(engine.Streams(), 0u);
    clock.micros += 100000;
    ASSERT_TRUE(WaitFor([&] { return out.PlayedFrames() == 4u * 4410u; }));
    // The engine mixed exactly what the output took: the stream clock's two counts agree.
    EXPECT_TRUE(WaitFor([&] { return engine.MixedFrames() == out.RenderedFrames(); }));
}

}  // namespace
