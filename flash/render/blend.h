// Premultiplied pixel arithmetic and the blend modes a layer is composited with.
//
// The separable modes (Multiply, Screen, Lighten, Darken, Difference, Overlay, HardLight)
// follow the W3C Compositing and Blending formulas with source-over:
//   result = src * (1 - dstAlpha) + dst * (1 - srcAlpha) + srcAlpha * dstAlpha * B(dst, src)
// Normal and Layer are source-over. Flash's own modes:
//   Add        each channel min(dst + src, 1), alpha as source-over
//   Subtract   each colour channel max(dst - src, 0), alpha as source-over
//   Invert     the backdrop's colour inverted where the source covers it; its alpha unchanged
//   Alpha      the backdrop keeps as much of itself as the source's alpha, where the source
//              has any alpha at all (elsewhere it is left alone)
//   Erase      the backdrop loses as much of itself as the source's alpha
#pragma once

#include <algorithm>
#include <cstdint>

#include "flash/draw_types.h"
#include "flash/render/surface.h"

namespace flash::render {

// x / 255 rounded, for x up to 255 * 255.
constexpr std::uint32_t Div255(std::uint32_t x) {
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}

// Every channel times k / 256 (k from 0 to 256), rounded up: a pixel half covered by an opaque
// colour takes half of it and leaves the backdrop 127/255, as Flash Player's pictures show.
inline Pixel ScalePixel(Pixel p, std::uint32_t k) {
    const std::uint32_t rb = (((p & 0x00FF00FFu) * k + 0x00FF00FFu) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag = (((p >> 8) & 0x00FF00FFu) * k + 0x00FF00FFu) & 0xFF00FF00u;
    return rb | ag;
}

// a * k / 256 + b * (256 - k) / 256 per channel, rounded, k from 0 to 256.
inline Pixel MixPixels(Pixel a, Pixel b, std::uint32_t k) {
    const std::uint32_t rb =
        (((a & 0x00FF00FFu) * k + (b & 0x00FF00FFu) * (256 - k) + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag =
        (((a >> 8) & 0x00FF00FFu) * k + ((b >> 8) & 0x00FF00FFu) * (256 - k) + 0x00800080u) &
        0xFF00FF00u;
    return rb | ag;
}

// Every channel times a / 255, rounded.
inline Pixel MulPixel(Pixel p, std::uint32_t a) {
    return PackPixel(Div255(PixelA(p) * a), Div255(PixelR(p) * a), Div255(PixelG(p) * a),
                     Div255(PixelB(p) * a));
}

// Source-over of premultiplied pixels.
inline Pixel Over(Pixel src, Pixel dst) {
    const std::uint32_t inv = 255 - (src >> 24);
    if (inv == 0) return src;
    std::uint32_t rb = (dst & 0x00FF00FFu) * inv + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t ag = ((dst >> 8) & 0x00FF00FFu) * inv + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return src + (rb | ag);
}

// Source-over of a premultiplied pixel that covers `k` 256ths of the backdrop pixel (k from 0
// to 256), per channel (src * k + dst * (256 - srcAlpha * k / 255)) / 256, rounded down:
// Flash Player's pictures take an opaque colour covering a quarter of white to 255 - 3/4 of
// the difference, never rounding up (73 over 255 at a quarter gives 209, not 210).
inline Pixel Over(Pixel src, Pixel dst);
inline Pixel CoverOver(Pixel src, Pixel dst, std::uint32_t k) {
    if (k >= 256) return Over(src, dst);
    constexpr std::uint32_t kWhole = 256 * 255;
    const std::uint32_t keep = kWhole - PixelA(src) * k;
    auto channel = [&](int shift) {
        const std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return std::min<std::uint32_t>((s * k * 255 + d * keep) / kWhole, 255) << shift;
    };
    return channel(24) | channel(16) | channel(8) | channel(0);
}

// One pixel of a layer composited onto its backdrop.
Pixel BlendPixel(BlendMode mode, Pixel src, Pixel dst);

// A row of a layer onto its backdrop; `mask` (0 to 255 per pixel) scales the layer first when
// given.
void BlendRow(BlendMode mode, const Pixel* src, Pixel* dst, int count, const std::uint8_t* mask);

}  // namespace flash::render
