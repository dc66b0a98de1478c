#include "tools/sound_writer.h"

#include <cmath>
#include <string>

namespace swfwriter {
namespace {

void Put16(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(ByteVector& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Append(ByteVector& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

void BitWriter::Put(std::uint32_t value, unsigned bits) {
    for (unsigned i = bits; i > 0; --i) {
        if (bits_ % 8 == 0) bytes_.push_back(0);
        if ((value >> (i - 1)) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bits_ % 8));
        ++bits_;
    }
}

ByteVector BitWriter::Bytes() const {
    return bytes_;
}

std::uint8_t SoundFormatByte(std::uint8_t codec, std::uint8_t rateCode, bool sixteenBit,
                             bool stereo) {
    return static_cast<std::uint8_t>((codec << 4) | ((rateCode & 3) << 2) | (sixteenBit ? 2 : 0) |
                                     (stereo ? 1 : 0));
}

ByteVector SoundInfoBytes(const SoundInfoSpec& info) {
    ByteVector out;
    out.push_back(static_cast<std::uint8_t>(
        (info.stop ? 0x20 : 0) | (info.noMultiple ? 0x10 : 0) | (info.envelope ? 0x08 : 0) |
        (info.loops ? 0x04 : 0) | (info.outPoint ? 0x02 : 0) | (info.inPoint ? 0x01 : 0)));
    if (info.inPoint) Put32(out, *info.inPoint);
    if (info.outPoint) Put32(out, *info.outPoint);
    if (info.loops) Put16(out, *info.loops);
    if (info.envelope) {
        out.push_back(static_cast<std::uint8_t>(info.envelope->size()));
        for (const EnvelopeSpec& p : *info.envelope) {
            Put32(out, p.pos44);
            Put16(out, p.left);
            Put16(out, p.right);
        }
    }
    return out;
}

ByteVector DefineSoundBody(std::uint16_t id, std::uint8_t format, std::uint32_t sampleCount,
                           std::span<const std::uint8_t> data,
                           std::optional<std::int16_t> mp3Seek) {
    ByteVector out;
    Put16(out, id);
    out.push_back(format);
    Put32(out, sampleCount);
    if (mp3Seek) Put16(out, static_cast<std::uint16_t>(*mp3Seek));
    Append(out, data);
    return out;
}

ByteVector StartSoundBody(std::uint16_t id, const SoundInfoSpec& info) {
    ByteVector out;
    Put16(out, id);
    Append(out, SoundInfoBytes(info));
    return out;
}

ByteVector StartSound2Body(std::string_view className, const SoundInfoSpec& info) {
    ByteVector out(className.begin(), className.end());
    out.push_back(0);
    Append(out, SoundInfoBytes(info));
    return out;
}

ByteVector StreamHeadBody(std::uint8_t playback, std::uint8_t stream, std::uint16_t samplesPerFrame,
                          std::optional<std::int16_t> latencySeek) {
    ByteVector out{static_cast<std::uint8_t>(playback & 0x0F), stream};
    Put16(out, samplesPerFrame);
    if (latencySeek) Put16(out, static_cast<std::uint16_t>(*latencySeek));
    return out;
}

ByteVector StreamBlockBody(std::span<const std::uint8_t> data,
                           std::optional<std::uint16_t> mp3SampleCount, std::int16_t mp3Seek) {
    ByteVector out;
    if (mp3SampleCount) {
        Put16(out, *mp3SampleCount);
        Put16(out, static_cast<std::uint16_t>(mp3Seek));
    }
    Append(out, data);
    return out;
}

ByteVector Pcm16Bytes(std::span<const std::int16_t> samples) {
    ByteVector out;
    out.reserve(samples.size() * 2);
    for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
    return out;
}

void AppendTag(ByteVector& out, std::uint16_t code, std::span<const std::uint8_t> body) {
    if (body.size() < 0x3F) {
        Put16(out, static_cast<std::uint32_t>(code << 6) | static_cast<std::uint32_t>(body.size()));
    } else {
        Put16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
        Put32(out, static_cast<std::uint32_t>(body.size()));
    }
    Append(out, body);
}

ByteVector SilentMp3Frame() {
    // Sync, MPEG-1, layer III, no CRC; 128 kbit/s, 44.1 kHz, no padding; mono. The side
    // information of zeros gives every granule no bits: silence.
    ByteVector frame(417, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = 0xC0;
    return frame;
}

std::vector<SeedMovie> SoundSeeds() {
    constexpr std::uint16_t kShowFrame = 1;
    constexpr std::uint16_t kDefineSound = 14, kStartSound = 15, kStreamHead = 18,
                            kStreamBlock = 19, kStreamHead2 = 45, kStartSound2 = 89;
    std::vector<SeedMovie> seeds;

    std::vector<std::int16_t> tone(600);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<std::int16_t>(12000 * std::sin(static_cast<double>(i) * 0.3));
    }
    const ByteVector pcm16 = Pcm16Bytes(tone);
    ByteVector pcm8(300);
    for (std::size_t i = 0; i < pcm8.size(); ++i)
        pcm8[i] = static_cast<std::uint8_t>(128 + tone[i] / 256);
    BitWriter adpcm;
    adpcm.Put(2, 2);  // 4-bit codes
    adpcm.Put(0, 16);
    adpcm.Put(10, 6);
    for (unsigned i = 0; i < 500; ++i) adpcm.Put(i * 7 % 16, 4);
    const ByteVector adpcmBytes = adpcm.Bytes();
    ByteVector mp3;
    for (int i = 0; i < 3; ++i) Append(mp3, SilentMp3Frame());

    // Event sounds in every format, started with every SoundInfo field.
    {
        ByteVector t;
        AppendTag(t, kDefineSound,
                  DefineSoundBody(1, SoundFormatByte(3, 3, true, false), 600, pcm16));
        AppendTag(t, kDefineSound,
                  DefineSoundBody(2, SoundFormatByte(0, 1, false, true), 150, pcm8));
        AppendTag(t, kDefineSound,
                  DefineSoundBody(3, SoundFormatByte(1, 2, true, false), 501, adpcmBytes));
        AppendTag(t, kDefineSound,
                  DefineSoundBody(4, SoundFormatByte(2, 3, true, false), 3000, mp3, 576));
        AppendTag(t, kDefineSound,
                  DefineSoundBody(5, SoundFormatByte(6, 3, true, false), 100, pcm8));
        SoundInfoSpec all;
        all.noMultiple = true;
        all.inPoint = 100;
        all.outPoint = 500;
        all.loops = 3;
        all.envelope = std::vector<EnvelopeSpec>{{0, 0, 32768}, {300, 32768, 0}, {600, 1000, 1000}};
        for (std::uint16_t id = 1; id <= 5; ++id) {
            AppendTag(t, kStartSound, StartSoundBody(id, all));
            AppendTag(t, kStartSound, StartSoundBody(id, {}));
        }
        AppendTag(t, kShowFrame, {});
        SoundInfoSpec stop;
        stop.stop = true;
        AppendTag(t, kStartSound, StartSoundBody(1, stop));
        AppendTag(t, kStartSound2, StartSound2Body("Effect", all));
        AppendTag(t, kShowFrame, {});
        seeds.push_back({"events.tags", std::move(t)});
    }
    // Streams: PCM, ADPCM and MP3 blocks over a few frames, one frame without a block.
    const struct {
        const char* name;
        std::uint8_t format;
        ByteVector block;
        bool mp3;
    } streams[] = {
        {"stream-pcm.tags", SoundFormatByte(3, 1, true, false), pcm16, false},
        {"stream-adpcm.tags", SoundFormatByte(1, 1, true, true), adpcmBytes, false},
        {"stream-mp3.tags", SoundFormatByte(2, 3, true, false), SilentMp3Frame(), true},
    };
    for (const auto& s : streams) {
        ByteVector t;
        AppendTag(t, s.mp3 ? kStreamHead2 : kStreamHead,
                  StreamHeadBody(s.format, s.format, 600,
                                 s.mp3 ? std::optional<std::int16_t>(576) : std::nullopt));
        for (int frame = 0; frame < 4; ++frame) {
            if (frame != 2) {
                AppendTag(t, kStreamBlock,
                          StreamBlockBody(s.block,
                                          s.mp3 ? std::optional<std::uint16_t>(1152) : std::nullopt,
                                          frame == 0 ? 576 : 0));
            }
            AppendTag(t, kShowFrame, {});
        }
        seeds.push_back({s.name, std::move(t)});
    }
    return seeds;
}

}  // namespace swfwriter
