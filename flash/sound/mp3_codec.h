// The platform's MPEG layer III decoder, fed only whole frames of one format (the decoder in
// decoder.cpp finds them): the Audio Compression Manager's MP3 codec on Windows, libmpg123
// elsewhere. One codec object decodes one sound or one stream.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "flash/sound/mp3_frames.h"

namespace flash::sound {

class Mp3Codec {
public:
    virtual ~Mp3Codec() = default;

    // Prepares for frames of this rate and channel count; false when the system cannot
    // decode them (then nothing else is called).
    virtual bool Open(const Mp3FrameHeader& format) = 0;
    // Decodes whole frames and appends their 16-bit samples, interleaved when stereo. A codec
    // may hold some samples back until later frames or Finish.
    virtual void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& out) = 0;
    // Appends what is held back: the end of the sound.
    virtual void Finish(std::vector<std::int16_t>& out) = 0;
};

// The platform's codec; nullptr when there is none.
std::unique_ptr<Mp3Codec> MakeMp3Codec();

}  // namespace flash::sound
