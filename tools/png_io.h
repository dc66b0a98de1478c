// PNG files for the engine's pictures: swfrender writes them, the corpus tests read Flash
// Player's expected pictures. Straight (not premultiplied) 8-bit RGBA, rows top to bottom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pngio {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes
};

// Reads any PNG as RGBA (grey and RGB pictures get alpha 255). On failure returns false and
// leaves `out` unchanged.
bool ReadPng(const std::string& path, Image& out);

// False when the file cannot be written or the image is empty or inconsistent.
bool WritePng(const std::string& path, const Image& image);

}  // namespace pngio
