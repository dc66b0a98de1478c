#include "flash/render/filters.h"

#include <algorithm>
#include <cmath>

#include "flash/render/blend.h"
#include "flash/render/paint.h"

namespace flash::render {

namespace {

double Clamp(double v, double lo, double hi) {
    return !(v == v) ? lo : std::clamp(v, lo, hi);
}

int Passes(const Filter& f) {
    return std::clamp<int>(f.passes, 1, kMaxFilterPasses);
}

// The box a blur value spreads over, in device pixels: the largest odd count of pixels
// within the blur as the stage's scale makes it (a blur of 2 at scale 2 is a box of 3, one of
// 1 at that scale no blur at all).
int BoxWidth(double blur, double scale) {
    const double pixels = Clamp(blur, 0, kMaxBlur) * Clamp(scale, 0, kMaxFilterScale);
    return 2 * static_cast<int>(std::max(pixels - 1, 0.0) / 2) + 1;
}

// The offset of a shadow or bevel in whole device pixels.
void Offset(const Filter& f, double scale, int& dx, int& dy) {
    const double d = Clamp(f.distance, -1e4, 1e4) * scale;
    const double angle = Clamp(f.angle, -1e4, 1e4);
    dx = static_cast<int>(std::lround(std::cos(angle) * d));
    dy = static_cast<int>(std::lround(std::sin(angle) * d));
}

// One line of a box blur: `n` bytes `step` apart, each replaced by the mean of the `box`
// bytes centred on it (an odd count), rounded down; what lies past the ends counts as 0.
// Running sums keep the cost at two additions per byte whatever the box.
void BoxLine(std::uint8_t* line, int n, std::ptrdiff_t step, int box,
             std::vector<std::uint32_t>& sums) {
    const int half = box / 2;
    sums.resize(static_cast<std::size_t>(n) + 1);
    sums[0] = 0;
    for (int i = 0; i < n; ++i) sums[i + 1] = sums[i] + line[i * step];
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(i - half, 0), hi = std::min(i + half + 1, n);
        line[i * step] = static_cast<std::uint8_t>((sums[hi] - sums[lo]) / box);
    }
}

// A plane shifted by (dx, dy); what comes in from outside is `fill`.
void Shift(const std::uint8_t* in, std::uint8_t* out, int w, int h, int dx, int dy,
           std::uint8_t fill) {
    for (int y = 0; y < h; ++y) {
        const int sy = y - dy;
        for (int x = 0; x < w; ++x) {
            const int sx = x - dx;
            out[y * w + x] = sx >= 0 && sx < w && sy >= 0 && sy < h ? in[sy * w + sx] : fill;
        }
    }
}

std::uint8_t Strength(std::uint32_t v, double strength) {
    return static_cast<std::uint8_t>(std::min(255.0, v * strength + 0.5));
}

// A colour at `alpha` (0..255) of its own alpha, premultiplied.
Pixel Tint(Rgba c, std::uint32_t alpha) {
    const std::uint32_t a = Div255(c.a * alpha);
    return PackPixel(a, Div255(c.r * a), Div255(c.g * a), Div255(c.b * a));
}

void Shadow(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s, bool glow) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t>& alpha = s.planes[0];
    std::vector<std::uint8_t>& shade = s.planes[1];
    alpha.resize(n);
    shade.resize(n);
    for (std::size_t i = 0; i < n; ++i) alpha[i] = static_cast<std::uint8_t>(PixelA(px[i]));
    int dx = 0, dy = 0;
    if (!glow) Offset(f, scale, dx, dy);
    if (f.inner) {
        // The shadow of what lies outside the object falls inwards.
        std::vector<std::uint8_t>& inverted = s.planes[2];
        inverted.resize(n);
        for (std::size_t i = 0; i < n; ++i) inverted[i] = 255 - alpha[i];
        Shift(inverted.data(), shade.data(), w, h, dx, dy, 255);
    } else {
        Shift(alpha.data(), shade.data(), w, h, dx, dy, 0);
    }
    BoxBlur(shade.data(), w, h, BoxWidth(f.blurX, scale), BoxWidth(f.blurY, scale), Passes(f), s);
    const double strength = Clamp(f.strength, 0, 255);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t a = Strength(shade[i], strength);
        if (f.inner) a = Div255(a * alpha[i]);
        const Pixel shadow = Tint(f.color, a);
        const Pixel src = px[i];
        if (f.inner) {
            px[i] = f.knockout || !f.compositeSource ? shadow : Over(shadow, src);
        } else if (f.knockout) {
            px[i] = MulPixel(shadow, 255 - alpha[i]);
        } else if (!f.compositeSource) {
            px[i] = shadow;
        } else {
            px[i] = Over(src, shadow);
        }
    }
}

void Bevel(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t>& alpha = s.planes[0];
    std::vector<std::uint8_t>& lit = s.planes[1];
    std::vector<std::uint8_t>& dark = s.planes[2];
    alpha.resize(n);
    lit.resize(n);
    dark.resize(n);
    for (std::size_t i = 0; i < n; ++i) alpha[i] = static_cast<std::uint8_t>(PixelA(px[i]));
    int dx = 0, dy = 0;
    Offset(f, scale, dx, dy);
    // The edge facing the light is where the object shifted towards the light is missing.
    Shift(alpha.data(), lit.data(), w, h, dx, dy, 0);
    Shift(alpha.data(), dark.data(), w, h, -dx, -dy, 0);
    const int bx = BoxWidth(f.blurX, scale), by = BoxWidth(f.blurY, scale);
    BoxBlur(lit.data(), w, h, bx, by, Passes(f), s);
    BoxBlur(dark.data(), w, h, bx, by, Passes(f), s);
    const double strength = Clamp(f.strength, 0, 255);
    for (std::size_t i = 0; i < n; ++i) {
        const int diff = int(dark[i]) - int(lit[i]);
        std::uint32_t hi = Strength(static_cast<std::uint32_t>(std::max(diff, 0)), strength);
        std::uint32_t lo = Strength(static_cast<std::uint32_t>(std::max(-diff, 0)), strength);
        if (f.inner) {
            hi = Div255(hi * alpha[i]);
            lo = Div255(lo * alpha[i]);
        } else if (!f.onTop) {  // outer: around the object only
            hi = Div255(hi * (255 - alpha[i]));
            lo = Div255(lo * (255 - alpha[i]));
        }
        const Pixel bevel = Over(Tint(f.highlight, hi), Tint(f.color, lo));
        const Pixel src = px[i];
        if (f.knockout || !f.compositeSource) {
            px[i] = bevel;
        } else {
            px[i] = f.inner ? Over(bevel, src) : Over(src, bevel);
        }
    }
}

void ColorMatrix(const Filter& f, Pixel* px, std::size_t n) {
    const float* m = f.matrix.data();
    for (std::size_t i = 0; i < n; ++i) {
        const Pixel p = px[i];
        const std::uint32_t a = PixelA(p);
        auto straight = [a](std::uint32_t c) {
            return a == 0 ? 0.0 : std::min(255.0, c * 255.0 / a);
        };
        const double in[4] = {straight(PixelR(p)), straight(PixelG(p)), straight(PixelB(p)),
                              double(a)};
        double out[4];
        for (int row = 0; row < 4; ++row) {
            const float* r = m + row * 5;
            out[row] =
                Clamp(r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4], 0, 255);
        }
        auto byte = [](double v) { return static_cast<std::uint8_t>(std::min(v + 0.5, 255.0)); };
        px[i] = Premultiply(Rgba{byte(out[0]), byte(out[1]), byte(out[2]), byte(out[3])});
    }
}

}  // namespace

bool FilterDrawn(FilterKind kind) {
    switch (kind) {
        case FilterKind::Blur:
        case FilterKind::DropShadow:
        case FilterKind::Glow:
        case FilterKind::Bevel:
        case FilterKind::ColorMatrix:
            return true;
        default:
            return false;
    }
}

FilterMargins MarginsOf(const Filter& f, double scale) {
    if (!FilterDrawn(f.kind) || f.kind == FilterKind::ColorMatrix) return {};
    const int passes = Passes(f);
    const double rx = BoxWidth(f.blurX, scale) / 2 * passes;
    const double ry = BoxWidth(f.blurY, scale) / 2 * passes;
    int dx = 0, dy = 0;
    if (f.kind != FilterKind::Glow && f.kind != FilterKind::Blur) Offset(f, scale, dx, dy);
    if (f.kind == FilterKind::Bevel) {
        dx = std::abs(dx);
        dy = std::abs(dy);
        return {rx + dx, ry + dy, rx + dx, ry + dy};
    }
    return {rx + std::max(-dx, 0), ry + std::max(-dy, 0), rx + std::max(dx, 0),
            ry + std::max(dy, 0)};
}

void BoxBlur(std::uint8_t* plane, int w, int h, int wx, int wy, int passes, FilterScratch& s) {
    passes = std::clamp(passes, 1, kMaxFilterPasses);
    wx |= 1;
    wy |= 1;
    for (int p = 0; p < passes; ++p) {
        if (wx > 1) {
            for (int y = 0; y < h; ++y)
                BoxLine(plane + static_cast<std::size_t>(y) * w, w, 1, wx, s.sums);
        }
        if (wy > 1) {
            for (int x = 0; x < w; ++x) BoxLine(plane + x, h, w, wy, s.sums);
        }
    }
}

void ApplyFilter(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    if (w <= 0 || h <= 0) return;
    const std::size_t n = static_cast<std::size_t>(w) * h;
    switch (f.kind) {
        case FilterKind::Blur: {
            for (int c = 0; c < 4; ++c) {
                s.planes[c].resize(n);
                for (std::size_t i = 0; i < n; ++i)
                    s.planes[c][i] = static_cast<std::uint8_t>(px[i] >> (8 * c));
                BoxBlur(s.planes[c].data(), w, h, BoxWidth(f.blurX, scale),
                        BoxWidth(f.blurY, scale), Passes(f), s);
            }
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint32_t a = s.planes[3][i];
                // Rounding may leave a colour above its alpha: held to it.
                auto c = [&](int k) { return std::min<std::uint32_t>(s.planes[k][i], a); };
                px[i] = PackPixel(a, c(2), c(1), c(0));
            }
            return;
        }
        case FilterKind::DropShadow:
            return Shadow(f, scale, px, w, h, s, false);
        case FilterKind::Glow:
            return Shadow(f, scale, px, w, h, s, true);
        case FilterKind::Bevel:
            return Bevel(f, scale, px, w, h, s);
        case FilterKind::ColorMatrix:
            return ColorMatrix(f, px, n);
        default:
            return;
    }
}

}  // namespace flash::render
