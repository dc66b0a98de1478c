// The values that pass between the movie model (display list, timelines) and the rasteriser:
// placement matrices, colour transforms and blend modes. Plain values, no behaviour beyond
// their arithmetic, so both sides and their tests agree on one meaning.
#pragma once

#include <algorithm>
#include <cstdint>

namespace flash {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

// An affine placement as SWF's MATRIX record holds it: a and d are the scale fields, b and c
// the rotate-skew fields (RotateSkew0 and RotateSkew1), tx and ty the translation in twips.
//   x' = a * x + c * y + tx
//   y' = b * x + d * y + ty
struct Matrix {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;

    Point Apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // The placement that applies `inner` first, then this one (a parent's matrix times its
    // child's).
    Matrix operator*(const Matrix& inner) const {
        return {a * inner.a + c * inner.b,       b * inner.a + d * inner.b,
                a * inner.c + c * inner.d,       b * inner.c + d * inner.d,
                a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    static Matrix Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Matrix Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    bool operator==(const Matrix&) const = default;
};

// SWF's CXFORMWITHALPHA: each channel becomes clamp(value * mul / 256 + add, 0, 255), on
// straight (not premultiplied) colour. The multipliers are 8.8 fixed point (256 is 1.0).
// Concatenated transforms are kept exact in 32 bits; the bound keeps deep trees of large
// multipliers from overflowing.
struct ColorTransform {
    static constexpr std::int32_t kBound = 1 << 22;
    std::int32_t rMul = 256;
    std::int32_t gMul = 256;
    std::int32_t bMul = 256;
    std::int32_t aMul = 256;
    std::int32_t rAdd = 0;
    std::int32_t gAdd = 0;
    std::int32_t bAdd = 0;
    std::int32_t aAdd = 0;

    bool IsIdentity() const { return *this == ColorTransform{}; }
    // The transform that applies `inner` first, then this one (a parent's times its child's).
    ColorTransform operator*(const ColorTransform& inner) const {
        auto mul = [](std::int64_t outer, std::int64_t in) {
            return Bound(outer * in / 256);
        };
        auto add = [](std::int64_t outerMul, std::int64_t innerAdd, std::int64_t outerAdd) {
            return Bound(innerAdd * outerMul / 256 + outerAdd);
        };
        return {mul(rMul, inner.rMul),         mul(gMul, inner.gMul),
                mul(bMul, inner.bMul),         mul(aMul, inner.aMul),
                add(rMul, inner.rAdd, rAdd),   add(gMul, inner.gAdd, gAdd),
                add(bMul, inner.bAdd, bAdd),   add(aMul, inner.aAdd, aAdd)};
    }
    bool operator==(const ColorTransform&) const = default;

private:
    static std::int32_t Bound(std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -kBound, kBound));
    }
};

// PlaceObject3's blend modes, by their stored value. 0 is read as Normal.
enum class BlendMode : std::uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// The stored value as a mode: 0 and values past HardLight are Normal, as the player reads them.
inline BlendMode BlendModeFromByte(std::uint8_t value) {
    return value >= 1 && value <= 14 ? static_cast<BlendMode>(value) : BlendMode::Normal;
}

}  // namespace flash
