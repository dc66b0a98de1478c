#include "tools/png_io.h"

// stb's single-header codecs from Debian's libstb-dev, compiled here once for the project.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <memory>

namespace pngio {

bool ReadPng(const std::string& path, Image& out) {
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load(path.c_str(), &w, &h, &channels, 4),
                                                     &stbi_image_free);
    if (!pixels || w <= 0 || h <= 0) return false;
    const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    out.width = w;
    out.height = h;
    out.rgba.assign(pixels.get(), pixels.get() + bytes);
    return true;
}

bool WritePng(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        return false;
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

}  // namespace pngio
