#include "tooltip/pixel_effects.h"

#include <algorithm>
#include <cstdlib>

#include "base/ansi_text.h"

namespace tooltip {

namespace {

constexpr std::string_view kEffectNames[] = {
    "transparent", "solid",      "hgradient", "vgradient", "hcgradient", "vcgradient",
    "3hgradient",  "3vgradient", "noise",     "diagshade", "hshade",     "vshade",
    "hbump",       "vbump",      "softbump",  "hardbump",  "metal"};

// Each component (a x (den - k) + b x k) / den, integer division.
Colour Mix(Colour a, Colour b, int k, int den) {
    auto part = [&](int ca, int cb) { return (ca * (den - k) + cb * k) / den; };
    return Rgb(part(RedOf(a), RedOf(b)), part(GreenOf(a), GreenOf(b)), part(BlueOf(a), BlueOf(b)));
}

class CrtRandom final : public RandomSource {
public:
    // The C runtime of the programs gives 0 ... 32767 already; the mask keeps other runtimes
    // (the native tests' glibc) in the same range.
    int Next() override { return std::rand() & 0x7FFF; }
};

// The pixel values of a texture wrap modulo 256.
inline std::uint8_t Wrap(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

inline int Cube16384(int g) {
    return g * g * g / 16384;
}

// The texture generator's shared terms. With granularity 0 there is no noise at all: the
// formula alone would still give 1 for the single random value 32767.
struct Noise {
    int a;  // granularity
    int k;  // divisor that maps 0 ... 32767 onto 0 ... 2A
    RandomSource& random;

    Noise(int granularity, RandomSource& r)
        : a(granularity), k(granularity == 0 ? 32767 : 32767 / (2 * granularity)), random(r) {}
    // -A ... A
    int Centred() { return a == 0 ? 0 : random.Next() / k - a; }
    // 0 ... 2A
    int Positive() { return a == 0 ? 0 : random.Next() / k; }
};

}  // namespace

std::optional<int> EffectFromName(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kEffectNames); ++i) {
        if (base::EqualsNoCase(name, kEffectNames[i])) return static_cast<int>(i) - 1;
    }
    return std::nullopt;
}

void AppendGradient(std::vector<Band>& out, Rect area, bool horizontal, Colour a, Colour b) {
    if (area.Empty()) return;
    const int start = horizontal ? area.left : area.top;
    const int span = horizontal ? area.Width() : area.Height();
    for (int k = 0; k < 64; ++k) {
        const int from = start + ((k * span) >> 6);
        const int to = start + (((k + 1) * span) >> 6);
        if (to == from) continue;
        Rect r = area;
        if (horizontal) {
            r.left = from;
            r.right = to;
        } else {
            r.top = from;
            r.bottom = to;
        }
        out.push_back({r, Mix(a, b, k, 64)});
    }
}

std::vector<Band> PlanSolidFill(int code, Rect area, Colour begin, Colour middle, Colour end) {
    std::vector<Band> bands;
    if (area.Empty()) return bands;
    const int xm = area.left + area.Width() / 2;
    const int ym = area.top + area.Height() / 2;
    Rect first = area, second = area;
    const bool horizontal = code == effect::kHCGradient || code == effect::k3HGradient;
    if (horizontal) {
        first.right = xm;
        second.left = xm;
    } else {
        first.bottom = ym;
        second.top = ym;
    }
    switch (code) {
        case effect::kHGradient:
            AppendGradient(bands, area, true, begin, end);
            break;
        case effect::kVGradient:
            AppendGradient(bands, area, false, begin, end);
            break;
        case effect::kHCGradient:
        case effect::kVCGradient:
            AppendGradient(bands, first, horizontal, begin, end);
            AppendGradient(bands, second, horizontal, end, begin);
            break;
        case effect::k3HGradient:
        case effect::k3VGradient:
            AppendGradient(bands, first, horizontal, begin, middle);
            AppendGradient(bands, second, horizontal, middle, end);
            break;
        default:
            bands.push_back({area, begin});
            break;
    }
    return bands;
}

RandomSource& RuntimeRandom() {
    static CrtRandom random;
    return random;
}

std::array<Colour, 256> TexturePalette(Colour begin, Colour middle, Colour end, int blendPercent) {
    std::array<Colour, 256> palette{};
    // Entry 128 is the middle colour exactly; entry 255 is one step short of the begin colour,
    // as the last band of a gradient is one step short of its end.
    for (int i = 0; i <= 128; ++i) palette[i] = Mix(end, middle, i, 128);
    for (int i = 129; i < 256; ++i) palette[i] = Mix(middle, begin, i - 128, 128);
    const int p = std::clamp(blendPercent, 0, 100);
    auto toward = [p](int b, int e) { return (b * p + e * (100 - p)) / 100; };
    for (Colour& c : palette) {
        c = Rgb(toward(RedOf(begin), RedOf(c)), toward(GreenOf(begin), GreenOf(c)),
                toward(BlueOf(begin), BlueOf(c)));
    }
    return palette;
}

PaletteImage MakeTexture(int code, int w, int h, Colour begin, Colour middle, Colour end,
                         int granularity, int blendPercent, RandomSource& random) {
    PaletteImage image;
    if (w <= 0 || h <= 0) return image;
    image.width = w;
    image.height = h;
    image.palette = TexturePalette(begin, middle, end, blendPercent);
    const int stride = image.Stride();
    image.bits.assign(static_cast<std::size_t>(stride) * h, 0);
    if (!IsTextureEffect(code)) return image;

    const int a = std::clamp(granularity, 0, 255);
    const int d = 255 - 2 * a;
    Noise noise(a, random);
    auto pixel = [&](int x, int r) -> std::uint8_t& {
        return image.bits[static_cast<std::size_t>(r) * stride + x];
    };
    auto rowG = [&](int r) { return 255 * r / h - 127; };
    auto columnG = [&](int x) { return 255 * (w - x) / w - 127; };

    if (code == effect::kMetal) {
        const int spanX = std::max(1, 32767 / w);
        const int spanY = std::max(1, 32767 / h);
        const int spanLength = std::max(1, 32767 / std::min(w, h));
        // Streaks are placed with y counted from the top; a start drawn at 32767 can land one
        // past the last column or row, and the mirrored streak can leave the picture on the
        // right: only pixels inside the picture are written.
        auto plot = [&](int x, int yFromTop, int shade) {
            if (x >= 0 && x < w && yFromTop >= 0 && yFromTop < h) {
                pixel(x, h - 1 - yFromTop) = Wrap(shade);
            }
        };
        for (int streak = 0; streak < 200; ++streak) {
            const int x0 = random.Next() / spanX;
            const int y0 = random.Next() / spanY;
            const int length = random.Next() / spanLength;
            const int shade = random.Next() / 819;
            for (int j = 0; j < length / 2; ++j) {
                if (x0 - j > 0 && y0 + j < h) plot(x0 - j, y0 + j, shade);
                if (x0 + j < w && y0 - j > 0) plot(w + j - x0, y0 - j, shade);
            }
        }
        const int e = (d - 40) / 2;
        for (int r = 0; r < h; ++r) {
            for (int x = 0; x < w; ++x) {
                pixel(x, r) = Wrap(pixel(x, r) + e * r / h + e * (w - x) / w + noise.Positive());
            }
        }
        return image;
    }

    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            int value = 0;
            switch (code) {
                case effect::kNoise:
                    value = noise.Centred() - 128;
                    break;
                case effect::kDiagShade:
                    value = a + (d / 2) * r / h + (d / 2) * (w - x) / w + noise.Centred();
                    break;
                case effect::kHShade:
                    value = a + d * r / h + noise.Centred();
                    break;
                case effect::kVShade:
                    value = a + d * (w - x) / w + noise.Centred();
                    break;
                case effect::kHBump:
                    value = 128 + (Cube16384(rowG(r)) * (128 - a)) / 128 + noise.Centred();
                    break;
                case effect::kVBump:
                    value = 128 + (Cube16384(columnG(x)) * (128 - a)) / 128 + noise.Centred();
                    break;
                case effect::kSoftBump: {
                    int v = 128 + ((Cube16384(rowG(r)) + Cube16384(columnG(x))) * (128 - a)) / 128;
                    if (v < a) v = a;
                    if (v > 255 - a) v = 255 - a;
                    value = v + noise.Centred();
                    break;
                }
                case effect::kHardBump:
                    value = 128 + (Cube16384(rowG(r)) * (64 - a) * 2) / 128 + noise.Centred();
                    break;
            }
            pixel(x, r) = Wrap(value);
        }
    }

    if (code == effect::kHardBump) {
        // The lit left and dark right edges, bulging with a parabola over the rows. Pictures
        // narrower than 6 pixels have no edge (F would be 0) and pictures of one row no bulge
        // (Q would be 0): both would divide by zero. A pixel given an edge value gets fresh
        // noise; the others keep the noise they have.
        const int f = std::min(w / 6, 16);
        const long long q = static_cast<long long>(h) * h / 4;
        if (f > 0) {
            for (int r = 0; r < h; ++r) {
                const long long g = r - h / 2;
                const int bulge = q == 0 ? 0 : static_cast<int>(g * f * g / q);
                for (int x = 0; x < w; ++x) {
                    bool edge = false;
                    int value = pixel(x, r);
                    if (bulge + w / 2 - f < x - w / 2) {
                        value = a + 128 * (w - x) / f;
                        edge = true;
                    }
                    if (bulge + x - f < 0) {
                        value = 255 - a - 128 * x / f;
                        edge = true;
                    }
                    if (edge) pixel(x, r) = Wrap(value + noise.Centred());
                }
            }
        }
    }
    return image;
}

void BlendPixels(std::span<std::uint32_t> destination, std::span<const std::uint32_t> source,
                 int p) {
    const std::size_t n = std::min(destination.size(), source.size());
    if (p <= 0) return;
    if (p >= 100) {
        std::copy_n(source.begin(), n, destination.begin());
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t s = source[i], d = destination[i];
        std::uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t cs = (s >> shift) & 0xFF, cd = (d >> shift) & 0xFF;
            out |= ((cs * p + cd * (100 - p)) / 100) << shift;
        }
        destination[i] = out;
    }
}

int OddDepth(int depth) {
    if (depth < 1) return 1;
    return depth % 2 == 0 ? depth + 1 : depth;
}

namespace {

// The grey level of a mask pixel (the mask's three components are equal; blue is read).
inline std::uint32_t GreyOf(std::uint32_t maskPixel) {
    return maskPixel & 0xFF;
}

inline std::uint32_t Scale(std::uint32_t pixel, std::uint64_t num, std::uint64_t den) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint64_t c = (pixel >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(c * num / den) << shift;
    }
    return out;
}

}  // namespace

void ApplyHardShadow(std::span<std::uint32_t> destination, std::span<const std::uint32_t> mask) {
    const std::size_t n = std::min(destination.size(), mask.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t g = GreyOf(mask[i]);
        if (g < 255) destination[i] = Scale(destination[i], g, 255);
    }
}

void ApplySoftShadow(Picture& destination, const Picture& mask, int depthX, int depthY) {
    const int w = destination.width, h = destination.height;
    if (w <= 0 || h <= 0 || mask.width != w || mask.height != h) return;
    const int dx = OddDepth(depthX), dy = OddDepth(depthY);
    const int hx = dx / 2, hy = dy / 2;

    // The white working copy with the mask shrunk into it, then padded with white by half the
    // depth on every side.
    const int pw = w + 2 * hx, ph = h + 2 * hy;
    std::vector<std::uint32_t> padded(static_cast<std::size_t>(pw) * ph, 255);
    const int iw = w - dx, ih = h - dy;  // the shrunk mask's size
    if (iw > 0 && ih > 0) {
        for (int v = 0; v < ih; ++v) {
            const int sy = static_cast<int>(static_cast<long long>(v) * h / ih);
            for (int u = 0; u < iw; ++u) {
                const int sx = static_cast<int>(static_cast<long long>(u) * w / iw);
                padded[static_cast<std::size_t>(v + hy + hy) * pw + (u + hx + hx)] =
                    GreyOf(mask.At(sx, sy));
            }
        }
    }

    // Summed areas, so each box costs four reads whatever the depth.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(pw + 1) * (ph + 1), 0);
    auto sum = [&](int x, int y) -> std::uint64_t& {
        return sums[static_cast<std::size_t>(y) * (pw + 1) + x];
    };
    for (int y = 0; y < ph; ++y) {
        std::uint64_t row = 0;
        for (int x = 0; x < pw; ++x) {
            row += padded[static_cast<std::size_t>(y) * pw + x];
            sum(x + 1, y + 1) = sum(x + 1, y) + row;
        }
    }
    const std::uint64_t full = 255ull * dx * dy;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint64_t total =
                sum(x + dx, y + dy) - sum(x, y + dy) - sum(x + dx, y) + sum(x, y);
            if (total < full) destination.At(x, y) = Scale(destination.At(x, y), total, full);
        }
    }
}

std::uint32_t RecolourPixel(std::uint32_t pixel, unsigned flags, Colour single) {
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    if (flags & recolour::kGrey) {
        const int grey = (299 * r + 587 * g + 114 * b) / 1000;
        r = g = b = grey;
    }
    if (flags & recolour::kDarker) {
        r = r * 3 / 4;
        g = g * 3 / 4;
        b = b * 3 / 4;
    }
    if (flags & recolour::kLighter) {
        r = std::min(255, r * 5 / 4);
        g = std::min(255, g * 5 / 4);
        b = std::min(255, b * 5 / 4);
    }
    if (flags & recolour::kSingle) {
        r = RedOf(single);
        g = GreenOf(single);
        b = BlueOf(single);
    }
    if (flags & recolour::kInvert) {
        r = 255 - r;
        g = 255 - g;
        b = 255 - b;
    }
    return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

void RecolourPixels(std::span<std::uint32_t> pixels, unsigned flags, Colour single,
                    std::optional<Colour> transparent) {
    const std::optional<std::uint32_t> skip =
        transparent ? std::optional<std::uint32_t>(PixelOf(*transparent)) : std::nullopt;
    for (std::uint32_t& p : pixels) {
        if (skip && (p & 0xFFFFFF) == *skip) continue;
        p = RecolourPixel(p, flags, single);
    }
}

namespace {

std::optional<PenKind> PenOfStyle(int style) {
    switch (style) {
        case linestyle::kSolid:
        case linestyle::kDouble:
            return PenKind::Solid;
        case linestyle::kDashed:
            return PenKind::Dash;
        case linestyle::kDotted:
            return PenKind::Dot;
        case linestyle::kDashDot:
            return PenKind::DashDot;
        case linestyle::kDashDotDot:
            return PenKind::DashDotDot;
        default:
            return std::nullopt;
    }
}

void AppendFrame(std::vector<Stroke>& out, Rect r, Colour first, Colour second, PenKind pen,
                 int width) {
    const int half = width / 2;
    const int left = r.left + half, top = r.top + half;
    const int right = r.right - 1 - half, bottom = r.bottom - 1 - half;
    if (right < left || bottom < top) return;
    out.push_back({{{left, bottom}, {left, top}, {right, top}}, pen, width, first});
    out.push_back({{{right, top}, {right, bottom}, {left, bottom}}, pen, width, second});
}

}  // namespace

std::vector<Stroke> StyledLineStrokes(Point a, Point b, Colour colour, int style, int width) {
    std::vector<Stroke> out;
    const std::optional<PenKind> pen = PenOfStyle(style);
    if (!pen || width <= 0) return out;
    out.push_back({{a, b}, *pen, width, colour});
    if (style == linestyle::kDouble) {
        const bool vertical = a.x == b.x;
        const int off = 2 * width;
        const Point shift = vertical ? Point{off, 0} : Point{0, off};
        out.push_back({{{a.x + shift.x, a.y + shift.y}, {b.x + shift.x, b.y + shift.y}},
                       *pen,
                       width,
                       colour});
    }
    return out;
}

std::vector<Stroke> StyledFrameStrokes(Rect r, Colour first, Colour second, int style, int width) {
    std::vector<Stroke> out;
    const std::optional<PenKind> pen = PenOfStyle(style);
    if (!pen || width <= 0) return out;
    AppendFrame(out, r, first, second, *pen, width);
    if (style == linestyle::kDouble) {
        const int in = 2 * width;
        AppendFrame(out, {r.left + in, r.top + in, r.right - in, r.bottom - in}, first, second,
                    *pen, width);
    }
    return out;
}

}  // namespace tooltip
