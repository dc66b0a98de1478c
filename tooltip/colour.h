// Colours and rectangles as the tooltips work with them, without <windows.h>: a colour is a
// Windows colour value (0x00BBGGRR, red in the low byte); a pixel of a 32-bit picture read as
// a number is 0x00RRGGBB. Rectangles are left, top, right, bottom with the right and bottom
// edges outside, as GDI has them.
#pragma once

#include <cstdint>

namespace tooltip {

using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
// The same colour as a pixel of a 32-bit picture, and back.
constexpr std::uint32_t PixelOf(Colour c) {
    return static_cast<std::uint32_t>(RedOf(c) << 16 | GreenOf(c) << 8 | BlueOf(c));
}
constexpr Colour ColourOfPixel(std::uint32_t p) {
    return Rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF));
}

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The system colour indices the mark-up names (the values of the COLOR_ constants).
namespace syscolour {
constexpr int kScrollBar = 0;
constexpr int kBackground = 1;
constexpr int kActiveCaption = 2;
constexpr int kInactiveCaption = 3;
constexpr int kMenu = 4;
constexpr int kWindow = 5;
constexpr int kMenuText = 7;
constexpr int kWindowText = 8;
constexpr int kCaptionText = 9;
constexpr int kActiveBorder = 10;
constexpr int kInactiveBorder = 11;
constexpr int kAppWorkspace = 12;
constexpr int kHighlight = 13;
constexpr int kHighlightText = 14;
constexpr int kBtnFace = 15;
constexpr int kBtnShadow = 16;
constexpr int kGrayText = 17;
constexpr int kBtnText = 18;
constexpr int kInactiveCaptionText = 19;
constexpr int kBtnHighlight = 20;
constexpr int k3dDkShadow = 21;
constexpr int k3dLight = 22;
constexpr int kInfoText = 23;
constexpr int kInfoBk = 24;
}  // namespace syscolour

}  // namespace tooltip
