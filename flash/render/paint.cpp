#include "flash/render/paint.h"

#include "flash/render/blend.h"

#include <algorithm>
#include <cmath>

namespace flash::render {

namespace {

std::uint8_t TransformChannel(std::uint8_t value, std::int32_t mul, std::int32_t add) {
    const std::int64_t v = std::int64_t{value} * mul / 256 + add;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

// Linear-RGB gradients mix their colours in linear light held in 8 bits, as Flash Player's
// do: each channel goes into linear light and back through a table, truncating both ways, so
// dark mixtures step coarsely. The way back keeps Flash Player's single-precision constants,
// under which full intensity comes back as 254.
struct LinearLightTables {
    std::array<std::uint8_t, 256> toLinear{};
    std::array<std::uint8_t, 256> fromLinear{};
};

const LinearLightTables& LinearLight() {
    static const LinearLightTables tables = [] {
        LinearLightTables t;
        const double a = static_cast<double>(1.055f), b = static_cast<double>(0.055f);
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            const double back = c <= 0.0031308 ? c * 12.92 : a * std::pow(c, 1 / 2.4) - b;
            t.toLinear[i] =
                static_cast<std::uint8_t>(std::clamp(std::floor(linear * 255), 0.0, 255.0));
            t.fromLinear[i] =
                static_cast<std::uint8_t>(std::clamp(std::floor(back * 255), 0.0, 255.0));
        }
        return t;
    }();
    return tables;
}

// Flash Player's ramps round their mixed values down: a gradient from 197 to 161 over 24
// pixels steps 196, 194, 193, 191, never 195. The tiny bias keeps a value that is whole in
// exact arithmetic from falling to the number below it.
std::uint8_t Floor255(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(v + 1e-9), 0.0, 255.0));
}

// The colour `t` of the way from a to b (0 <= t <= 1).
Rgba Mix(Rgba a, Rgba b, double t, bool linearLight) {
    const LinearLightTables& light = LinearLight();
    auto mix = [&](std::uint8_t x, std::uint8_t y) {
        if (!linearLight) return Floor255(x + (y - x) * t);
        const int lx = light.toLinear[x], ly = light.toLinear[y];
        return light.fromLinear[Floor255(lx + (ly - lx) * t)];
    };
    Rgba out;
    out.r = mix(a.r, b.r);
    out.g = mix(a.g, b.g);
    out.b = mix(a.b, b.b);
    out.a = Floor255(a.a + (b.a - a.a) * t);
    return out;
}

}  // namespace

Rgba ApplyColorTransform(Rgba c, const ColorTransform& cx) {
    return {TransformChannel(c.r, cx.rMul, cx.rAdd), TransformChannel(c.g, cx.gMul, cx.gAdd),
            TransformChannel(c.b, cx.bMul, cx.bAdd), TransformChannel(c.a, cx.aMul, cx.aAdd)};
}

Pixel Premultiply(Rgba c) {
    auto mul = [a = c.a](std::uint32_t v) { return (v * a + 127) / 255; };
    return PackPixel(c.a, mul(c.r), mul(c.g), mul(c.b));
}

void BuildGradientRamp(const Gradient& g, const ColorTransform& cx, GradientRamp& ramp) {
    const std::span<const GradientStop> stops = g.Stops();
    if (stops.empty()) {
        ramp.fill(0);
        return;
    }
    std::array<Rgba, kMaxGradientStops> colors;
    for (std::size_t i = 0; i < stops.size(); ++i)
        colors[i] = ApplyColorTransform(stops[i].color, cx);
    const bool linearLight = g.interpolation == Interpolation::LinearRgb;
    // The ramp walks the stops in their stored order, passing at most one stop per entry:
    // entry i lies between stop `at` and the next once i is past the next one's ratio. So a
    // run of stops that share a ratio (or go back) shows its stops one entry each after that
    // ratio, the run's first stop twice, and the entries after it mix from the run's last
    // stop as if it had been reached at the run's ratio.
    int at = -1;  // before the first stop
    const int last = static_cast<int>(stops.size()) - 1;
    for (int i = 0; i < 256; ++i) {
        if (at < last && i > stops[at + 1].ratio) ++at;
        Rgba c;
        if (at < 0) {
            c = Mix(colors[0], colors[0], 0, linearLight);
        } else if (at == last) {
            c = Mix(colors[last], colors[last], 0, linearLight);
        } else {
            const GradientStop& a = stops[at];
            const GradientStop& b = stops[at + 1];
            const double t = b.ratio > a.ratio ? double(i - a.ratio) / (b.ratio - a.ratio) : 0.0;
            c = Mix(colors[at], colors[at + 1], std::clamp(t, 0.0, 1.0), linearLight);
        }
        ramp[i] = Premultiply(c);
    }
}

double GradientPosition(FillKind kind, double focal, double gx, double gy) {
    constexpr double kHalf = 16384;
    switch (kind) {
        case FillKind::LinearGradient:
            return (gx + kHalf) / (2 * kHalf);
        case FillKind::RadialGradient:
            return std::sqrt(gx * gx + gy * gy) / kHalf;
        case FillKind::FocalGradient: {
            // t is how far the point lies from the focal point towards the circle, along the
            // ray from the focal point through it. Flash Player keeps the focal point 2 % of
            // the radius inside the circle, so the ramp never folds at its edge.
            constexpr double kFocalLimit = 0.98;
            const double fx = std::clamp(focal, -kFocalLimit, kFocalLimit) * kHalf;
            const double dx = gx - fx, dy = gy;
            const double dd = dx * dx + dy * dy;
            if (dd == 0) return 0;
            const double fd = fx * dx;
            const double disc = fd * fd - dd * (fx * fx - kHalf * kHalf);
            const double denom = -fd + std::sqrt(std::max(disc, 0.0));
            return denom > 0 ? dd / denom : 1.0;
        }
        default:
            return 0;
    }
}

double ApplySpread(SpreadMode spread, double t) {
    // NaN or infinity from a degenerate placement: the start, or the end of a padded ramp.
    if (!std::isfinite(t)) return spread == SpreadMode::Pad && t > 0 ? 1 : 0;
    switch (spread) {
        case SpreadMode::Pad:
            return std::clamp(t, 0.0, 1.0);
        case SpreadMode::Repeat:
            return t - std::floor(t);
        case SpreadMode::Reflect: {
            const double period = t - 2 * std::floor(t / 2);  // 0..2
            return period > 1 ? 2 - period : period;
        }
    }
    return 0;
}

Pixel RampColor(const GradientRamp& ramp, SpreadMode spread, RampSampling sampling, double t) {
    const double unit = ApplySpread(spread, t);
    if (sampling == RampSampling::CornerEntry)
        return ramp[static_cast<int>(std::min(unit * 256, 255.0))];
    // Entry i holds the colour at the middle of the i-th 256th of the unit; between middles
    // the colour is mixed from the two entries.
    const double pos = std::clamp(unit * 256 - 0.5, 0.0, 255.0);
    const auto i = static_cast<int>(pos);
    const auto k = static_cast<std::uint32_t>((pos - i) * 256 + 0.5);
    if (k == 0 || i == 255) return ramp[i];
    return MixPixels(ramp[i + 1], ramp[i], k);
}

bool Invert(const Matrix& m, Matrix& out) {
    const double det = m.a * m.d - m.b * m.c;
    if (!(std::abs(det) > 1e-12) || !std::isfinite(det)) return false;
    out.a = m.d / det;
    out.b = -m.b / det;
    out.c = -m.c / det;
    out.d = m.a / det;
    out.tx = -(out.a * m.tx + out.c * m.ty);
    out.ty = -(out.b * m.tx + out.d * m.ty);
    return true;
}

void MakePaint(const FillStyle& style, const Matrix& toDevice, const ColorTransform& cx,
               GradientRamp& ramp, std::uint32_t rampIndex, Paint& paint, const Bitmap* bitmap,
               bool smoothing, RampSampling sampling) {
    paint = Paint{};
    switch (style.kind) {
        case FillKind::Solid: {
            const Rgba c = ApplyColorTransform(style.color, cx);
            paint.kind = c.a == 0 ? Paint::Kind::None : Paint::Kind::Solid;
            paint.color = Premultiply(c);
            paint.opaque = c.a == 255;
            return;
        }
        case FillKind::LinearGradient:
        case FillKind::RadialGradient:
        case FillKind::FocalGradient: {
            BuildGradientRamp(style.gradient, cx, ramp);
            if (!Invert(toDevice * style.matrix, paint.inverse)) {
                // A gradient squeezed to nothing: its end colour everywhere.
                paint.kind = Paint::Kind::Solid;
                paint.color = ramp[255];
                paint.opaque = PixelA(paint.color) == 255;
                return;
            }
            paint.kind = Paint::Kind::Gradient;
            paint.gradientKind = style.kind;
            paint.spread = style.gradient.spread;
            paint.sampling = sampling;
            paint.focalPoint = style.gradient.focalPoint;
            paint.ramp = rampIndex;
            paint.opaque =
                std::all_of(ramp.begin(), ramp.end(), [](Pixel p) { return PixelA(p) == 255; });
            return;
        }
        case FillKind::Bitmap: {
            if (bitmap == nullptr || bitmap->Empty()) return;
            // A placement that collapses the bitmap draws nothing.
            if (!Invert(toDevice * style.matrix, paint.inverse)) return;
            paint.kind = Paint::Kind::Bitmap;
            paint.bitmap = bitmap;
            paint.repeat = style.bitmapRepeat;
            // Without smoothing from the quality, a bitmap drawn at or above its size stays
            // blocky, but one drawn smaller is still filtered: Flash Player's low-quality
            // pictures of scaled-down photos show no sampling noise.
            const Matrix& back = paint.inverse;
            const bool shrunk = std::hypot(back.a, back.b) > 1 || std::hypot(back.c, back.d) > 1;
            paint.smooth = style.bitmapSmoothed && (smoothing || shrunk);
            paint.transform = !cx.IsIdentity();
            paint.cx = cx;
            return;
        }
    }
}

namespace {

// Which column (or row) of a bitmap `i` falls on: tiled, or held to the edge.
inline int Wrap(long long i, int size, bool repeat) {
    if (repeat) {
        const long long m = i % size;
        return static_cast<int>(m < 0 ? m + size : m);
    }
    return static_cast<int>(std::clamp<long long>(i, 0, size - 1));
}

// Coordinates far outside any bitmap are brought near it first, so that integer conversion
// stays defined; the pixel chosen does not change.
inline double Tame(double v, int size, bool repeat) {
    if (!(v == v)) return 0;
    constexpr double kFar = 1 << 30;
    if (repeat && (v > kFar || v < -kFar)) return v - std::floor(v / size) * size;
    return std::clamp(v, -kFar, kFar);
}

Pixel TransformPixel(Pixel p, const ColorTransform& cx) {
    const std::uint32_t a = PixelA(p);
    auto straight = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>(a == 0 ? 0 : std::min(255u, (c * 255 + a / 2) / a));
    };
    const Rgba c{straight(PixelR(p)), straight(PixelG(p)), straight(PixelB(p)),
                 static_cast<std::uint8_t>(a)};
    return Premultiply(ApplyColorTransform(c, cx));
}

}  // namespace

void ShadeBitmap(const Paint& paint, int x, int y, int count, Pixel* out) {
    const Bitmap& b = *paint.bitmap;
    const Matrix& m = paint.inverse;
    double u = m.a * (x + 0.5) + m.c * (y + 0.5) + m.tx;
    double v = m.b * (x + 0.5) + m.d * (y + 0.5) + m.ty;
    for (int i = 0; i < count; ++i, u += m.a, v += m.b) {
        const double tu = Tame(u, b.width, paint.repeat), tv = Tame(v, b.height, paint.repeat);
        if (!paint.smooth) {
            const int row = Wrap(static_cast<long long>(std::floor(tv)), b.height, paint.repeat);
            const int col = Wrap(static_cast<long long>(std::floor(tu)), b.width, paint.repeat);
            out[i] = b.Row(row)[col];
            continue;
        }
        // Bilinear between the four pixel centres around the point.
        const double su = tu - 0.5, sv = tv - 0.5;
        const double fu = std::floor(su), fv = std::floor(sv);
        const auto ku = static_cast<std::uint32_t>((su - fu) * 256 + 0.5);
        const auto kv = static_cast<std::uint32_t>((sv - fv) * 256 + 0.5);
        const auto iu = static_cast<long long>(fu), iv = static_cast<long long>(fv);
        const int x0 = Wrap(iu, b.width, paint.repeat), x1 = Wrap(iu + 1, b.width, paint.repeat);
        const Pixel* r0 = b.Row(Wrap(iv, b.height, paint.repeat));
        const Pixel* r1 = b.Row(Wrap(iv + 1, b.height, paint.repeat));
        const Pixel top = MixPixels(r0[x1], r0[x0], ku);
        const Pixel bottom = MixPixels(r1[x1], r1[x0], ku);
        out[i] = MixPixels(bottom, top, kv);
    }
    // Mixing treats the channels alike: turning red and blue after it is turning them before.
    if (b.redBlueSwapped) {
        for (int i = 0; i < count; ++i) out[i] = SwapRedBlue(out[i]);
    }
    if (paint.transform) {
        for (int i = 0; i < count; ++i) out[i] = TransformPixel(out[i], paint.cx);
    }
}

void ShadeGradient(const Paint& paint, const GradientRamp& ramp, int x, int y, int count,
                   Pixel* out) {
    const Matrix& m = paint.inverse;
    const double at = paint.sampling == RampSampling::CornerEntry ? 0 : 0.5;
    double gx = m.a * (x + at) + m.c * (y + at) + m.tx;
    double gy = m.b * (x + at) + m.d * (y + at) + m.ty;
    if (paint.gradientKind == FillKind::LinearGradient) {
        for (int i = 0; i < count; ++i, gx += m.a) {
            out[i] = RampColor(ramp, paint.spread, paint.sampling, (gx + 16384) / 32768);
        }
        return;
    }
    for (int i = 0; i < count; ++i, gx += m.a, gy += m.b) {
        const double t = GradientPosition(paint.gradientKind, paint.focalPoint, gx, gy);
        out[i] = RampColor(ramp, paint.spread, paint.sampling, t);
    }
}

}  // namespace flash::render
