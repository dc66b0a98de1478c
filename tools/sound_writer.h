// Sound tags for test movies, fuzz seeds and benchmarks, written from their fields as a
// movie holds them (independently of the engine's reader, so that each checks the other).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "tools/seed_movies.h"

namespace swfwriter {

using ByteVector = std::vector<std::uint8_t>;

// Bit fields from the most significant bit down, as SWF stores them.
class BitWriter {
public:
    void Put(std::uint32_t value, unsigned bits);
    // The bytes, the last one padded with zero bits.
    ByteVector Bytes() const;
    std::size_t BitCount() const { return bits_; }

private:
    ByteVector bytes_;
    std::size_t bits_ = 0;
};

// Codec (4 bits), rate code (2), 16-bit flag, stereo flag.
std::uint8_t SoundFormatByte(std::uint8_t codec, std::uint8_t rateCode, bool sixteenBit,
                             bool stereo);

struct EnvelopeSpec {
    std::uint32_t pos44 = 0;
    std::uint16_t left = 32768;
    std::uint16_t right = 32768;
};

struct SoundInfoSpec {
    bool stop = false;
    bool noMultiple = false;
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    std::optional<std::uint16_t> loops;
    std::optional<std::vector<EnvelopeSpec>> envelope;
};

ByteVector SoundInfoBytes(const SoundInfoSpec& info);
// `mp3Seek` is written for MP3 sounds (the caller says whether the format is MP3).
ByteVector DefineSoundBody(std::uint16_t id, std::uint8_t format, std::uint32_t sampleCount,
                           std::span<const std::uint8_t> data,
                           std::optional<std::int16_t> mp3Seek = std::nullopt);
ByteVector StartSoundBody(std::uint16_t id, const SoundInfoSpec& info);
ByteVector StartSound2Body(std::string_view className, const SoundInfoSpec& info);
ByteVector StreamHeadBody(std::uint8_t playback, std::uint8_t stream, std::uint16_t samplesPerFrame,
                          std::optional<std::int16_t> latencySeek = std::nullopt);
// For MP3 streams the sample count and seek come first.
ByteVector StreamBlockBody(std::span<const std::uint8_t> data,
                           std::optional<std::uint16_t> mp3SampleCount = std::nullopt,
                           std::int16_t mp3Seek = 0);

// 16-bit samples as little-endian bytes.
ByteVector Pcm16Bytes(std::span<const std::int16_t> samples);

// One tag as a movie holds it: the record header (long form when needed), then the body.
void AppendTag(ByteVector& out, std::uint16_t code, std::span<const std::uint8_t> body);

// A layer III frame of silence (MPEG-1, 128 kbit/s, 44.1 kHz, mono, 417 bytes).
ByteVector SilentMp3Frame();

// Runs of sound tags for the sound fuzzer: every format and every SoundInfo field, streams
// of PCM, ADPCM and MP3 blocks.
std::vector<SeedMovie> SoundSeeds();

}  // namespace swfwriter
