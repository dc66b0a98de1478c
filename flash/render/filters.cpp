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

bool Moves(FilterKind kind) {
    return kind == FilterKind::DropShadow || kind == FilterKind::GradientGlow ||
           kind == FilterKind::Bevel || kind == FilterKind::GradientBevel;
}

// One line of a box blur: `n` bytes `step` apart, each replaced by the weighted mean of the
// box centred on it, rounded down; what lies past the ends counts as 0. The box is `width`
// 256ths of a pixel wide: whole pixels out to `reach` on each side, and the part of the width
// they leave split between the two pixels just beyond. Running sums keep the cost at a few
// additions per byte whatever the box.
void BoxLine(std::uint8_t* line, int n, std::ptrdiff_t step, int width,
             std::vector<std::uint32_t>& sums) {
    const int reach = (width - 256) / 512;
    const std::uint64_t edge = static_cast<std::uint64_t>(width - 256 * (2 * reach + 1)) / 2;
    // 64 bits: a wide box over a long line would carry a 32-bit sum of 256ths past its range.
    const std::uint64_t divisor = 256 * static_cast<std::uint64_t>(2 * reach + 1) + 2 * edge;
    sums.resize(static_cast<std::size_t>(n) + 1);
    sums[0] = 0;
    for (int i = 0; i < n; ++i) sums[i + 1] = sums[i] + line[i * step];
    // Reads the sums only, so the line can be written in place.
    auto at = [&](int i) { return i < 0 || i >= n ? 0u : sums[i + 1] - sums[i]; };
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(i - reach, 0), hi = std::min(i + reach + 1, n);
        const std::uint64_t whole = std::uint64_t{sums[hi] - sums[lo]} * 256;
        const std::uint64_t ends = edge == 0 ? 0 : edge * (at(i - reach - 1) + at(i + reach + 1));
        line[i * step] = static_cast<std::uint8_t>((whole + ends) / divisor);
    }
}

// The layer's alpha moved by (dx, dy) into `out`: each byte is the alpha at (x - dx, y - dy),
// 0 past the layer. Inverted, it is what lies outside the object: 255 - alpha, and 255 past
// the layer.
void MovedAlpha(const Pixel* px, std::uint8_t* out, int w, int h, int dx, int dy, bool inverted) {
    const std::uint8_t past = inverted ? 255 : 0;
    for (int y = 0; y < h; ++y) {
        const int sy = y - dy;
        std::uint8_t* row = out + static_cast<std::size_t>(y) * w;
        if (sy < 0 || sy >= h) {
            std::fill(row, row + w, past);
            continue;
        }
        const Pixel* from = px + static_cast<std::size_t>(sy) * w;
        for (int x = 0; x < w; ++x) {
            const int sx = x - dx;
            if (sx < 0 || sx >= w) {
                row[x] = past;
            } else {
                const auto a = static_cast<std::uint8_t>(PixelA(from[sx]));
                row[x] = inverted ? static_cast<std::uint8_t>(255 - a) : a;
            }
        }
    }
}

// A colour at `amount` (0..255) of its own alpha, premultiplied.
Pixel Tint(Rgba c, std::uint32_t amount) {
    const std::uint32_t a = Div255(c.a * amount);
    return PackPixel(a, Div255(c.r * a), Div255(c.g * a), Div255(c.b * a));
}

// The 256 colours of a gradient filter's stops, premultiplied: before the first stop its
// colour, after the last its colour, between two stops the straight colours mixed.
void GradientTable(const Filter& f, Pixel (&table)[256]) {
    const int n = std::min<int>(f.stopCount, kMaxFilterStops);
    if (n == 0) {
        std::fill(std::begin(table), std::end(table), Pixel{0});
        return;
    }
    int k = 0;
    for (int i = 0; i < 256; ++i) {
        while (k < n && f.stopRatios[k] < i) ++k;
        Rgba c;
        if (k == 0) {
            c = f.stopColors[0];
        } else if (k == n) {
            c = f.stopColors[n - 1];
        } else {
            const Rgba& a = f.stopColors[k - 1];
            const Rgba& b = f.stopColors[k];
            const int lo = f.stopRatios[k - 1], span = f.stopRatios[k] - lo;
            const int t = span > 0 ? (i - lo) * 256 / span : 256;
            auto mix = [t](std::uint8_t x, std::uint8_t y) {
                return static_cast<std::uint8_t>((x * (256 - t) + y * t) >> 8);
            };
            c = Rgba{mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
        }
        table[i] = Premultiply(c);
    }
}

// A blurred value raised by the strength (0 to 255), held to 255.
std::uint32_t Strengthen(std::uint32_t v, double strength) {
    return static_cast<std::uint32_t>(std::min(255.0, v * strength));
}

// DropShadow, Glow and GradientGlow.
void Shadow(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t>& shade = s.planes[0];
    shade.resize(n);
    const FilterOffset o = OffsetOf(f, scale);
    // An inner shadow is the shadow of what lies outside the object, falling inwards.
    MovedAlpha(px, shade.data(), w, h, o.dx, o.dy, f.inner);
    BoxBlur(shade.data(), w, h, BoxWidth(f.blurX, scale), BoxWidth(f.blurY, scale), Passes(f), s);
    const bool gradient = f.kind == FilterKind::GradientGlow;
    Pixel table[256];
    if (gradient) GradientTable(f, table);
    const double strength = Clamp(f.strength, 0, 255);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t v = Strengthen(shade[i], strength);
        Pixel effect = gradient ? table[v] : Tint(f.color, v);
        const Pixel src = px[i];
        const std::uint32_t a = PixelA(src);
        if (f.inner) {
            effect = MulPixel(effect, a);
            px[i] = f.knockout || !f.compositeSource ? effect : Over(effect, src);
        } else if (f.knockout) {
            px[i] = MulPixel(effect, 255 - a);
        } else if (!f.compositeSource) {
            px[i] = effect;
        } else {
            px[i] = Over(src, effect);
        }
    }
}

// Bevel and GradientBevel: the object's alpha moved towards the light and away from it; where
// the first leaves more than the second the edge faces the light (highlight), where less it
// faces away (shadow).
void Bevel(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t>& away = s.planes[0];
    std::vector<std::uint8_t>& toward = s.planes[1];
    away.resize(n);
    toward.resize(n);
    const FilterOffset o = OffsetOf(f, scale);
    MovedAlpha(px, away.data(), w, h, o.dx, o.dy, false);
    MovedAlpha(px, toward.data(), w, h, -o.dx, -o.dy, false);
    const int bx = BoxWidth(f.blurX, scale), by = BoxWidth(f.blurY, scale);
    BoxBlur(away.data(), w, h, bx, by, Passes(f), s);
    BoxBlur(toward.data(), w, h, bx, by, Passes(f), s);
    const bool gradient = f.kind == FilterKind::GradientBevel;
    Pixel table[256];
    if (gradient) GradientTable(f, table);
    const double strength = Clamp(f.strength, 0, 255);
    const bool outer = !f.inner && !f.onTop;
    for (std::size_t i = 0; i < n; ++i) {
        const int lit = int(toward[i]) - int(away[i]);
        const auto amount = static_cast<int>(Clamp(lit * strength, -255, 255));
        Pixel effect;
        if (gradient) {
            // The gradient runs from the highlight (0) through the flat face (128) to the
            // shadow (255).
            effect = table[std::clamp(128 - amount * 128 / 255, 0, 255)];
        } else {
            effect = amount >= 0 ? Tint(f.highlight, static_cast<std::uint32_t>(amount))
                                 : Tint(f.color, static_cast<std::uint32_t>(-amount));
        }
        const Pixel src = px[i];
        const std::uint32_t a = PixelA(src);
        if (f.inner) {
            effect = MulPixel(effect, a);
        } else if (outer) {
            effect = MulPixel(effect, 255 - a);
        }
        if (f.knockout || !f.compositeSource) {
            px[i] = effect;
        } else {
            px[i] = outer ? Over(src, effect) : Over(effect, src);
        }
    }
}

void Blur(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    const int bx = BoxWidth(f.blurX, scale), by = BoxWidth(f.blurY, scale);
    if (bx <= 256 && by <= 256) return;
    for (int c = 0; c < 4; ++c) {
        s.planes[c].resize(n);
        for (std::size_t i = 0; i < n; ++i)
            s.planes[c][i] = static_cast<std::uint8_t>(px[i] >> (8 * c));
        BoxBlur(s.planes[c].data(), w, h, bx, by, Passes(f), s);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t a = s.planes[3][i];
        // Rounding may leave a colour above its alpha: held to it.
        auto c = [&](int k) { return std::min<std::uint32_t>(s.planes[k][i], a); };
        px[i] = PackPixel(a, c(2), c(1), c(0));
    }
}

// A premultiplied pixel's straight colour.
Rgba Straight(Pixel p) {
    const std::uint32_t a = PixelA(p);
    auto c = [a](std::uint32_t v) {
        return static_cast<std::uint8_t>(a == 0 ? 0 : std::min(255u, (v * 255 + a / 2) / a));
    };
    return Rgba{c(PixelR(p)), c(PixelG(p)), c(PixelB(p)), static_cast<std::uint8_t>(a)};
}

std::uint8_t Byte(double v) {
    return static_cast<std::uint8_t>(Clamp(v + 0.5, 0, 255));
}

void ColorMatrix(const Filter& f, Pixel* px, std::size_t n) {
    const float* m = f.matrix.data();
    for (std::size_t i = 0; i < n; ++i) {
        const Rgba c = Straight(px[i]);
        const double in[4] = {double(c.r), double(c.g), double(c.b), double(c.a)};
        double out[4];
        for (int row = 0; row < 4; ++row) {
            const float* r = m + row * 5;
            out[row] = r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4];
        }
        px[i] = Premultiply(Rgba{Byte(out[0]), Byte(out[1]), Byte(out[2]), Byte(out[3])});
    }
}

// Each pixel becomes the sum of its neighbours (straight colour) weighted by the matrix,
// centred on it, divided by the divisor, plus the bias. Past the layer's edge the nearest
// edge pixel stands in (clamp) or the filter's default colour; with preserveAlpha only the
// colours are convolved and each pixel keeps its alpha.
void Convolution(const Filter& f, Pixel* px, int w, int h, FilterScratch& s) {
    const int mx = std::min<int>(f.matrixX, kMaxConvolutionSide);
    const int my = std::min<int>(f.matrixY, kMaxConvolutionSide);
    if (mx == 0 || my == 0) return;
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<Pixel>& straight = s.pixels;
    straight.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Rgba c = Straight(px[i]);
        straight[i] = PackPixel(c.a, c.r, c.g, c.b);
    }
    const Pixel fallback =
        PackPixel(f.defaultColor.a, f.defaultColor.r, f.defaultColor.g, f.defaultColor.b);
    const double divisor = f.divisor == 0 || !(f.divisor == f.divisor) ? 1.0 : f.divisor;
    const double bias = Clamp(f.bias, -1e6, 1e6);
    const int cx = mx / 2, cy = my / 2;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < my; ++j) {
                int sy = y + j - cy;
                const bool rowOut = sy < 0 || sy >= h;
                if (rowOut && f.clamp) sy = std::clamp(sy, 0, h - 1);
                for (int i = 0; i < mx; ++i) {
                    const double k = f.matrix[static_cast<std::size_t>(j) * mx + i];
                    if (k == 0) continue;
                    int sx = x + i - cx;
                    const bool out = rowOut || sx < 0 || sx >= w;
                    Pixel p = fallback;
                    if (!out || f.clamp) {
                        sx = std::clamp(sx, 0, w - 1);
                        p = straight[static_cast<std::size_t>(sy) * w + sx];
                    }
                    sum[0] += k * PixelR(p);
                    sum[1] += k * PixelG(p);
                    sum[2] += k * PixelB(p);
                    sum[3] += k * PixelA(p);
                }
            }
            const std::size_t at = static_cast<std::size_t>(y) * w + x;
            auto value = [&](int c) { return Byte(sum[c] / divisor + bias); };
            const std::uint8_t alpha =
                f.preserveAlpha ? static_cast<std::uint8_t>(PixelA(straight[at])) : value(3);
            px[at] = Premultiply(Rgba{value(0), value(1), value(2), alpha});
        }
    }
}

}  // namespace

bool FilterDrawn(FilterKind kind) {
    switch (kind) {
        case FilterKind::Blur:
        case FilterKind::DropShadow:
        case FilterKind::Glow:
        case FilterKind::Bevel:
        case FilterKind::GradientGlow:
        case FilterKind::GradientBevel:
        case FilterKind::ColorMatrix:
        case FilterKind::Convolution:
            return true;
    }
    return false;
}

std::uint64_t FilterWork(const Filter& f, int w, int h) {
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(std::max(w, 0)) * static_cast<std::uint64_t>(std::max(h, 0));
    switch (f.kind) {
        case FilterKind::ColorMatrix:
            return pixels;
        case FilterKind::Convolution:
            return pixels * std::max<std::uint64_t>(std::uint64_t{f.matrixX} * f.matrixY, 1);
        default:
            // Each pass blurs both ways, and the layer is read once more to compose.
            return pixels * (2 * static_cast<std::uint64_t>(Passes(f)) + 2);
    }
}

int BoxWidth(double blur, double scale) {
    const double spread = (Clamp(blur, 0, kMaxBlur) - 1) * Clamp(scale, 0, kMaxFilterScale);
    return static_cast<int>(std::lround(std::max(spread + 1, 1.0) * 256));
}

int BoxReach(int width) {
    return width <= 256 ? 0 : (width - 256 + 511) / 512;
}

FilterOffset OffsetOf(const Filter& f, double scale) {
    if (!Moves(f.kind)) return {};
    const double d = Clamp(f.distance, -1e4, 1e4) * Clamp(scale, 0, kMaxFilterScale);
    const double angle = Clamp(f.angle, -1e4, 1e4);
    return {static_cast<int>(std::lround(std::cos(angle) * d)),
            static_cast<int>(std::lround(std::sin(angle) * d))};
}

FilterMargins MarginsOf(const Filter& f, double scale) {
    if (f.kind == FilterKind::ColorMatrix || f.kind == FilterKind::Convolution) return {};
    const int passes = Passes(f);
    const double rx = BoxReach(BoxWidth(f.blurX, scale)) * passes;
    const double ry = BoxReach(BoxWidth(f.blurY, scale)) * passes;
    const FilterOffset o = OffsetOf(f, scale);
    if (f.kind == FilterKind::Bevel || f.kind == FilterKind::GradientBevel) {
        // Lit and shaded sides both reach out.
        const int dx = std::abs(o.dx), dy = std::abs(o.dy);
        return {rx + dx, ry + dy, rx + dx, ry + dy};
    }
    return {rx + std::max(-o.dx, 0), ry + std::max(-o.dy, 0), rx + std::max(o.dx, 0),
            ry + std::max(o.dy, 0)};
}

void BoxBlur(std::uint8_t* plane, int w, int h, int wx, int wy, int passes, FilterScratch& s) {
    passes = std::clamp(passes, 1, kMaxFilterPasses);
    for (int p = 0; p < passes; ++p) {
        if (wx > 256) {
            for (int y = 0; y < h; ++y)
                BoxLine(plane + static_cast<std::size_t>(y) * w, w, 1, wx, s.sums);
        }
        if (wy > 256) {
            for (int x = 0; x < w; ++x) BoxLine(plane + x, h, w, wy, s.sums);
        }
    }
}

void ApplyFilter(const Filter& f, double scale, Pixel* px, int w, int h, FilterScratch& s) {
    if (w <= 0 || h <= 0) return;
    switch (f.kind) {
        case FilterKind::Blur:
            return Blur(f, scale, px, w, h, s);
        case FilterKind::DropShadow:
        case FilterKind::Glow:
        case FilterKind::GradientGlow:
            return Shadow(f, scale, px, w, h, s);
        case FilterKind::Bevel:
        case FilterKind::GradientBevel:
            return Bevel(f, scale, px, w, h, s);
        case FilterKind::ColorMatrix:
            return ColorMatrix(f, px, static_cast<std::size_t>(w) * h);
        case FilterKind::Convolution:
            return Convolution(f, px, w, h, s);
    }
}

}  // namespace flash::render
