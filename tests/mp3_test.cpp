// MP3 through the platform's codec: libmpg123 natively, the Audio Compression Manager's MPEG
// layer III codec under Wine. The tones are made by Debian's lame when the tests run
// (make_tones.sh); the program's argument is the folder that holds them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flash/sound/decoder.h"
#include "flash/sound/mp3_frames.h"
#include "flash/sound/sound_engine.h"
#include "tests/sound_fixture.h"
#include "tools/sound_writer.h"

namespace {

using namespace flash::sound;
using Samples = std::vector<std::int16_t>;

std::string g_tones = "tones";

std::vector<std::uint8_t> ReadTone(const std::string& name) {
    std::ifstream in(g_tones + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DefineSound Mp3Sound(std::span<const std::uint8_t> frames, std::uint32_t count,
                     std::int16_t seek = 0, bool stereo = false) {
    DefineSound s;
    s.format.codec = Codec::Mp3;
    s.format.rateCode = 3;
    s.format.stereo = stereo;
    s.sampleCount = count;
    s.seekSamples = seek;
    s.data = frames;
    return s;
}

// The frames from the first to the last sample louder than the tone's quiet edges.
std::size_t AudibleFrames(std::span<const std::int16_t> samples, unsigned channels) {
    std::size_t first = samples.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > 4000) {
            first = std::min(first, i);
            last = i;
        }
    }
    return first > last ? 0 : (last - first) / channels + 1;
}

class Mp3 : public ::testing::Test {
protected:
    void SetUp() override {
        mono_ = ReadTone("tone-1000-44k-mono.mp3");
        stereo_ = ReadTone("tone-440-48k-stereo.mp3");
        ASSERT_GT(mono_.size(), 2000u) << "no tone in " << g_tones;
        ASSERT_GT(stereo_.size(), 8000u) << "no tone in " << g_tones;
    }
    std::vector<std::uint8_t> mono_;
    std::vector<std::uint8_t> stereo_;
};

TEST_F(Mp3, ToneDecodesToItsFrequencyAndLength) {
    const Pcm pcm = DecodeSound(Mp3Sound(mono_, 1u << 30));  // a count beyond the data
    ASSERT_EQ(pcm.rate, 44100u);
    ASSERT_EQ(pcm.channels, 1u);
    // 0.5 s of 1 kHz: the codec adds its delays and pads the last frame, no more.
    EXPECT_GE(pcm.Frames(), 22050u);
    EXPECT_LE(pcm.Frames(), 22050u + 3 * 1152);
    EXPECT_NEAR(static_cast<double>(AudibleFrames(pcm.samples, 1)), 22050, 1152);
    EXPECT_NEAR(static_cast<double>(soundtest::RisingCrossings(pcm.samples)), 500, 5);

    const Pcm wide = DecodeSound(Mp3Sound(stereo_, 1u << 30, 0, true));
    ASSERT_EQ(wide.rate, 48000u);
    ASSERT_EQ(wide.channels, 2u);
    EXPECT_NEAR(static_cast<double>(AudibleFrames(wide.samples, 2)), 48000, 1152);
    EXPECT_NEAR(static_cast<double>(soundtest::RisingCrossings(wide.samples, 2, 0)), 440, 4);
    EXPECT_NEAR(static_cast<double>(soundtest::RisingCrossings(wide.samples, 2, 1)), 440, 4);
}

TEST_F(Mp3, SeekSamplesAndTheSampleCountCutTheSound) {
    const Pcm full = DecodeSound(Mp3Sound(mono_, 1u << 30));
    const Pcm cut = DecodeSound(Mp3Sound(mono_, 10000, 1105));
    ASSERT_EQ(cut.Frames(), 10000u);
    EXPECT_TRUE(std::equal(cut.samples.begin(), cut.samples.end(), full.samples.begin() + 1105));
    EXPECT_TRUE(DecodeSound(Mp3Sound(mono_, 0)).samples.empty());
    // A negative seek skips nothing.
    EXPECT_EQ(DecodeSound(Mp3Sound(mono_, 100, -50)).samples,
              Samples(full.samples.begin(), full.samples.begin() + 100));
}

TEST_F(Mp3, DamagedDataDecodesItsWholeFrames) {
    const Pcm full = DecodeSound(Mp3Sound(mono_, 1u << 30));
    // The last frame cut short: one frame less, and what comes out matches the full decode.
    std::vector<std::uint8_t> cutShort(mono_.begin(), mono_.end() - 50);
    const Pcm shorter = DecodeSound(Mp3Sound(cutShort, 1u << 30));
    EXPECT_LT(shorter.Frames(), full.Frames());
    EXPECT_GE(shorter.Frames() + 2 * 1152, full.Frames());
    EXPECT_TRUE(
        std::equal(shorter.samples.begin(), shorter.samples.end() - 1152, full.samples.begin()));
    // Junk between two frames, with a stray sync word in it, is stepped over.
    const auto first = FindMp3Frame(mono_, 0);
    ASSERT_TRUE(first);
    std::size_t at = first->offset;
    for (int i = 0; i < 6; ++i) at += ReadMp3FrameHeader(std::span(mono_).subspan(at))->bytes;
    std::vector<std::uint8_t> junk(mono_.begin(), mono_.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::uint8_t b : {0x00, 0xFF, 0xFB, 0x12, 0x34, 0xFF, 0x00}) junk.push_back(b);
    junk.insert(junk.end(), mono_.begin() + static_cast<std::ptrdiff_t>(at), mono_.end());
    const Pcm stepped = DecodeSound(Mp3Sound(junk, 1u << 30));
    EXPECT_EQ(stepped.Frames(), full.Frames());
    EXPECT_NEAR(static_cast<double>(soundtest::RisingCrossings(stepped.samples)), 500, 5);
    // Only junk: nothing.
    const std::vector<std::uint8_t> noise(3000, 0xFF);
    EXPECT_TRUE(DecodeSound(Mp3Sound(noise, 1000)).samples.empty());
}

// The tone as a stream: its frames dealt out to the blocks of 12 frames per second, played
// through the engine at the output rate. The codec keeps its state from block to block, so
// the tone runs on without a gap.
TEST_F(Mp3, StreamBlocksPlayOnAsOneTone) {
    for (const auto& [tone, khz, stereo, hz] :
         {std::tuple{&mono_, 44100u, false, 1000.0}, std::tuple{&stereo_, 48000u, true, 440.0}}) {
        SCOPED_TRACE(khz);
        std::vector<swfwriter::ByteVector> bodies;
        const std::size_t perBlock = khz / 12;
        std::size_t decoded = 0;  // samples of the frames dealt so far
        std::size_t pos = 0;
        for (std::size_t block = 0; FindMp3Frame(*tone, pos); ++block) {
            swfwriter::ByteVector frames;
            const std::size_t blockEnd = (block + 1) * perBlock;
            while (decoded < blockEnd) {
                const auto f = FindMp3Frame(*tone, pos);
                if (!f) break;
                frames.insert(
                    frames.end(), tone->begin() + static_cast<std::ptrdiff_t>(f->offset),
                    tone->begin() + static_cast<std::ptrdiff_t>(f->offset + f->header.bytes));
                pos = f->offset + f->header.bytes;
                decoded += f->header.samples;
            }
            bodies.push_back(
                swfwriter::StreamBlockBody(frames, static_cast<std::uint16_t>(perBlock), 0));
        }
        StreamHead head;
        head.stream.codec = Codec::Mp3;
        head.stream.rateCode = 3;
        head.stream.stereo = stereo;
        head.samplesPerFrame = static_cast<std::uint16_t>(perBlock);
        SoundEngine engine;
        ASSERT_TRUE(engine.StartStream(1, head, {bodies.begin(), bodies.end()}, 0, 12));
        const Samples out = soundtest::Mixed(engine, 2 * kOutputRate);
        const Samples left = soundtest::Side(out, 0);
        const double seconds = static_cast<double>(AudibleFrames(left, 1)) / kOutputRate;
        EXPECT_NEAR(seconds, stereo ? 1.0 : 0.5, 0.03);
        EXPECT_NEAR(static_cast<double>(soundtest::RisingCrossings(left)), hz * seconds,
                    hz * seconds * 0.01 + 2);
        // No gap anywhere inside the tone.
        std::size_t quiet = 0;
        std::size_t longest = 0;
        for (std::size_t i = 2000; i + 2000 < static_cast<std::size_t>(seconds * kOutputRate);
             ++i) {
            quiet = std::abs(left[i]) < 100 ? quiet + 1 : 0;
            longest = std::max(longest, quiet);
        }
        EXPECT_LT(longest, 10u);
        EXPECT_FALSE(engine.StreamPlaying(1));
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) g_tones = argv[1];
    return RUN_ALL_TESTS();
}
