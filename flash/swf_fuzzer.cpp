// libFuzzer entry point: see fuzz_target.h.
#include <cstddef>
#include <cstdint>

#include "flash/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    flash::FuzzOneInput(data, size);
    return 0;
}
