// Every sound codec behind one interface: the pieces of coded data go in (a DefineSound's
// data, or one stream block after another), 16-bit samples come out, interleaved when
// stereo. Uncompressed PCM and ADPCM are decoded here; MP3 goes through the platform's codec
// (mp3_codec.h); formats this engine cannot decode give a decoder that produces nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "flash/sound/sound_tags.h"

namespace flash::sound {

// Decoded samples: 16 bits, interleaved when stereo.
struct Pcm {
    std::uint32_t rate = 44100;
    unsigned channels = 1;
    std::vector<std::int16_t> samples;

    std::size_t Frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The longest event sound decoded: 2^25 frames, 12.7 minutes at 44.1 kHz (128 MiB in
// stereo). A file cannot make the engine hold more than that per sound, whatever its data
// decodes to; the rest of a longer sound is not played.
inline constexpr std::size_t kMaxSoundFrames = std::size_t{1} << 25;

class Decoder {
public:
    virtual ~Decoder() = default;

    // The rate and channels of what Decode appends. MP3 learns them from its first frame
    // (until then, and for a stream whose frames never decode, the tag's format).
    virtual std::uint32_t Rate() const = 0;
    virtual unsigned Channels() const = 0;
    // Decodes one piece of coded data and appends at most `maxFrames` frames to `out`;
    // returns the frames appended. A piece that ends inside a frame or code loses that part.
    virtual std::size_t Decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out,
                               std::size_t maxFrames) = 0;
    // Appends what the codec still holds back at the end of the sound.
    virtual std::size_t Finish(std::vector<std::int16_t>& /*out*/, std::size_t /*maxFrames*/) {
        return 0;
    }
    // False for the formats this engine does not decode (Nellymoser, Speex, unknown codes)
    // and for MP3 without a working codec: such a decoder never produces samples.
    virtual bool Supported() const { return true; }
};

std::unique_ptr<Decoder> MakeDecoder(const SoundFormat& format);

// The whole sound of a DefineSound: MP3's seek samples are dropped from the start, and the
// result holds at most `sampleCount` frames (fewer when the data holds fewer) and never more
// than `maxFrames`.
Pcm DecodeSound(const DefineSound& sound, std::size_t maxFrames = kMaxSoundFrames);

}  // namespace flash::sound
