// Quadratic curves as chords, the one way the rasteriser (fills and strokes) and the benchmark
// turn SWF's curves into lines.
#pragma once

#include <algorithm>
#include <cmath>

#include "flash/draw_types.h"

namespace flash::render {

// Most chords one curve becomes, whatever its size.
inline constexpr int kMaxCurveSteps = 256;

// Calls emit(point) for each chord end after p0, p1 last: even steps in t, as many as keep
// every chord within `tolerance` of the curve. A quadratic's n chords stray at most
// |p0 - 2c + p1| / (4 n^2); the steps are counted from that length measured along the axes
// (|dx| + |dy|, never shorter than the straight one, so the bound still holds), which with a
// tolerance of 1/8 pixel gives the chords Flash Player's pictures of curved edges show.
template <typename Emit>
void FlattenQuad(Point p0, Point c, Point p1, double tolerance, Emit&& emit) {
    const double ddx = p0.x - 2 * c.x + p1.x, ddy = p0.y - 2 * c.y + p1.y;
    const double dd = std::fabs(ddx) + std::fabs(ddy);
    double steps = std::ceil(std::sqrt(dd / (4 * std::max(tolerance, 0.01))));
    if (!(steps >= 1)) steps = 1;  // also NaN
    const int n = static_cast<int>(std::min(steps, double(kMaxCurveSteps)));
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        emit(Point{u * u * p0.x + 2 * u * t * c.x + t * t * p1.x,
                   u * u * p0.y + 2 * u * t * c.y + t * t * p1.y});
    }
    emit(p1);
}

}  // namespace flash::render
