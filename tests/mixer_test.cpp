// The mixer (envelopes, loops, in and out points, resampling, saturation), the engine's rules
// for starting and stopping sounds, streams, and the clock that keeps a timeline with the
// sound it plays, all on simulated audio time.
#include <gtest/gtest.h>

#include "flash/sound/mixer.h"
#include "flash/sound/sound_engine.h"
#include "flash/sound/stream.h"
#include "tools/allocation_count.h"
#include "tests/sound_fixture.h"
#include "tools/sound_writer.h"

namespace {

using namespace flash::sound;
using soundtest::MakePcm;
using soundtest::Mixed;
using soundtest::Side;
using Samples = std::vector<std::int16_t>;

SoundInfo Info(std::optional<std::uint32_t> in = {}, std::optional<std::uint32_t> out = {},
               std::uint16_t loops = 1, std::vector<EnvelopePoint> envelope = {}) {
    SoundInfo i;
    i.inPoint = in;
    i.outPoint = out;
    i.loops = loops;
    i.envelope = std::move(envelope);
    return i;
}

// ---- Mixer ----------------------------------------------------------------------------------

TEST(Mixer, PlaysRangesAndLoopsSampleForSample) {
    const Samples ramp = {1000, 2000, 3000, 4000, 5000, 6000};
    struct Case {
        const char* name;
        SoundInfo info;
        Samples expected;  // then silence
    } cases[] = {
        {"whole", Info(), ramp},
        {"three plays",
         Info({}, {}, 3),
         {1000, 2000, 3000, 4000, 5000, 6000, 1000, 2000, 3000, 4000, 5000, 6000, 1000, 2000, 3000,
          4000, 5000, 6000}},
        {"loop count 0 plays once", Info({}, {}, 0), ramp},
        {"in and out", Info(2, 5), {3000, 4000, 5000}},
        {"in, out and loops", Info(1, 3, 2), {2000, 3000, 2000, 3000}},
        {"out past the end", Info(4, 1000), {5000, 6000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mixer mixer;
        ASSERT_TRUE(mixer.Play(MakePcm(ramp), c.info, 1));
        Samples expected = c.expected;
        expected.resize(expected.size() + 3, 0);
        const Samples out = Mixed(mixer, expected.size());
        EXPECT_EQ(Side(out, 0), expected);
        EXPECT_EQ(Side(out, 1), expected);
        EXPECT_FALSE(mixer.IsPlaying(1));
    }
    // Ranges that hold nothing do not start.
    Mixer mixer;
    EXPECT_FALSE(mixer.Play(MakePcm(ramp), Info(6), 1));
    EXPECT_FALSE(mixer.Play(MakePcm(ramp), Info(4, 2), 1));
    EXPECT_FALSE(mixer.Play(MakePcm({}), Info(), 1));
    EXPECT_EQ(mixer.ActiveChannels(), 0u);
}

TEST(Mixer, InAndOutPointsCountInFortyFourKilohertzSamples) {
    // At 11025 Hz a source frame is 4 samples of 44.1 kHz: in 8 is frame 2, out 20 is frame 5.
    const PlayRange r = RangeOf(Info(8, 20), 11025, 100);
    EXPECT_EQ(r.begin, 2u);
    EXPECT_EQ(r.end, 5u);
    const PlayRange cut = RangeOf(Info(8, 1u << 31, 4), 5512, 10);
    EXPECT_EQ(cut.begin, 1u);
    EXPECT_EQ(cut.end, 10u);
    EXPECT_EQ(cut.plays, 4u);
}

TEST(Mixer, EnvelopesShapeEachSide) {
    const std::vector<EnvelopePoint> fade = {{1000, 0, 32768}, {3000, 32768, 0}};
    struct Case {
        std::uint64_t pos;
        std::int32_t left, right;
    } cases[] = {{0, 0, 32768},       {1000, 0, 32768}, {1005, 81, 32687}, {2000, 16384, 16384},
                 {2500, 24576, 8192}, {3000, 32768, 0}, {100000, 32768, 0}};
    for (const Case& c : cases) {
        const Levels l = EnvelopeAt(fade, c.pos);
        EXPECT_EQ(l.left, c.left) << c.pos;
        EXPECT_EQ(l.right, c.right) << c.pos;
    }
    // Levels above full are full; no points is full.
    EXPECT_EQ(EnvelopeAt(std::vector<EnvelopePoint>{{0, 65535, 40000}}, 5).left, kFullLevel);
    EXPECT_EQ(EnvelopeAt({}, 5).right, kFullLevel);

    // Mixed: a constant 20000 under the fade, sampled where the envelope is exact.
    Mixer mixer;
    ASSERT_TRUE(mixer.Play(MakePcm(Samples(4000, 20000)), Info({}, {}, 1, fade), 1));
    const Samples out = Mixed(mixer, 4000);
    EXPECT_EQ(out[2 * 500], 0);
    EXPECT_EQ(out[2 * 500 + 1], 20000);
    EXPECT_NEAR(out[2 * 2000], 10000, 200);
    EXPECT_NEAR(out[2 * 2000 + 1], 10000, 200);
    EXPECT_EQ(out[2 * 3500], 20000);
    EXPECT_EQ(out[2 * 3500 + 1], 0);
}

TEST(Mixer, EnvelopeTimeRunsOnAcrossLoopsFromTheInPoint) {
    // 100 frames played twice from in point 50: the envelope's clock runs 50..150, 150..250;
    // it cuts to silence at 150, so the second play is silent.
    const std::vector<EnvelopePoint> cut = {{149, 32768, 32768}, {150, 0, 0}};
    Mixer mixer;
    ASSERT_TRUE(mixer.Play(MakePcm(Samples(150, 10000)), Info(50, {}, 2, cut), 1));
    const Samples left = Side(Mixed(mixer, 200), 0);
    EXPECT_EQ(left[10], 10000);
    EXPECT_EQ(left[150], 0);
    EXPECT_EQ(left[199], 0);
}

TEST(Mixer, ResamplesToTheOutputRate) {
    // One second of 441 Hz at each rate: 44100 output frames with 441 rising crossings.
    for (std::uint32_t rate : {5512u, 11025u, 22050u, 48000u}) {
        SCOPED_TRACE(rate);
        Mixer mixer;
        ASSERT_TRUE(mixer.Play(MakePcm(soundtest::Sine(441, rate, rate), rate), Info(), 1));
        const Samples out = Mixed(mixer, 44100 + 100);
        const Samples left = Side(out, 0);
        const std::size_t crossings = soundtest::RisingCrossings(left);
        EXPECT_NEAR(static_cast<double>(crossings), 441, 2);
        // The sound ends within a source frame of one second.
        std::size_t last = left.size();
        while (last > 0 && left[last - 1] == 0) --last;
        EXPECT_NEAR(static_cast<double>(last), 44100, 44100.0 / rate + 1);
        EXPECT_FALSE(mixer.IsPlaying(1));
    }
}

TEST(Mixer, StereoSourcesKeepTheirSidesAndSumsSaturate) {
    Mixer mixer;
    ASSERT_TRUE(mixer.Play(MakePcm({30000, -30000, 30000, -30000}, 44100, 2), Info(), 1));
    ASSERT_TRUE(mixer.Play(MakePcm({30000, -30000, 30000, -30000}, 44100, 2), Info(), 2));
    ASSERT_TRUE(mixer.Play(MakePcm({100, 100}, 44100, 1), Info(), 3));
    const Samples out = Mixed(mixer, 3);
    EXPECT_EQ(out, (Samples{32767, -32768, 32767, -32768, 0, 0}));
}

TEST(Mixer, ChannelsAreLimitedAndStoppedByTag) {
    Mixer mixer;
    const auto pcm = MakePcm(Samples(1000, 1));
    for (std::size_t i = 0; i < Mixer::kMaxChannels; ++i) {
        ASSERT_TRUE(mixer.Play(pcm, Info(), static_cast<std::uint32_t>(i % 3)));
    }
    EXPECT_FALSE(mixer.Play(pcm, Info(), 9));
    mixer.Stop(1);
    EXPECT_FALSE(mixer.IsPlaying(1));
    EXPECT_TRUE(mixer.IsPlaying(0));
    EXPECT_EQ(mixer.ActiveChannels(), 21u);  // 11 of the 32 had tag 1
    EXPECT_TRUE(mixer.Play(pcm, Info(), 9));
    mixer.StopAll();
    EXPECT_EQ(mixer.ActiveChannels(), 0u);
    // The slots let go of the sound: only the test holds it now.
    EXPECT_EQ(pcm.use_count(), 1);
}

// The same sounds mixed in pieces of any size give the same output: nothing is lost or
// doubled where a piece, a run, a loop or an envelope step ends.
TEST(Mixer, OutputDoesNotDependOnThePieceSize) {
    const auto start = [](Mixer& m) {
        m.Play(MakePcm(soundtest::Sine(300, 11025, 700)), Info(100, 2000, 3), 1);
        m.Play(MakePcm(soundtest::Sine(500, 44100, 3000, 9000), 44100, 1),
               Info({}, {}, 2, {{0, 0, 32768}, {4000, 32768, 0}}), 2);
        m.Play(MakePcm(soundtest::Sine(700, 22050, 1500, 7000), 22050, 1),
               Info(30, {}, 1, {{100, 32768, 32768}, {2000, 100, 3000}}), 3);
    };
    Mixer whole;
    start(whole);
    const Samples expected = Mixed(whole, 9000);
    for (std::size_t piece : {1u, 7u, 64u, 1000u, 1025u}) {
        SCOPED_TRACE(piece);
        Mixer m;
        start(m);
        Samples out;
        while (out.size() < expected.size()) {
            const Samples part = Mixed(m, std::min(piece, (expected.size() - out.size()) / 2));
            out.insert(out.end(), part.begin(), part.end());
        }
        EXPECT_EQ(out, expected);
    }
}

// A stream's frames in runs of a fixed size.
class ChoppedSource final : public FrameSource {
public:
    ChoppedSource(const Samples& samples, std::uint32_t rate, std::size_t runFrames)
        : samples_(samples), rate_(rate), run_(runFrames) {}
    std::span<const std::int16_t> NextRun() override {
        const std::size_t n = std::min(run_, samples_.size() - pos_);
        const std::span<const std::int16_t> run(samples_.data() + pos_, n);
        pos_ += n;
        return run;
    }
    std::uint32_t Rate() const override { return rate_; }
    unsigned Channels() const override { return 1; }

private:
    const Samples& samples_;
    std::uint32_t rate_;
    std::size_t run_;
    std::size_t pos_ = 0;
};

// A stream cut into runs of any size sounds like the same frames played in one piece, at
// every rate: the interpolation carries across the ends of runs.
TEST(Mixer, StreamRunsJoinWithoutASeam) {
    for (std::uint32_t rate : {11025u, 44100u, 48000u}) {
        const Samples tone = soundtest::Sine(1000, rate, 2000);
        Mixer whole;
        ASSERT_TRUE(whole.Play(MakePcm(tone, rate), Info(), 1));
        const Samples expected = Mixed(whole, 9000);
        for (std::size_t run : {1u, 3u, 1000u}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz in runs of " << run);
            ChoppedSource source(tone, rate, run);
            Mixer m;
            ASSERT_TRUE(m.PlayStream(source, 1));
            EXPECT_EQ(Mixed(m, 9000), expected);
            EXPECT_FALSE(m.IsPlaying(1));
        }
    }
}

// ---- Streams ---------------------------------------------------------------------------------

// A PCM stream at 44.1 kHz whose frame f holds `perFrame` samples of value f * 100 + 1 (so
// that the frame of any heard sample can be told), with no block in the frames listed.
struct PcmStream {
    StreamHead head;
    std::vector<swfwriter::ByteVector> bodies;

    PcmStream(std::size_t frames, std::uint16_t perFrame, std::vector<std::size_t> gaps = {}) {
        head.stream.codec = Codec::PcmLittle;
        head.stream.rateCode = 3;
        head.samplesPerFrame = perFrame;
        for (std::size_t f = 0; f < frames; ++f) {
            if (std::find(gaps.begin(), gaps.end(), f) != gaps.end()) {
                bodies.emplace_back();
            } else {
                const Samples block(perFrame, static_cast<std::int16_t>(f * 100 + 1));
                bodies.push_back(swfwriter::StreamBlockBody(swfwriter::Pcm16Bytes(block)));
            }
        }
    }
    std::vector<Bytes> Blocks() const { return {bodies.begin(), bodies.end()}; }
};

TEST(Streams, PlayTheBlocksFromTheFrameAskedWithSilenceForGaps) {
    const PcmStream stream(6, 10, {3});
    SoundEngine engine;
    ASSERT_TRUE(engine.StartStream(1, stream.head, stream.Blocks(), 1, 12));
    Samples expected;
    for (std::int16_t v : {101, 201, 0, 401, 501}) expected.insert(expected.end(), 10, v);
    expected.insert(expected.end(), 5, 0);
    EXPECT_EQ(Side(Mixed(engine, expected.size()), 0), expected);
    EXPECT_FALSE(engine.StreamPlaying(1));

    // Nothing from the last block on, or a codec this engine does not decode: no stream.
    EXPECT_FALSE(engine.StartStream(1, stream.head, stream.Blocks(), 6, 12));
    StreamHead nelly = stream.head;
    nelly.stream.codec = Codec::Nellymoser;
    EXPECT_FALSE(engine.StartStream(2, nelly, stream.Blocks(), 0, 12));
    EXPECT_EQ(engine.Streams(), 0u);
}

TEST(Streams, StoppedStreamsResumeFromTheRightSample) {
    const PcmStream stream(10, 100);
    SoundEngine engine;
    ASSERT_TRUE(engine.StartStream(7, stream.head, stream.Blocks(), 0, 12));
    Mixed(engine, 250);  // into frame 2
    engine.StopStream(7);
    EXPECT_EQ(Side(Mixed(engine, 10), 0), Samples(10, 0));
    // Play continues on frame 7 (a GotoFrame while stopped): its first sample comes first,
    // mixed as the next output frame.
    const std::uint64_t next = engine.MixedFrames();
    ASSERT_TRUE(engine.StartStream(7, stream.head, stream.Blocks(), 7, 12));
    EXPECT_EQ(engine.StreamStart(7), next);
    const Samples left = Side(Mixed(engine, 150), 0);
    EXPECT_EQ(left[0], 701);
    EXPECT_EQ(left[99], 701);
    EXPECT_EQ(left[100], 801);
}

// ---- Engine ----------------------------------------------------------------------------------

// A 16-bit mono DefineSound at 44.1 kHz.
DefineSound Sound(std::uint16_t id, const swfwriter::ByteVector& data, std::uint32_t count) {
    DefineSound s;
    s.id = id;
    s.format.codec = Codec::PcmLittle;
    s.format.rateCode = 3;
    s.sampleCount = count;
    s.data = data;
    return s;
}

class Engine : public ::testing::Test {
protected:
    // Sound 1: 100 frames of 1000; sound 2: 10 frames of 50 (both 44.1 kHz mono).
    void SetUp() override {
        long1_ = swfwriter::Pcm16Bytes(Samples(100, 1000));
        short2_ = swfwriter::Pcm16Bytes(Samples(10, 50));
        engine_.Define(Sound(1, long1_, 100));
        engine_.Define(Sound(2, short2_, 10));
    }
    SoundInfo NoMultiple() {
        SoundInfo i;
        i.noMultiple = true;
        return i;
    }
    SoundInfo Stop() {
        SoundInfo i;
        i.stop = true;
        return i;
    }

    swfwriter::ByteVector long1_, short2_;
    SoundEngine engine_;
};

TEST_F(Engine, NoMultipleWaitsForTheSoundToEnd) {
    engine_.Start(1, {});
    engine_.Start(1, NoMultiple());  // ignored: sound 1 is playing
    engine_.Start(2, NoMultiple());  // sound 2 is not
    EXPECT_EQ(engine_.ActiveChannels(), 2u);
    EXPECT_EQ(Side(Mixed(engine_, 1), 0)[0], 1050);
    Mixed(engine_, 99);
    EXPECT_FALSE(engine_.IsPlaying(1));
    engine_.Start(1, NoMultiple());
    EXPECT_TRUE(engine_.IsPlaying(1));
}

TEST_F(Engine, StopEndsEveryInstanceAndUnknownSoundsStaySilent) {
    engine_.Start(1, {});
    engine_.Start(1, {});
    engine_.Start(2, {});
    engine_.Start(3, {});  // never defined
    EXPECT_EQ(engine_.ActiveChannels(), 3u);
    EXPECT_EQ(Side(Mixed(engine_, 1), 0)[0], 2050);
    engine_.Start(1, Stop());
    EXPECT_EQ(engine_.ActiveChannels(), 1u);
    EXPECT_EQ(Side(Mixed(engine_, 1), 0)[0], 50);
}

TEST_F(Engine, ClearLetsGoOfEverySoundAndStream) {
    const PcmStream stream(4, 100);
    engine_.Start(1, {});
    engine_.Start(2, {});
    ASSERT_TRUE(engine_.StartStream(1, stream.head, stream.Blocks(), 0, 12));
    EXPECT_EQ(engine_.DecodedSamples(), 110u);
    engine_.StopAll();
    EXPECT_EQ(engine_.ActiveChannels(), 0u);
    EXPECT_EQ(engine_.Streams(), 0u);
    EXPECT_EQ(engine_.DecodedSamples(), 110u);  // the movie still holds its sounds
    engine_.Start(1, {});
    engine_.Clear();
    EXPECT_EQ(engine_.ActiveChannels(), 0u);
    EXPECT_EQ(engine_.DecodedSamples(), 0u);
    engine_.Start(1, {});  // the definitions are gone too
    EXPECT_EQ(engine_.ActiveChannels(), 0u);
    EXPECT_EQ(Mixed(engine_, 8), Samples(16, 0));
}

TEST_F(Engine, RedefinitionReplacesTheSound) {
    engine_.Start(1, {});
    engine_.Define(Sound(1, short2_, 10));
    engine_.Start(1, {});  // the old sound keeps playing beside the new one
    EXPECT_EQ(Side(Mixed(engine_, 1), 0)[0], 1050);
    EXPECT_EQ(engine_.DecodedSamples(), 10u);
}

TEST(EngineBudget, IdleSoundsMakeRoomAndOversizedOnesPlayTheirStart) {
    const auto data = swfwriter::Pcm16Bytes(Samples(1000, 7));
    SoundEngine engine(kOutputRate, 3000);
    for (std::uint16_t id = 1; id <= 3; ++id) engine.Define(Sound(id, data, 1000));
    engine.Start(1, {});
    engine.Start(2, {});
    engine.Start(3, {});
    EXPECT_EQ(engine.DecodedSamples(), 3000u);
    Mixed(engine, 1000);  // all three end
    // Over the budget: the idle sounds are let go to decode the next one.
    engine.Define(Sound(4, data, 1000));
    engine.Start(4, {});
    EXPECT_EQ(engine.DecodedSamples(), 1000u);
    // A sound larger than what is left plays the part that fits: 2000 of its 3000 frames,
    // since sound 4 is still playing and cannot be let go.
    const auto longer = swfwriter::Pcm16Bytes(Samples(3000, 9));
    engine.Define(Sound(5, longer, 3000));
    engine.Start(5, {});
    EXPECT_EQ(engine.DecodedSamples(), 3000u);
    Mixed(engine, 1999);
    EXPECT_TRUE(engine.IsPlaying(5));
    Mixed(engine, 1);
    EXPECT_FALSE(engine.IsPlaying(5));
}

// ---- Mixing allocates nothing --------------------------------------------------------------

TEST(MixerAllocations, NoneWhileMixingEventsStreamsAndEnvelopes) {
    const PcmStream stream(200, 3675);
    SoundEngine engine;
    const auto sine = swfwriter::Pcm16Bytes(soundtest::Sine(440, 22050, 22050));
    DefineSound s = Sound(1, sine, 22050);
    s.format.rateCode = 2;
    engine.Define(s);
    for (int i = 0; i < 6; ++i) {
        engine.Start(1, Info(i * 100, {}, 50, {{0, 0, 32768}, {90000, 32768, 0}}));
    }
    ASSERT_TRUE(engine.StartStream(1, stream.head, stream.Blocks(), 0, 12));
    std::vector<std::int16_t> buffer(2 * 1024);
    engine.Render(buffer.data(), 1024);  // the stream's first block
    const long before = testsupport::Allocations();
    for (int i = 0; i < 400; ++i) engine.Render(buffer.data(), 1024);
    EXPECT_EQ(testsupport::Allocations() - before, 0);
    EXPECT_EQ(engine.ActiveChannels(), 7u);
}

// ---- The stream clock -------------------------------------------------------------------------

// The audio clock, not the timer, sets the pace: an output that stalls (a device that ran
// dry) holds the timeline, and one that starts late holds it on its first frame.
TEST(StreamClock, FramesWaitForTheSoundToBeHeard) {
    StreamClock clock;
    EXPECT_EQ(clock.FrameAt(1000000), 0u);  // not running: no opinion beyond the start
    clock.Start(5, 44100, 12);              // first heard after one second of output
    EXPECT_EQ(clock.FrameAt(0), 5u);
    EXPECT_EQ(clock.FrameAt(44100), 5u);
    EXPECT_EQ(clock.FrameAt(44100 + 3674), 5u);
    EXPECT_EQ(clock.FrameAt(44100 + 3675), 6u);
    EXPECT_EQ(clock.FrameAt(44100 + 10 * 3675), 15u);
    clock.Start(0, 0, 30);
    EXPECT_EQ(clock.FrameAt(44100), 30u);
}

}  // namespace
