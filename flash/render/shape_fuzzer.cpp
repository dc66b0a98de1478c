// libFuzzer entry point: see fuzz_shape.h.
#include <cstddef>
#include <cstdint>

#include "flash/render/fuzz_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    flash::render::FuzzShapeInput(data, size);
    return 0;
}
