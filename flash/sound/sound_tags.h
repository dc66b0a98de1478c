// The sound tags of a SWF file, read from their bodies into plain values. Spans and texts in
// the results point into the body, so they live as long as the movie's bytes.
//
// Every reader is bounded by its body: a field cut short rejects the tag (nullopt), bytes
// beyond the last field are ignored, and nothing is allocated from a count the file states
// except the envelope, whose count is one byte (at most 255 points).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace flash::sound {

inline constexpr std::uint16_t kTagDefineSound = 14;
inline constexpr std::uint16_t kTagStartSound = 15;
inline constexpr std::uint16_t kTagSoundStreamHead = 18;
inline constexpr std::uint16_t kTagSoundStreamBlock = 19;
inline constexpr std::uint16_t kTagSoundStreamHead2 = 45;
inline constexpr std::uint16_t kTagStartSound2 = 89;

using Bytes = std::span<const std::uint8_t>;

// The 4-bit SoundFormat field. Values not listed here are kept as they are and play silently.
enum class Codec : std::uint8_t {
    PcmNative = 0,  // uncompressed in the authoring machine's byte order: little-endian in practice
    Adpcm = 1,
    Mp3 = 2,
    PcmLittle = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

struct SoundFormat {
    Codec codec = Codec::PcmLittle;
    std::uint8_t rateCode = 3;  // 0..3: 5.5, 11, 22 and 44 kHz
    bool sixteenBit = true;     // uncompressed data only; the codecs always give 16 bits
    bool stereo = false;

    // 5512, 11025, 22050 or 44100; the Nellymoser variants with a fixed rate ignore the field.
    std::uint32_t RateHz() const;
    unsigned Channels() const { return stereo ? 2u : 1u; }
    bool operator==(const SoundFormat&) const = default;
};

// Envelope levels run from 0 to 32768 (full level); positions count 44.1 kHz samples from
// the sound's first sample.
inline constexpr std::uint16_t kFullLevel = 32768;

struct EnvelopePoint {
    std::uint32_t pos44 = 0;
    std::uint16_t left = kFullLevel;
    std::uint16_t right = kFullLevel;
    bool operator==(const EnvelopePoint&) const = default;
};

struct SoundInfo {
    bool stop = false;        // stop every instance of the sound instead of starting it
    bool noMultiple = false;  // do not start it while an instance is playing
    // Both in 44.1 kHz samples of the sound: the first sample played and the one it ends at.
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    // How often the sound plays; the stored 0 plays it once, like 1.
    std::uint16_t loops = 1;
    std::vector<EnvelopePoint> envelope;

    unsigned Plays() const { return loops == 0 ? 1u : loops; }
    bool operator==(const SoundInfo&) const = default;
};

struct DefineSound {
    std::uint16_t id = 0;
    SoundFormat format;
    // Samples per channel the sound holds, as the file states (not trusted: see DecodeSound).
    std::uint32_t sampleCount = 0;
    // MP3 only: samples at the start of the decoded data that are not part of the sound.
    std::int16_t seekSamples = 0;
    Bytes data;  // the coded samples (for MP3, the frames after the seek field)
};

// StartSound names the sound by id, StartSound2 by its class name (id 0).
struct StartSound {
    std::uint16_t id = 0;
    std::string_view className;
    SoundInfo info;
};

struct StreamHead {
    SoundFormat playback;  // what the authoring tool suggested for playing; not used
    SoundFormat stream;    // what the blocks hold
    // The average samples per frame of the blocks.
    std::uint16_t samplesPerFrame = 0;
    // MP3 only: the encoder's delay in samples at the start of the stream.
    std::int16_t latencySeek = 0;
};

struct StreamBlock {
    // MP3 only: the samples this block's frame plays, and the samples of the block's decoded
    // data that belong to the frame before it.
    std::uint16_t sampleCount = 0;
    std::int16_t seekSamples = 0;
    Bytes data;
};

std::optional<DefineSound> ParseDefineSound(Bytes body);
// For kTagStartSound and kTagStartSound2; other codes give nullopt.
std::optional<StartSound> ParseStartSound(std::uint16_t tagCode, Bytes body);
// For kTagSoundStreamHead and kTagSoundStreamHead2 alike. An MP3 head that ends before its
// latency field is accepted with a latency of 0.
std::optional<StreamHead> ParseSoundStreamHead(Bytes body);
// The block's fields depend on the stream's codec.
std::optional<StreamBlock> ParseSoundStreamBlock(const StreamHead& head, Bytes body);

}  // namespace flash::sound
