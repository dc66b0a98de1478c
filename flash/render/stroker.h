// Strokes as filled outlines. The scan converter fills them with the non-zero rule, so a
// stroke that crosses itself is covered once, never twice. Hairlines are drawn as pieces: every
// segment a band one pixel thick across its direction, every vertex a join piece, every open
// end a cap, all with the same winding.
#pragma once

#include <cstdint>
#include <vector>

#include "flash/draw_types.h"
#include "flash/render/scan_converter.h"
#include "flash/render/shape.h"

namespace flash::render {

struct StrokeStyle {
    double halfWidth = 0.5;  // device pixels
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;  // in half widths: a miter longer than this is cut off there
    // A polyline whose last point is its first is joined there, without caps.
    bool closeWhereItMeets = true;
};

class Stroker {
public:
    // Strokes go into `out` with `style` on their inside; arcs and curves stay within
    // `tolerance`. The points, the half width and the tolerance are in the units the outline
    // is built in; `toDevice` places the finished outline (a stroke built in a shape's own
    // units and placed through a stretching matrix gets the stretched pen Flash Player draws,
    // thicker across the stretch).
    void Begin(ScanConverter& out, std::uint16_t style, const StrokeStyle& stroke, double tolerance,
               const Matrix& toDevice = Matrix{});
    void MoveTo(Point p);
    void LineTo(Point p);
    void QuadTo(Point control, Point p);
    // Ends the current polyline (a MoveTo does too).
    void Finish();

    // A closed polygon with `style_` inside whatever its winding; public for the caps and
    // joins' tests and for callers with ready-made outlines.
    void AddPolygon(const Point* points, std::size_t count);

private:
    // points_ and smooth_ (whether a point lies inside a curve) grow and empty together.
    void AddPoint(Point p);
    void ClearPoints();
    void OutlineSide(bool forward, bool closed);
    void AppendJoin(Point v, Point d1, Point d2, bool smooth);
    void AppendCap(Point p, Point d, CapStyle cap);
    void AddContours();
    void Segment(Point a, Point b);
    void Join(Point v, Point d1, Point d2, bool smooth);
    void Cap(Point p, Point d, CapStyle cap);
    void Disc(Point c);
    // Pushes the points of the arc of the stroke's half width round c from angle a0 turning
    // by sweep (radians, either sense), after its start and before its end.
    void AppendArc(Point c, double a0, double sweep);

    ScanConverter* out_ = nullptr;
    std::uint16_t style_ = 0;
    StrokeStyle stroke_;
    double tolerance_ = 0.25;
    Matrix toDevice_;
    std::vector<Point> placed_;
    std::vector<Point> points_;
    std::vector<std::uint8_t> smooth_;
    std::vector<Point> poly_;
    std::vector<std::size_t> contourEnds_;
};

// The stroke width in device pixels of a line style drawn through `toDevice`: the width in
// twips scaled as the style asks (by the placement's mean axis scale; by its vertical or
// horizontal scale alone for the no-scale flags; by `stageScale` only when both are set),
// never under one pixel; a hairline (width 0) is one pixel.
double StrokeWidthPixels(const LineStyle& style, const Matrix& toDevice, double stageScale);

struct AxisScales {
    double least = 0;
    double most = 0;
};
// How much a placement stretches a circle's radius, at least and at most.
AxisScales StretchOf(const Matrix& toDevice);

// A line style under a placement that stretches or skews is stroked in the shape's own units
// and then placed: Flash Player's pen stretches with the shape. This is the pen's width in
// those units (a pen that does not scale keeps its width where the placement stretches
// least), or 0 when the style is stroked on the device: square placements, pens under a
// pixel across, pixel hinting, and pens that scale one way only.
double StretchedPenWidth(const LineStyle& style, const Matrix& toDevice, double stageScale);

}  // namespace flash::render
