// libFuzzer entry point for the sound tags, the decoders and the mixer: see sound_fuzz.h.
#include <cstddef>
#include <cstdint>

#include "flash/sound/sound_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    flash::sound::FuzzSoundTags({data, size});
    return 0;
}
