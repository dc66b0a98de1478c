// What the sound fuzzer does with one input, shared with the replay test and with the movie
// fuzzer, so that all of them exercise the same paths.
#pragma once

#include <cstdint>
#include <span>

namespace flash::sound {

// Reads the bytes as a run of SWF tags (record headers as in a movie) and plays their sound
// tags as a movie would: definitions, starts and stops, a stream from its blocks (started at
// the first frame and in the middle), mixing a buffer per ShowFrame and a little more at the
// end. Every DefineSound's and block's data is also decoded as mono and stereo ADPCM.
void FuzzSoundTags(std::span<const std::uint8_t> tags);

// The same for the tags of an uncompressed movie (its bytes, header included).
void FuzzMovieSounds(std::span<const std::uint8_t> movieBytes);

}  // namespace flash::sound
