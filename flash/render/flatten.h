// Quadratic curves as chords, the one way the rasteriser (fills and strokes) and the benchmark
// turn SWF's curves into lines.
#pragma once

#include <algorithm>
#include <cmath>

#include "flash/draw_types.h"

namespace flash::render {

// Most chords one curve becomes, whatever its size.
inline constexpr int kMaxCurveSteps = 256;

// How many even steps in t keep every chord of a quadratic within `tolerance` of the curve. A
// quadratic's n chords stray at most |p0 - 2c + p1| / (4 n^2); the steps are counted from that
// length measured along the axes (|dx| + |dy|, never shorter than the straight one, so the
// bound still holds), which with a tolerance of 1/8 pixel gives the chords Flash Player's
// pictures of curved edges show.
inline int CurveSteps(Point p0, Point c, Point p1, double tolerance) {
    const double ddx = p0.x - 2 * c.x + p1.x, ddy = p0.y - 2 * c.y + p1.y;
    const double dd = std::fabs(ddx) + std::fabs(ddy);
    double steps = std::ceil(std::sqrt(dd / (4 * std::max(tolerance, 0.01))));
    if (!(steps >= 1)) steps = 1;  // also NaN
    return static_cast<int>(std::min(steps, double(kMaxCurveSteps)));
}

inline Point QuadAt(Point p0, Point c, Point p1, double t) {
    const double u = 1 - t;
    return {u * u * p0.x + 2 * u * t * c.x + t * t * p1.x,
            u * u * p0.y + 2 * u * t * c.y + t * t * p1.y};
}

// Calls emit(point) for each chord end after p0, p1 last: CurveSteps even steps in t.
template <typename Emit>
void FlattenQuad(Point p0, Point c, Point p1, double tolerance, Emit&& emit) {
    const int n = CurveSteps(p0, c, p1, tolerance);
    for (int i = 1; i < n; ++i) emit(QuadAt(p0, c, p1, double(i) / n));
    emit(p1);
}

// How far a chord may stray from its curve in the curve's own units, when counted there: 1/8
// pixel for a shape in twips drawn at its own size.
inline constexpr double kShapeUnitsTolerance = 2.5;

// The same for a curve given in a shape's own units (twips, or a font's units for a glyph)
// and drawn through `toDevice`. Flash Player counts a curve's chords in the shape's units, not
// as the curve is drawn: a glyph, whose units are a small fraction of a pixel, is cut far more
// finely than its drawn size needs, and its pictures' edges show it. The count is also never
// below what `tolerance` needs on the device, which keeps a shape drawn much larger than its
// units smooth. The chord ends are worked out in the shape's units and held at whole units
// (halves rounding up) before they are placed: a chord end falling between two twips shows in
// Flash Player's pictures on the nearer one, whatever the placement. Emits device points,
// toDevice(p1) last.
template <typename Emit>
void FlattenPlacedQuad(const Matrix& toDevice, Point p0, Point c, Point p1, double tolerance,
                       Emit&& emit) {
    const Point d1 = toDevice.Apply(p1);
    const int n = std::max(CurveSteps(p0, c, p1, kShapeUnitsTolerance),
                           CurveSteps(toDevice.Apply(p0), toDevice.Apply(c), d1, tolerance));
    for (int i = 1; i < n; ++i) {
        const Point q = QuadAt(p0, c, p1, double(i) / n);
        emit(toDevice.Apply({std::floor(q.x + 0.5), std::floor(q.y + 0.5)}));
    }
    emit(d1);
}

}  // namespace flash::render
