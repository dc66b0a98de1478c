// The sound tags, the decoders (ADPCM checked against values worked out by hand from the
// format's description), and the sound fuzzer's seeds replayed with damage.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "flash/sound/adpcm.h"
#include "flash/sound/decoder.h"
#include "flash/sound/mp3_frames.h"
#include "flash/sound/sound_fuzz.h"
#include "flash/sound/sound_tags.h"
#include "tools/sound_writer.h"

namespace {

using namespace flash::sound;
using swfwriter::BitWriter;
using swfwriter::SoundFormatByte;
using swfwriter::SoundInfoSpec;
using Samples = std::vector<std::int16_t>;

// ---- Tags ----------------------------------------------------------------------------------

TEST(SoundTags, DefineSoundReadsEveryFormatField) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5};
    struct Case {
        std::uint8_t codec, rate;
        bool sixteen, stereo;
        std::uint32_t hz;
    };
    for (const Case& c : {Case{0, 0, false, false, 5512}, Case{1, 1, true, true, 11025},
                          Case{3, 2, true, false, 22050}, Case{6, 3, false, true, 44100},
                          Case{4, 0, true, false, 16000}, Case{5, 3, true, false, 8000}}) {
        SCOPED_TRACE(int{c.codec} * 10 + c.rate);
        const auto body = swfwriter::DefineSoundBody(
            513, SoundFormatByte(c.codec, c.rate, c.sixteen, c.stereo), 70000, data);
        const auto s = ParseDefineSound(body);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->id, 513);
        EXPECT_EQ(static_cast<int>(s->format.codec), c.codec);
        EXPECT_EQ(s->format.sixteenBit, c.sixteen);
        EXPECT_EQ(s->format.Channels(), c.stereo ? 2u : 1u);
        EXPECT_EQ(s->format.RateHz(), c.hz);
        EXPECT_EQ(s->sampleCount, 70000u);
        EXPECT_EQ(std::vector<std::uint8_t>(s->data.begin(), s->data.end()), data);
    }
    // MP3 holds its seek samples before the frames.
    const auto mp3 = ParseDefineSound(
        swfwriter::DefineSoundBody(7, SoundFormatByte(2, 3, true, true), 9, data, -3));
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->seekSamples, -3);
    EXPECT_EQ(mp3->data.size(), data.size());
}

TEST(SoundTags, StartSoundReadsEverySoundInfoField) {
    SoundInfoSpec full;
    full.noMultiple = true;
    full.inPoint = 0x01020304;
    full.outPoint = 0x7FFFFFFF;
    full.loops = 65535;
    full.envelope = std::vector<swfwriter::EnvelopeSpec>{{0, 0, 32768}, {44100, 65535, 7}};
    SoundInfoSpec stop;
    stop.stop = true;
    SoundInfoSpec onlyOut;
    onlyOut.outPoint = 5;

    SoundInfo expectFull;
    expectFull.noMultiple = true;
    expectFull.inPoint = 0x01020304;
    expectFull.outPoint = 0x7FFFFFFF;
    expectFull.loops = 65535;
    expectFull.envelope = {{0, 0, 32768}, {44100, 65535, 7}};
    SoundInfo expectStop;
    expectStop.stop = true;
    SoundInfo expectOut;
    expectOut.outPoint = 5;

    for (const auto& [spec, expected] :
         {std::pair{SoundInfoSpec{}, SoundInfo{}}, std::pair{full, expectFull},
          std::pair{stop, expectStop}, std::pair{onlyOut, expectOut}}) {
        const auto s = ParseStartSound(kTagStartSound, swfwriter::StartSoundBody(77, spec));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->id, 77);
        EXPECT_EQ(s->info, expected);
        const auto body2 = swfwriter::StartSound2Body("Boom", spec);
        const auto s2 = ParseStartSound(kTagStartSound2, body2);
        ASSERT_TRUE(s2);
        EXPECT_EQ(s2->className, "Boom");
        EXPECT_EQ(s2->info, expected);
    }
    EXPECT_EQ(SoundInfo{}.Plays(), 1u);
    SoundInfo zero;
    zero.loops = 0;
    EXPECT_EQ(zero.Plays(), 1u);  // a stored 0 plays once, like 1
    EXPECT_FALSE(ParseStartSound(kTagDefineSound, swfwriter::StartSoundBody(1, {})));
}

TEST(SoundTags, EveryCutThroughTheFieldsIsRefused) {
    SoundInfoSpec full;
    full.inPoint = 1;
    full.outPoint = 2;
    full.loops = 3;
    full.envelope = std::vector<swfwriter::EnvelopeSpec>{{1, 2, 3}, {4, 5, 6}};
    const auto start = swfwriter::StartSoundBody(1, full);
    const auto start2 = swfwriter::StartSound2Body("Name", full);
    const auto define = swfwriter::DefineSoundBody(1, SoundFormatByte(2, 3, true, false), 1, {}, 0);
    const auto head = swfwriter::StreamHeadBody(0, SoundFormatByte(1, 1, true, false), 100);
    const auto block = swfwriter::StreamBlockBody({}, 1152, 0);
    StreamHead mp3Head;
    mp3Head.stream.codec = Codec::Mp3;
    const struct {
        const char* name;
        const std::vector<std::uint8_t>& body;
        std::function<bool(Bytes)> reads;
    } tags[] = {
        {"StartSound", start, [](Bytes b) { return !!ParseStartSound(kTagStartSound, b); }},
        {"StartSound2", start2, [](Bytes b) { return !!ParseStartSound(kTagStartSound2, b); }},
        {"DefineSound", define, [](Bytes b) { return !!ParseDefineSound(b); }},
        {"SoundStreamHead", head, [](Bytes b) { return !!ParseSoundStreamHead(b); }},
        {"SoundStreamBlock", block, [&](Bytes b) { return !!ParseSoundStreamBlock(mp3Head, b); }},
    };
    for (const auto& tag : tags) {
        EXPECT_TRUE(tag.reads(tag.body)) << tag.name;
        for (std::size_t n = 0; n < tag.body.size(); ++n) {
            EXPECT_FALSE(tag.reads(std::span(tag.body).first(n))) << tag.name << " " << n;
        }
    }
    // A count of 255 envelope points with the data for one is refused, not read past the end.
    std::vector<std::uint8_t> lying = {1, 0, 0x08, 255, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ParseStartSound(kTagStartSound, lying));
}

TEST(SoundTags, StreamHeadAndBlocksDependOnTheCodec) {
    const auto adpcm = ParseSoundStreamHead(swfwriter::StreamHeadBody(
        SoundFormatByte(0, 2, true, true), SoundFormatByte(1, 1, true, false), 1837));
    ASSERT_TRUE(adpcm);
    EXPECT_EQ(adpcm->stream.codec, Codec::Adpcm);
    EXPECT_EQ(adpcm->stream.RateHz(), 11025u);
    EXPECT_FALSE(adpcm->stream.stereo);
    EXPECT_EQ(adpcm->playback.RateHz(), 22050u);
    EXPECT_TRUE(adpcm->playback.stereo);
    EXPECT_EQ(adpcm->samplesPerFrame, 1837);

    const std::uint8_t mp3Format = SoundFormatByte(2, 3, true, true);
    const auto mp3 =
        ParseSoundStreamHead(swfwriter::StreamHeadBody(mp3Format, mp3Format, 3675, 1105));
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->latencySeek, 1105);
    // Some tools leave the latency out.
    const auto short3 = ParseSoundStreamHead(swfwriter::StreamHeadBody(mp3Format, mp3Format, 3675));
    ASSERT_TRUE(short3);
    EXPECT_EQ(short3->latencySeek, 0);

    const std::vector<std::uint8_t> data = {9, 8, 7};
    const auto mp3Block = ParseSoundStreamBlock(*mp3, swfwriter::StreamBlockBody(data, 2304, 576));
    ASSERT_TRUE(mp3Block);
    EXPECT_EQ(mp3Block->sampleCount, 2304);
    EXPECT_EQ(mp3Block->seekSamples, 576);
    EXPECT_EQ(mp3Block->data.size(), 3u);
    const auto adpcmBlock = ParseSoundStreamBlock(*adpcm, swfwriter::StreamBlockBody(data));
    ASSERT_TRUE(adpcmBlock);
    EXPECT_EQ(adpcmBlock->data.size(), 3u);
}

// ---- ADPCM ---------------------------------------------------------------------------------

struct AdpcmCase {
    const char* name;
    unsigned bits;
    std::int16_t first;
    unsigned index;
    std::vector<unsigned> codes;
    Samples expected;
};

std::vector<std::uint8_t> AdpcmData(unsigned bits, std::int16_t first, unsigned index,
                                    const std::vector<unsigned>& codes) {
    BitWriter w;
    w.Put(bits - 2, 2);
    w.Put(static_cast<std::uint16_t>(first), 16);
    w.Put(index, 6);
    for (unsigned c : codes) w.Put(c, bits);
    return w.Bytes();
}

void PrintTo(const AdpcmCase& c, std::ostream* os) {
    *os << c.name;
}

class AdpcmByHand : public ::testing::TestWithParam<AdpcmCase> {};

TEST_P(AdpcmByHand, DecodesToTheWorkedValues) {
    const AdpcmCase& c = GetParam();
    Samples out;
    const auto data = AdpcmData(c.bits, c.first, c.index, c.codes);
    EXPECT_EQ(DecodeAdpcm(data, 1, out, 1000), c.expected.size());
    EXPECT_EQ(out, c.expected);
}

// Each step: diff = the step for each magnitude bit from the top, halving as it goes, plus the
// last half; the sign bit subtracts; the index moves by the table of the code size.
INSTANTIATE_TEST_SUITE_P(
    EachCodeSize, AdpcmByHand,
    ::testing::Values(
        // 2 bits, index changes {-1, 2}. Start 100, index 10 (step 19).
        //   01: 19 + 9 = 28 -> 128, index 12 (23).  00: 11 -> 139, index 11 (21).
        //   11: -(21 + 10) -> 108, index 13 (25).   10: -12 -> 96.
        AdpcmCase{"Bits2", 2, 100, 10, {1, 0, 3, 2}, {100, 128, 139, 108, 96}},
        // 3 bits, {-1, -1, 2, 4}. Start -50, index 0 (step 7).
        //   011: 7 + 3 + 1 = 11 -> -39, index 4 (11).  111: -(11 + 5 + 2) -> -57, index 8 (16).
        //   100: -4 -> -61, index 7 (14).  010: 14 + 3 = 17 -> -44.
        AdpcmCase{"Bits3", 3, -50, 0, {3, 7, 4, 2}, {-50, -39, -57, -61, -44}},
        // 4 bits, {-1, -1, -1, -1, 2, 4, 6, 8}. Start 0, index 0 (step 7).
        //   0111: 7 + 3 + 1 + 0 = 11 -> 11, index 8 (16).  1111: -(16 + 8 + 4 + 2) -> -19,
        //   index 16 (34).  0000: 4 -> -15, index 15 (31).  1001: -(7 + 3) -> -25.
        AdpcmCase{"Bits4", 4, 0, 0, {7, 15, 0, 9}, {0, 11, -19, -15, -25}},
        // 5 bits, {-1 x8, 1, 2, 4, 6, 8, 10, 13, 16}. Start 1000, index 20 (step 50).
        //   01111: 50 + 25 + 12 + 6 + 3 = 96 -> 1096, index 36 (230).
        //   11000: -(230 + 14) -> 852, index 37 (253).  00001: 31 + 15 = 46 -> 898.
        AdpcmCase{"Bits5", 5, 1000, 20, {15, 24, 1}, {1000, 1096, 852, 898}},
        // Clamping, from 32700 at index 63 (step 3024). 0111: 3024 + 1512 + 756 + 378 -> 32767
        // (clamped), index 71 (6484).  1111: -(6484 + 3242 + 1621 + 810) -> 20610, index 79
        // (13899).  1111: -26059 -> -5449, index 87 (29794).  1111: -55863 -> -32768
        // (clamped), index 88 (clamped).  0111 at the top step 32767: +61436 -> 28668, index
        // still 88.  1001: -(8191 + 4095) -> 16382.
        AdpcmCase{"Clamps",
                  4,
                  32700,
                  63,
                  {7, 15, 15, 15, 7, 9},
                  {32700, 32767, 20610, -5449, -32768, 28668, 16382}},
        // The index stops at 0: after 0000 at index 0 the step is still 7 (0111 adds 11).
        AdpcmCase{"IndexClampsAtZero", 4, 5, 0, {0, 7}, {5, 5, 16}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Adpcm, StereoCodesAlternateWithTheirOwnState) {
    BitWriter w;
    w.Put(2, 2);  // 4 bits
    w.Put(0, 16);
    w.Put(0, 6);  // left: 0, step 7
    w.Put(100, 16);
    w.Put(8, 6);   // right: 100, step 16
    w.Put(7, 4);   // left +11
    w.Put(15, 4);  // right -(16 + 8 + 4 + 2)
    Samples out;
    EXPECT_EQ(DecodeAdpcm(w.Bytes(), 2, out, 100), 2u);
    EXPECT_EQ(out, (Samples{0, 100, 11, 70}));
}

TEST(Adpcm, PacketsRunOnWithoutAlignmentAndRestartTheirState) {
    BitWriter w;
    w.Put(0, 2);  // 2 bits
    w.Put(static_cast<std::uint16_t>(-20000), 16);
    w.Put(88, 6);
    for (std::size_t i = 1; i < kAdpcmPacketFrames; ++i) w.Put(1, 2);  // climbs to the top
    w.Put(777, 16);  // the second packet starts mid-byte
    w.Put(5, 6);
    w.Put(1, 2);  // step 12: 12 + 6 = 18
    Samples out;
    EXPECT_EQ(DecodeAdpcm(w.Bytes(), 1, out, 1 << 20), kAdpcmPacketFrames + 2);
    EXPECT_EQ(out[kAdpcmPacketFrames - 1], 32767);
    EXPECT_EQ(out[kAdpcmPacketFrames], 777);
    EXPECT_EQ(out[kAdpcmPacketFrames + 1], 795);
}

TEST(Adpcm, ZeroPaddingIsNotDecodedButRealCodesAndLimitsAre) {
    // 2 + 22 + 4 bits: the last byte's 4 zero bits would be a fifth 4-bit code.
    const auto padded = AdpcmData(4, 10, 0, {7});
    ASSERT_EQ(padded.size(), 4u);
    Samples out;
    EXPECT_EQ(DecodeAdpcm(padded, 1, out, 100), 2u);
    // The same bits with a non-zero code in the last half-byte are a real code.
    out.clear();
    EXPECT_EQ(DecodeAdpcm(AdpcmData(4, 10, 0, {7, 1}), 1, out, 100), 3u);
    // The frame limit, a header cut short, and nothing at all.
    out.clear();
    EXPECT_EQ(DecodeAdpcm(AdpcmData(4, 10, 0, {7, 1, 2, 3}), 1, out, 2), 2u);
    EXPECT_EQ(out, (Samples{10, 21}));
    const std::vector<std::uint8_t> cut = {0x80, 0x12};
    EXPECT_EQ(DecodeAdpcm(cut, 1, out, 100), 0u);
    EXPECT_EQ(DecodeAdpcm({}, 2, out, 100), 0u);
    EXPECT_EQ(DecodeAdpcm(padded, 3, out, 100), 0u);
}

// ---- PCM and DecodeSound --------------------------------------------------------------------

DefineSound Define(std::uint8_t codec, bool sixteen, bool stereo, std::uint32_t count,
                   const std::vector<std::uint8_t>& data) {
    DefineSound s;
    s.format.codec = static_cast<Codec>(codec);
    s.format.rateCode = 2;
    s.format.sixteenBit = sixteen;
    s.format.stereo = stereo;
    s.sampleCount = count;
    s.data = data;
    return s;
}

TEST(DecodeSound, UncompressedLayoutsAndCounts) {
    const std::vector<std::uint8_t> bytes8 = {0, 128, 255, 1};
    const std::vector<std::uint8_t> bytes16 = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80, 0x01};
    struct Case {
        const char* name;
        DefineSound sound;
        unsigned channels;
        Samples expected;
    } cases[] = {
        // 8-bit samples are unsigned: 128 is silence.
        {"8-bit mono", Define(3, false, false, 4, bytes8), 1, {-32768, 0, 32512, -32512}},
        {"8-bit stereo", Define(0, false, true, 2, bytes8), 2, {-32768, 0, 32512, -32512}},
        // Both the little-endian and the native format read little-endian; the odd byte
        // at the end is no sample.
        {"16-bit little", Define(3, true, false, 9, bytes16), 1, {0x1234, -1, -32768}},
        {"16-bit native", Define(0, true, false, 9, bytes16), 1, {0x1234, -1, -32768}},
        {"16-bit stereo", Define(3, true, true, 9, bytes16), 2, {0x1234, -1}},
        // The sample count cuts the data; a count beyond it plays what is there.
        {"count cuts", Define(3, false, false, 2, bytes8), 1, {-32768, 0}},
        {"no samples", Define(3, true, false, 0, bytes16), 1, {}},
        {"no data", Define(3, true, true, 1000, {}), 2, {}},
        // Formats this engine does not decode are silent.
        {"Nellymoser", Define(6, true, false, 4, bytes8), 1, {}},
        {"Speex", Define(11, true, false, 4, bytes8), 1, {}},
        {"unknown", Define(15, true, false, 4, bytes8), 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pcm pcm = DecodeSound(c.sound);
        EXPECT_EQ(pcm.samples, c.expected);
        EXPECT_EQ(pcm.channels, c.channels);
        EXPECT_EQ(pcm.rate, 22050u);
    }
    EXPECT_EQ(DecodeSound(Define(3, false, false, 4, bytes8), 3).Frames(), 3u);
    EXPECT_FALSE(MakeDecoder(Define(6, true, false, 0, {}).format)->Supported());
}

TEST(DecodeSound, AdpcmThroughTheDecoderInterface) {
    DefineSound s = Define(1, true, false, 4, {});
    const auto data = AdpcmData(4, 0, 0, {7, 15, 0, 9});
    s.data = data;
    EXPECT_EQ(DecodeSound(s).samples, (Samples{0, 11, -19, -15}));
}

// ---- MP3 frames -----------------------------------------------------------------------------

std::vector<std::uint8_t> Mp3Header(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return {0xFF, b1, b2, b3};
}

TEST(Mp3Frames, HeadersOfLayerThreeOnly) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t rate;
        unsigned channels, samples, kbps, length;
    } valid[] = {
        {"MPEG-1 128k 44.1 stereo", Mp3Header(0xFB, 0x90, 0x00), 44100, 2, 1152, 128, 417},
        {"padded", Mp3Header(0xFB, 0x92, 0x00), 44100, 2, 1152, 128, 418},
        {"MPEG-1 320k 32k mono", Mp3Header(0xFB, 0xE8, 0xC0), 32000, 1, 1152, 320, 1440},
        {"MPEG-2 64k 22.05", Mp3Header(0xF3, 0x80, 0x40), 22050, 2, 576, 64, 208},
        {"MPEG-2.5 8k 8k mono", Mp3Header(0xE3, 0x18, 0xC0), 8000, 1, 576, 8, 72},
        {"with CRC", Mp3Header(0xFA, 0x90, 0x00), 44100, 2, 1152, 128, 417},
    };
    for (const Case& c : valid) {
        SCOPED_TRACE(c.name);
        const auto h = ReadMp3FrameHeader(c.bytes);
        ASSERT_TRUE(h);
        EXPECT_EQ(h->rate, c.rate);
        EXPECT_EQ(h->channels, c.channels);
        EXPECT_EQ(h->samples, c.samples);
        EXPECT_EQ(h->kbps, c.kbps);
        EXPECT_EQ(h->bytes, c.length);
    }
    for (const auto& bad : {Mp3Header(0xFD, 0x90, 0x00),  // layer II
                            Mp3Header(0xEB, 0x90, 0x00),  // reserved version
                            Mp3Header(0xFB, 0x00, 0x00),  // free format
                            Mp3Header(0xFB, 0xF0, 0x00),  // forbidden bit rate
                            Mp3Header(0xFB, 0x9C, 0x00),  // reserved rate
                            Mp3Header(0x7B, 0x90, 0x00),  // no sync
                            std::vector<std::uint8_t>{0xFF, 0xFB, 0x90}}) {
        EXPECT_FALSE(ReadMp3FrameHeader(bad));
    }
}

TEST(Mp3Frames, WholeFramesAreFoundPastDamage) {
    const auto frame = swfwriter::SilentMp3Frame();
    std::vector<std::uint8_t> data = {0x00, 0xFF, 0xFB, 0x90};  // junk that looks like a header
    data.insert(data.end(), frame.begin(), frame.end());
    data.insert(data.end(), frame.begin(), frame.end());
    data.insert(data.end(), frame.begin(), frame.begin() + 100);  // cut short
    const auto first = FindMp3Frame(data, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->offset, 4u);
    const auto second = FindMp3Frame(data, first->offset + first->header.bytes);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->offset, 4u + frame.size());
    EXPECT_FALSE(FindMp3Frame(data, second->offset + second->header.bytes));
}

// ---- Fuzz seeds ----------------------------------------------------------------------------

// The sound fuzzer's seeds, every truncation of them and byte flips at every position: the
// cheap, deterministic part of fuzzing, run with every test run.
TEST(SoundFuzzReplay, SeedsSurviveTruncationAndByteFlips) {
    const auto seeds = swfwriter::SoundSeeds();
    ASSERT_GE(seeds.size(), 4u);
    for (const auto& seed : seeds) {
        SCOPED_TRACE(seed.name);
        FuzzSoundTags(seed.bytes);
        for (std::size_t n = 0; n < seed.bytes.size(); n += 1 + n / 32) {
            FuzzSoundTags(std::span(seed.bytes).first(n));
        }
        std::vector<std::uint8_t> flipped = seed.bytes;
        for (std::size_t i = 0; i < flipped.size(); i += 1 + i / 32) {
            for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
                flipped[i] ^= mask;
                FuzzSoundTags(flipped);
                flipped[i] ^= mask;
            }
        }
    }
}

}  // namespace
