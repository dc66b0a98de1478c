#include "win/toolbar_resource.h"

#include <algorithm>
#include <cstdint>

namespace win {
namespace {

using Bytes = std::span<const unsigned char>;

std::uint32_t Word(Bytes bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}
std::uint32_t Dword(Bytes bytes, std::size_t at) {
    return Word(bytes, at) | Word(bytes, at + 2) << 16;
}

// header: the bytes before the first id; width: the bytes of one value of the layout.
std::optional<ToolBarResource> Parse(Bytes bytes, std::size_t header, std::size_t width,
                                     std::uint32_t (*read)(Bytes, std::size_t)) {
    const std::uint32_t imageWidth = read(bytes, header - 3 * width);
    const std::uint32_t imageHeight = read(bytes, header - 2 * width);
    const std::uint32_t count = read(bytes, header - width);
    if (imageWidth == 0 || imageHeight == 0 || imageWidth > 0xFFFF || imageHeight > 0xFFFF ||
        count > (bytes.size() - header) / width)
        return std::nullopt;
    ToolBarResource resource{static_cast<int>(imageWidth), static_cast<int>(imageHeight), {}};
    resource.ids.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t id = read(bytes, header + width * i);
        if (id > 0xFFFF) return std::nullopt;
        resource.ids.push_back(id);
    }
    return resource;
}

}  // namespace

std::optional<ToolBarResource> ParseToolBarResource(Bytes bytes) {
    // The 32-bit layout begins with the image width; read as the 16-bit layout, a width of 1
    // is followed by a 16-bit image width of 0, which that layout refuses: the two are never
    // mistaken for each other.
    if (bytes.size() >= 8 && Word(bytes, 0) == 1) {
        if (auto resource = Parse(bytes, 8, 2, Word)) return resource;
    }
    if (bytes.size() >= 12) return Parse(bytes, 12, 4, Dword);
    return std::nullopt;
}

std::size_t ToolBarImageCount(const ToolBarResource& resource) {
    return static_cast<std::size_t>(std::count_if(resource.ids.begin(), resource.ids.end(),
                                                  [](unsigned id) { return id != 0; }));
}

}  // namespace win
