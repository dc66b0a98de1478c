// libFuzzer entry point: see fuzz_target.h.
#include <cstddef>
#include <cstdint>

#include "tooltip/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tooltip::FuzzOneInput(data, size);
    return 0;
}
