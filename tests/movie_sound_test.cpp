// A movie's sound through the Flash control's model: event sounds started by the frames of
// the main timeline and of sprites, streams in step with their timelines on a simulated audio
// clock, and the commands, actions, removals and new movies that stop them.
#include <gtest/gtest.h>

#include <chrono>

#include "flash/control_model.h"
#include "flash/swf_parser.h"
#include "tests/sound_fixture.h"
#include "tools/sound_writer.h"
#include "tools/swf_writer.h"

namespace {

using flash::ControlModel;
using soundtest::SimulatedDevice;
using swfwriter::MovieBuilder;

constexpr std::uint16_t kDefineSound = 14;
constexpr std::uint16_t kStartSound = 15;
constexpr std::uint16_t kStreamHead = 18;
constexpr std::uint16_t kStreamBlock = 19;
constexpr std::uint8_t kPcm44Mono = 0x3E;  // uncompressed little-endian, 44.1 kHz, 16-bit, mono
constexpr auto kFrame = std::chrono::microseconds(83334);  // at 12 fps
constexpr std::uint16_t kPerFrame = 3675;                  // 44100 / 12

swfwriter::ByteVector Constant(std::size_t frames, std::int16_t value) {
    return swfwriter::Pcm16Bytes(std::vector<std::int16_t>(frames, value));
}

// Frames of a timeline with a stream: the head in the first, and in frame f a block whose
// samples are all `base` + f * 100 + 1, so that any sample heard tells its frame.
void StreamFrames(MovieBuilder& m, int frames, int base = 0) {
    m.Tag(kStreamHead, swfwriter::StreamHeadBody(kPcm44Mono, kPcm44Mono, kPerFrame));
    for (int f = 0; f < frames; ++f) {
        const auto value = static_cast<std::int16_t>(base + f * 100 + 1);
        m.Tag(kStreamBlock, swfwriter::StreamBlockBody(Constant(kPerFrame, value))).ShowFrame();
    }
}

void Load(ControlModel& model, const MovieBuilder& m) {
    flash::LoadResult r = flash::ParseMovie(m.Build());
    ASSERT_TRUE(r.Ok());
    model.SetMovie("movie.swf", std::move(r));
}

TEST(MovieSound, FramesOfTheMainTimelineAndOfSpritesStartAndStopSounds) {
    // The sprite loops over two frames, starting sound 2 on the first unless it plays.
    swfwriter::SoundInfoSpec once;
    once.noMultiple = true;
    MovieBuilder sprite;
    sprite.Tag(kStartSound, swfwriter::StartSoundBody(2, once)).ShowFrame().ShowFrame();
    swfwriter::SoundInfoSpec stop;
    stop.stop = true;
    MovieBuilder m;
    m.FrameRate(12);
    m.Tag(kDefineSound, swfwriter::DefineSoundBody(1, kPcm44Mono, 44100, Constant(44100, 1000)));
    m.Tag(kDefineSound, swfwriter::DefineSoundBody(2, kPcm44Mono, 44100, Constant(44100, 50)));
    m.DefineSprite(10, sprite);
    m.PlaceObject(10, 1, 0, 0).ShowFrame();
    m.Tag(kStartSound, swfwriter::StartSoundBody(1, {})).ShowFrame();
    m.Tag(kStartSound, swfwriter::StartSoundBody(1, stop)).ShowFrame();
    m.ShowFrame();
    ControlModel model;
    Load(model, m);
    flash::sound::SoundEngine& sound = model.Sound();

    // Loading enters frame 0: the sprite's first frame starts sound 2.
    EXPECT_TRUE(sound.IsPlaying(2));
    EXPECT_FALSE(sound.IsPlaying(1));
    model.Tick(kFrame);
    EXPECT_EQ(model.CurrentFrame(), 1);
    EXPECT_TRUE(sound.IsPlaying(1));
    model.Tick(kFrame);
    EXPECT_FALSE(sound.IsPlaying(1));
    EXPECT_EQ(model.CurrentFrame(), 2);  // the sprite is back on its first frame
    EXPECT_EQ(sound.ActiveChannels(), 1u);
    EXPECT_EQ(soundtest::Side(soundtest::Mixed(sound, 1), 0)[0], 50);
}

// A button's DefineButtonSound plays the sound it gives each transition: here none on rolling
// out, sound 1 on rolling over, none on pressing, sound 2 on releasing. The hit test is a
// stand-in: the left half of the stage is the button.
TEST(MovieSound, ButtonsPlayTheSoundsOfTheirTransitions) {
    class LeftHalf final : public flash::ButtonFinder {
    public:
        void Reset() override {}
        const flash::Clip* ButtonAt(const flash::Player& player, flash::Point p) override {
            return p.x < 275 * 20 ? player.Root().Entries()[0].clip : nullptr;
        }
    } finder;
    MovieBuilder m;
    m.Tag(kDefineSound, swfwriter::DefineSoundBody(1, kPcm44Mono, 44100, Constant(44100, 1000)));
    m.Tag(kDefineSound, swfwriter::DefineSoundBody(2, kPcm44Mono, 44100, Constant(44100, 50)));
    m.Rectangle(3, 400, 400, {0, 0, 0}).DefineButton2(4, {{0x0F, 3, 1}}, {});
    swfwriter::ByteVector sounds{4, 0, 0, 0};
    for (const std::uint16_t id : {1, 0, 2}) {
        const swfwriter::ByteVector entry =
            id == 0 ? swfwriter::ByteVector{0, 0} : swfwriter::StartSoundBody(id, {});
        sounds.insert(sounds.end(), entry.begin(), entry.end());
    }
    m.Tag(17, sounds).PlaceObject(4, 1, 0, 0).ShowFrame();
    ControlModel model;
    model.SetButtonFinder(&finder);
    Load(model, m);
    flash::sound::SoundEngine& sound = model.Sound();
    model.Mouse(10, 10, 550, 400, false);
    EXPECT_TRUE(sound.IsPlaying(1));
    EXPECT_FALSE(sound.IsPlaying(2));
    model.Mouse(10, 10, 550, 400, true);
    EXPECT_EQ(sound.ActiveChannels(), 1u);
    model.Mouse(10, 10, 550, 400, false);
    EXPECT_TRUE(sound.IsPlaying(2));
    model.Mouse(500, 10, 550, 400, false);
    EXPECT_EQ(sound.ActiveChannels(), 2u);
    model.SetButtonFinder(nullptr);
}

// A 2-second stream over 24 frames at 12 fps, each tick "drawing" for 150 to 250 ms of audio
// time, slower than the 83 ms a frame lasts, on a sound card whose clock runs 20 % slower than
// the timer's: the frames follow the sound, not the timer, dropping those that could not be
// drawn. At every tick the frame shown is the one whose block is heard; the last frame comes
// at 2 s, within a frame; and when the movie loops, the stream starts again with it.
TEST(MovieSound, TheMainTimelineFollowsItsStreamWhenDrawingIsSlow) {
    MovieBuilder m;
    m.FrameRate(12);
    StreamFrames(m, 24);
    ControlModel model;
    Load(model, m);
    SimulatedDevice device(model.Sound());
    model.SetAudioClock([&device] { return device.Played(); });

    const std::uint64_t drawTimes[] = {6615, 11025, 8820, 7718};  // 150, 250, 200, 175 ms
    long shown = 0;
    std::size_t dropped = 0;
    std::uint64_t lastFrameAt = 0;
    std::size_t heardAfterLoop = 0;
    for (int tick = 0; device.Played() < 2 * 44100 + 22050; ++tick) {
        device.Play(drawTimes[tick % 4]);
        model.Tick(std::chrono::microseconds(drawTimes[tick % 4] * 1250000 / 44100));
        if (model.CurrentFrame() > shown + 1) dropped += model.CurrentFrame() - shown - 1;
        shown = model.CurrentFrame();
        const bool looped = device.Played() > 2 * 44100 + 8820;  // and the new start is heard
        if (device.Played() < 2 * 44100 || looped) {
            EXPECT_EQ(shown * 100 + 1, device.Heard()) << "at " << device.Played();
        }
        if (looped) ++heardAfterLoop;
        if (shown == 23 && lastFrameAt == 0) lastFrameAt = device.Played();
    }
    EXPECT_GT(dropped, 6u);
    EXPECT_NEAR(static_cast<double>(lastFrameAt), 2.0 * 44100, kPerFrame);
    EXPECT_GT(heardAfterLoop, 0u);
}

TEST(MovieSound, StopAndGotoStopTheStreamAndPlayResumesAtTheNextFrame) {
    MovieBuilder m;
    m.FrameRate(12);
    StreamFrames(m, 24);
    ControlModel model;
    Load(model, m);
    SimulatedDevice device(model.Sound());
    model.SetAudioClock([&device] { return device.Played(); });
    for (int i = 0; i < 5; ++i) {
        device.Play(kPerFrame);
        model.Tick(kFrame);
    }
    EXPECT_EQ(model.CurrentFrame(), 5);
    model.Stop();
    EXPECT_EQ(model.Sound().Streams(), 0u);
    EXPECT_EQ(model.Sound().ActiveChannels(), 0u);
    model.GotoFrame(10);
    model.Back();
    model.Forward();
    EXPECT_EQ(model.CurrentFrame(), 10);
    EXPECT_EQ(model.Sound().Streams(), 0u);

    // Played again, the movie enters frame 11 (on the timer, with no stream to follow), and
    // frame 11's first sample is the first the stream mixes.
    model.Play();
    const std::uint64_t resumedAt = model.Sound().MixedFrames();
    model.Tick(kFrame);
    EXPECT_EQ(model.CurrentFrame(), 11);
    EXPECT_EQ(model.Sound().Streams(), 1u);
    device.Play(kPerFrame);
    const std::vector<std::int16_t> after = device.MixedFrom(resumedAt);
    ASSERT_GT(after.size(), std::size_t{kPerFrame} + 1);
    EXPECT_EQ(after[0], 11 * 100 + 1);
    EXPECT_EQ(after[kPerFrame - 1], 11 * 100 + 1);
    EXPECT_EQ(after[kPerFrame], 12 * 100 + 1);
    model.Rewind();
    EXPECT_EQ(model.Sound().Streams(), 0u);
}

TEST(MovieSound, RemovedSpritesAndStopActionsStopTheirStreams) {
    MovieBuilder sprite;
    StreamFrames(sprite, 10, 5000);
    MovieBuilder m;
    m.FrameRate(12);
    m.DefineSprite(10, sprite);
    m.Tag(kStreamHead, swfwriter::StreamHeadBody(kPcm44Mono, kPcm44Mono, kPerFrame));
    const auto block = swfwriter::StreamBlockBody(Constant(kPerFrame, 7));
    m.PlaceObject(10, 1, 0, 0).Tag(kStreamBlock, block).ShowFrame();
    m.Tag(kStreamBlock, block).ShowFrame();
    m.RemoveObject2(1).Tag(kStreamBlock, block).ShowFrame();
    m.DoAction(swfwriter::Actions().Stop()).Tag(kStreamBlock, block).ShowFrame();
    m.Tag(kStreamBlock, block).ShowFrame();
    ControlModel model;
    Load(model, m);

    EXPECT_EQ(model.Sound().Streams(), 2u);  // the main timeline's and the sprite's
    EXPECT_EQ(model.Sound().ActiveChannels(), 2u);
    model.Tick(kFrame);
    EXPECT_EQ(model.Sound().Streams(), 2u);
    model.Tick(kFrame);  // the sprite leaves
    EXPECT_EQ(model.Sound().Streams(), 1u);
    model.Tick(kFrame);  // stop()
    EXPECT_FALSE(model.IsPlaying());
    EXPECT_EQ(model.Sound().Streams(), 0u);
    EXPECT_EQ(model.Sound().ActiveChannels(), 0u);
}

TEST(MovieSound, ANewMovieStopsEverySoundAndLetsGoOfTheOld) {
    MovieBuilder m;
    m.FrameRate(12);
    m.Tag(kDefineSound, swfwriter::DefineSoundBody(1, kPcm44Mono, 44100, Constant(44100, 9)));
    m.Tag(kStartSound, swfwriter::StartSoundBody(1, {}));
    StreamFrames(m, 4);
    ControlModel model;
    Load(model, m);
    EXPECT_EQ(model.Sound().ActiveChannels(), 2u);
    EXPECT_GT(model.Sound().DecodedSamples(), 0u);

    Load(model, MovieBuilder().ShowFrame());
    EXPECT_EQ(model.Sound().ActiveChannels(), 0u);
    EXPECT_EQ(model.Sound().Streams(), 0u);
    EXPECT_EQ(model.Sound().DecodedSamples(), 0u);
    EXPECT_EQ(soundtest::Mixed(model.Sound(), 4), std::vector<std::int16_t>(8, 0));
    // A location that does not load leaves no movie and no sound either.
    model.SetMovie("missing.swf", flash::ParseMovie({}));
    EXPECT_EQ(model.Sound().ActiveChannels(), 0u);
}

}  // namespace
