#include "flash/render/blend.h"

#include <algorithm>

namespace flash::render {

namespace {

// Separable blend of premultiplied channels s, d with alphas sa, da (all 0..255); returns
// the result channel from the mode's term sa*da*B(d/da, s/sa), scaled to 255*255.
using Term = std::int32_t (*)(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da);

std::int32_t Multiply(std::int32_t s, std::int32_t d, std::int32_t, std::int32_t) {
    return s * d;
}
std::int32_t Screen(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    return s * da + d * sa - s * d;
}
std::int32_t Lighten(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    return std::max(s * da, d * sa);
}
std::int32_t Darken(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    return std::min(s * da, d * sa);
}
std::int32_t Difference(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    return std::abs(s * da - d * sa);
}
std::int32_t HardLight(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    if (2 * s <= sa) return 2 * s * d;
    return sa * da - 2 * (da - d) * (sa - s);
}
std::int32_t Overlay(std::int32_t s, std::int32_t d, std::int32_t sa, std::int32_t da) {
    return HardLight(d, s, da, sa);
}

Pixel Separable(Term term, Pixel src, Pixel dst) {
    const std::int32_t sa = PixelA(src), da = PixelA(dst);
    auto channel = [&](std::int32_t s, std::int32_t d) {
        const std::int32_t v = s * (255 - da) + d * (255 - sa) + term(s, d, sa, da);
        return static_cast<std::uint32_t>(
            Div255(static_cast<std::uint32_t>(std::clamp(v, 0, 255 * 255))));
    };
    const std::uint32_t a = Div255(static_cast<std::uint32_t>(sa * 255 + da * (255 - sa)));
    return PackPixel(a, std::min(channel(PixelR(src), PixelR(dst)), a),
                     std::min(channel(PixelG(src), PixelG(dst)), a),
                     std::min(channel(PixelB(src), PixelB(dst)), a));
}

}  // namespace

Pixel BlendPixel(BlendMode mode, Pixel src, Pixel dst) {
    const std::uint32_t sa = PixelA(src), da = PixelA(dst);
    switch (mode) {
        case BlendMode::Normal:
        case BlendMode::Layer:
            return Over(src, dst);
        case BlendMode::Multiply:
            return Separable(Multiply, src, dst);
        case BlendMode::Screen:
            return Separable(Screen, src, dst);
        case BlendMode::Lighten:
            return Separable(Lighten, src, dst);
        case BlendMode::Darken:
            return Separable(Darken, src, dst);
        case BlendMode::Difference:
            return Separable(Difference, src, dst);
        case BlendMode::Overlay:
            return Separable(Overlay, src, dst);
        case BlendMode::HardLight:
            return Separable(HardLight, src, dst);
        case BlendMode::Add: {
            const std::uint32_t a = Div255(sa * 255 + da * (255 - sa));
            return PackPixel(a, std::min(PixelR(src) + PixelR(dst), a),
                             std::min(PixelG(src) + PixelG(dst), a),
                             std::min(PixelB(src) + PixelB(dst), a));
        }
        case BlendMode::Subtract: {
            const std::uint32_t a = Div255(sa * 255 + da * (255 - sa));
            auto sub = [](std::uint32_t d, std::uint32_t s) { return d > s ? d - s : 0u; };
            return PackPixel(a, sub(PixelR(dst), PixelR(src)), sub(PixelG(dst), PixelG(src)),
                             sub(PixelB(dst), PixelB(src)));
        }
        case BlendMode::Invert: {
            auto inv = [&](std::uint32_t d) { return Div255((da - d) * sa + d * (255 - sa)); };
            return PackPixel(da, inv(PixelR(dst)), inv(PixelG(dst)), inv(PixelB(dst)));
        }
        case BlendMode::Alpha:
            // Where the object leaves no alpha at all, the backdrop keeps itself: Flash
            // Player's Alpha acts only on the pixels the object reaches.
            return sa == 0 ? dst : MulPixel(dst, sa);
        case BlendMode::Erase:
            return MulPixel(dst, 255 - sa);
    }
    return Over(src, dst);
}

void BlendRow(BlendMode mode, const Pixel* src, Pixel* dst, int count, const std::uint8_t* mask) {
    if (mode == BlendMode::Normal || mode == BlendMode::Layer) {
        for (int i = 0; i < count; ++i) {
            const Pixel s = mask != nullptr ? ScalePixel(src[i], mask[i] + (mask[i] >> 7)) : src[i];
            if (s != 0) dst[i] = Over(s, dst[i]);
        }
        return;
    }
    // Other modes can change the backdrop where the layer is empty (Invert, Subtract):
    // a mask mixes between the backdrop as it was and the blended result.
    for (int i = 0; i < count; ++i) {
        const Pixel blended = BlendPixel(mode, src[i], dst[i]);
        if (mask == nullptr || mask[i] == 255) {
            dst[i] = blended;
        } else if (mask[i] != 0) {
            const std::uint32_t k = mask[i] + (mask[i] >> 7);
            dst[i] = MixPixels(blended, dst[i], k);
        }
    }
}

}  // namespace flash::render
