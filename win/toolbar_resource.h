// The toolbar resource (resource type 241) of a frame, and the bitmap resource of the same id
// that holds its images side by side, one per button that is not a separator. Resource
// compilers write the toolbar in one of two layouts, both little-endian:
//   Microsoft's rc:  16-bit version (1), image width, image height, button count, then one
//                    16-bit command id per button;
//   GNU windres:     32-bit image width, image height, button count, then one 32-bit command
//                    id per button.
// A command id of 0 is a separator.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace win {

inline constexpr unsigned kToolBarResourceType = 241;

struct ToolBarResource {
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<unsigned> ids;  // 0 for a separator
    friend bool operator==(const ToolBarResource&, const ToolBarResource&) = default;
};

// Either layout. Nothing when the data is neither: shorter than its header or than the
// buttons it announces, another version, an image of no width or height, or a 32-bit value
// past 16 bits. Bytes after the last button are ignored (resource data is padded).
std::optional<ToolBarResource> ParseToolBarResource(std::span<const unsigned char> bytes);

// The number of images the buttons take: one per button that is not a separator.
std::size_t ToolBarImageCount(const ToolBarResource& resource);

}  // namespace win
