#include "flash/render/surface.h"

namespace flash::render {

bool SurfaceSizeAllowed(int width, int height) {
    return width >= 0 && height >= 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide &&
           std::int64_t{width} * height <= kMaxSurfacePixels;
}

bool PixelBuffer::Resize(int width, int height) {
    if (!SurfaceSizeAllowed(width, height)) {
        width_ = height_ = 0;
        pixels_.clear();
        return false;
    }
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * height, 0);
    return true;
}

}  // namespace flash::render
