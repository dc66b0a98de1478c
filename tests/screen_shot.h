// What the window tests read off the screen: the pixels a user sees in a rectangle, and PNG
// pictures of them kept in the build tree for a person to look at. The test program that
// includes this defines STB_IMAGE_WRITE_IMPLEMENTATION in one of its files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "stb_image_write.h"
#include "tooltip/draw_manager.h"

namespace screenshot {

// The screen's pixels in r (0x00RRGGBB, rows top-down).
inline tooltip::Picture Grab(const RECT& r) {
    HDC screen = GetDC(nullptr);
    tooltip::Picture p =
        tooltip::ReadPicture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return p;
}

inline COLORREF At(const tooltip::Picture& p, int x, int y) {
    return tooltip::ColourOfPixel(p.At(x, y));
}

// Writes the picture as a PNG file (in the test's working folder, the build tree), scaled up
// by a whole factor so that strokes of small characters can be checked.
inline bool SavePng(const tooltip::Picture& p, const std::string& file, int scale = 1) {
    if (p.pixels.empty() || scale < 1) return false;
    const int w = p.width * scale, h = p.height * scale;
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = p.At(x / scale, y / scale);
            rgb.push_back(static_cast<unsigned char>(px >> 16));
            rgb.push_back(static_cast<unsigned char>(px >> 8));
            rgb.push_back(static_cast<unsigned char>(px));
        }
    }
    return stbi_write_png(file.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}

}  // namespace screenshot
