#include "flash/render/stroker.h"

#include "flash/render/flatten.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace flash::render {

namespace {

Point Add(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point Sub(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
Point Mul(Point a, double k) {
    return {a.x * k, a.y * k};
}
double Dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}
double Cross(Point a, Point b) {
    return a.x * b.y - a.y * b.x;
}
double Length(Point a) {
    return std::sqrt(Dot(a, a));
}
Point Unit(Point a) {
    const double l = Length(a);
    return l > 0 ? Mul(a, 1 / l) : Point{};
}
// d turned a quarter to the right on the screen (y down): (1,0) becomes (0,1).
Point Right(Point d) {
    return {-d.y, d.x};
}

// The outer bisector of a corner's two offsets, and the cosine of half the angle between
// them: the offsets' edges meet h / cosHalf out along it.
struct Bisector {
    Point dir;
    double cosHalf;
};
Bisector BisectorOf(Point o1, Point o2) {
    const Point b = Unit(Add(o1, o2));
    return {b, Dot(Unit(o1), b)};
}

}  // namespace

double StrokeWidthPixels(const LineStyle& style, const Matrix& m, double stageScale) {
    if (style.width == 0) return 1;
    const double xScale = std::sqrt(m.a * m.a + m.b * m.b);
    const double yScale = std::sqrt(m.c * m.c + m.d * m.d);
    double scale = std::min(xScale, yScale);
    if (style.noHScale && style.noVScale) {
        scale = stageScale / 20;
    } else if (style.noHScale) {
        scale = yScale;
    } else if (style.noVScale) {
        scale = xScale;
    }
    const double w = style.width * scale;
    return std::isfinite(w) ? std::max(w, 1.0) : 1.0;
}

AxisScales StretchOf(const Matrix& m) {
    // The singular values of the placement's linear part: how much it stretches a circle's
    // radius at most and at least.
    const double sum = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d;
    const double det = m.a * m.d - m.b * m.c;
    const double root = std::sqrt(std::max(sum * sum - 4 * det * det, 0.0));
    return {std::sqrt(std::max((sum - root) / 2, 0.0)), std::sqrt((sum + root) / 2)};
}

double StretchedPenWidth(const LineStyle& style, const Matrix& m, double stageScale) {
    if (style.width == 0 || style.noHScale != style.noVScale || style.pixelHinting) return 0;
    const AxisScales s = StretchOf(m);
    // A placement that keeps circles circles strokes as well on the device.
    if (!(s.least > 0) || !std::isfinite(s.most) || s.most - s.least <= 1e-9 * s.most) return 0;
    // A pen that does not scale keeps its width where the placement stretches least.
    const double width = style.noHScale ? style.width * stageScale / 20 / s.least : style.width;
    // A pen thinner than a pixel across is drawn on the device, where its one-pixel floor
    // holds.
    return width * s.least >= 1 ? width : 0;
}

void Stroker::Begin(ScanConverter& out, std::uint16_t style, const StrokeStyle& stroke,
                    double tolerance, const Matrix& toDevice) {
    out_ = &out;
    toDevice_ = toDevice;
    style_ = style;
    stroke_ = stroke;
    tolerance_ = std::max(tolerance, 0.01);
    ClearPoints();
}

void Stroker::AddPoint(Point p) {
    points_.push_back(p);
    smooth_.push_back(0);
}

void Stroker::ClearPoints() {
    points_.clear();
    smooth_.clear();
}

void Stroker::MoveTo(Point p) {
    Finish();
    AddPoint(p);
}

void Stroker::LineTo(Point p) {
    if (points_.empty()) {
        AddPoint(p);
        return;
    }
    // The scan converter takes no more lines than this either.
    if (p == points_.back() || points_.size() >= ScanConverter::kMaxLines) return;
    AddPoint(p);
}

void Stroker::QuadTo(Point c, Point p) {
    if (points_.empty()) AddPoint(c);
    // The chords' inner ends are marked: the curve has no corner there.
    FlattenQuad(points_.back(), c, p, tolerance_, [&](Point q) {
        const std::size_t before = points_.size();
        LineTo(q);
        if (q != p && points_.size() > before) smooth_.back() = 1;
    });
}

void Stroker::Finish() {
    const std::size_t n = points_.size();
    if (n == 0 || out_ == nullptr) return;
    if (n == 1) {
        // A stroke of no length: a dot where its caps would be.
        const CapStyle cap = stroke_.startCap;
        if (cap == CapStyle::Round) {
            Disc(points_[0]);
        } else if (cap == CapStyle::Square) {
            const double h = stroke_.halfWidth;
            const Point p = points_[0];
            const Point square[4] = {
                {p.x - h, p.y - h}, {p.x + h, p.y - h}, {p.x + h, p.y + h}, {p.x - h, p.y + h}};
            AddPolygon(square, 4);
        }
        ClearPoints();
        return;
    }
    const bool closed = stroke_.closeWhereItMeets && n > 2 && points_.front() == points_.back();
    if (stroke_.halfWidth <= 0.5) {
        // Hairlines as pieces, each band and join with the same winding.
        for (std::size_t i = 0; i + 1 < n; ++i) Segment(points_[i], points_[i + 1]);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            Join(points_[i], Unit(Sub(points_[i], points_[i - 1])),
                 Unit(Sub(points_[i + 1], points_[i])), smooth_[i] != 0);
        }
        if (closed) {
            Join(points_[0], Unit(Sub(points_[n - 1], points_[n - 2])),
                 Unit(Sub(points_[1], points_[0])), false);
        } else {
            Cap(points_[0], Unit(Sub(points_[0], points_[1])), stroke_.startCap);
            Cap(points_[n - 1], Unit(Sub(points_[n - 1], points_[n - 2])), stroke_.endCap);
        }
        ClearPoints();
        return;
    }
    // Wider strokes as one outline: the right-hand offset of the polyline going forward, the
    // end cap, the right-hand offset coming back, the start cap (a closed polyline: the two
    // offsets as two rings). Outer corners get their join; inner ones pass through the vertex
    // itself, which makes the outline's winding the sum of the segments' rectangles and the
    // joins' wedges, so the non-zero rule fills exactly their union.
    poly_.clear();
    contourEnds_.clear();
    if (closed) {
        OutlineSide(true, true);
        contourEnds_.push_back(poly_.size());
        OutlineSide(false, true);
        contourEnds_.push_back(poly_.size());
    } else {
        OutlineSide(true, false);
        AppendCap(points_[n - 1], Unit(Sub(points_[n - 1], points_[n - 2])), stroke_.endCap);
        OutlineSide(false, false);
        AppendCap(points_[0], Unit(Sub(points_[0], points_[1])), stroke_.startCap);
        contourEnds_.push_back(poly_.size());
    }
    AddContours();
    ClearPoints();
}

void Stroker::OutlineSide(bool forward, bool closed) {
    const std::size_t n = points_.size();
    auto at = [&](std::size_t i) { return forward ? points_[i] : points_[n - 1 - i]; };
    const double h = stroke_.halfWidth;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Point a = at(i), b = at(i + 1);
        const Point d = Unit(Sub(b, a));
        const Point o = Mul(Right(d), h);
        poly_.push_back(Add(a, o));
        poly_.push_back(Add(b, o));
        // The corner at b: towards the next segment, round to the first one when closed.
        if (i + 2 < n) {
            AppendJoin(b, d, Unit(Sub(at(i + 2), b)), smooth_[forward ? i + 1 : n - 2 - i] != 0);
        } else if (closed) {
            AppendJoin(b, d, Unit(Sub(at(1), at(0))), false);
        }
    }
}

void Stroker::AppendJoin(Point v, Point d1, Point d2, bool smooth) {
    const double cross = Cross(d1, d2), dot = Dot(d1, d2);
    const double h = stroke_.halfWidth;
    if (cross > 0 || (cross == 0 && dot > 0)) {
        // Turning towards this side (or straight on): the inner corner.
        if (cross > 0) poly_.push_back(v);
        return;
    }
    const Point o1 = Mul(Right(d1), h), o2 = Mul(Right(d2), h);
    const Bisector bis = BisectorOf(o1, o2);
    if (smooth && bis.cosHalf >= 0.5) {
        // Between two chords of one curve the outline takes the bisector's point, whatever
        // the join style: the curve has no corner to join. A curve cut into chords that fold
        // back sharply keeps the style's join.
        poly_.push_back(Add(v, Mul(bis.dir, h / bis.cosHalf)));
        return;
    }
    switch (stroke_.join) {
        case JoinStyle::Round: {
            const double angle = std::acos(std::clamp(dot, -1.0, 1.0));
            // The offset turns the way the path does (against the angle's sense); turned right
            // back, that takes the arc round the far side of the end.
            AppendArc(v, std::atan2(o1.y, o1.x), -angle);
            return;
        }
        case JoinStyle::Bevel:
            return;
        case JoinStyle::Miter: {
            const double limit = std::max(stroke_.miterLimit, 1.0) * h;
            if (cross != 0 && bis.cosHalf > 0 && h / bis.cosHalf <= limit) {
                poly_.push_back(Add(v, Mul(bis.dir, h / bis.cosHalf)));
                return;
            }
            // Cut square to the bisector at the limit's distance.
            const Point b = cross != 0 ? bis.dir : d1;
            const double t1 = (limit - Dot(o1, b)) / std::max(Dot(d1, b), 1e-12);
            const double t2 = (limit - Dot(o2, b)) / std::max(-Dot(d2, b), 1e-12);
            if (cross == 0) {
                // Turned right back: a square end as long as the limit allows.
                poly_.push_back(Add(Add(v, o1), Mul(d1, limit)));
                poly_.push_back(Add(Add(v, o2), Mul(d1, limit)));
                return;
            }
            poly_.push_back(Add(Add(v, o1), Mul(d1, t1)));
            poly_.push_back(Sub(Add(v, o2), Mul(d2, t2)));
            return;
        }
    }
}

void Stroker::AppendCap(Point p, Point d, CapStyle cap) {
    // From p + Right(d) h round the outside (d points away from the stroke) to p - Right(d) h.
    const double h = stroke_.halfWidth;
    const Point n = Mul(Right(d), h);
    switch (cap) {
        case CapStyle::None:
            return;
        case CapStyle::Square:
            poly_.push_back(Add(Add(p, n), Mul(d, h)));
            poly_.push_back(Add(Sub(p, n), Mul(d, h)));
            return;
        case CapStyle::Round:
            AppendArc(p, std::atan2(n.y, n.x), -std::numbers::pi);
            return;
    }
}

void Stroker::AddContours() {
    for (Point& p : poly_) p = toDevice_.Apply(p);
    double area = 0;
    std::size_t begin = 0;
    for (std::size_t end : contourEnds_) {
        for (std::size_t i = begin; i < end; ++i) {
            area += Cross(poly_[i], poly_[i + 1 < end ? i + 1 : begin]);
        }
        begin = end;
    }
    if (area == 0) return;
    // One orientation for all the rings of a stroke: a closed stroke's inner ring must stay
    // the opposite way round to its outer one.
    const std::uint16_t left = area > 0 ? 0 : style_, right = area > 0 ? style_ : 0;
    begin = 0;
    for (std::size_t end : contourEnds_) {
        for (std::size_t i = begin; i < end; ++i) {
            out_->AddLine(poly_[i], poly_[i + 1 < end ? i + 1 : begin], left, right);
        }
        begin = end;
    }
}

void Stroker::AddPolygon(const Point* local, std::size_t count) {
    if (count < 3) return;
    placed_.resize(count);
    for (std::size_t i = 0; i < count; ++i) placed_[i] = toDevice_.Apply(local[i]);
    const Point* p = placed_.data();
    double area = 0;
    for (std::size_t i = 0; i < count; ++i) area += Cross(p[i], p[(i + 1) % count]);
    if (area == 0) return;
    // Positive area is clockwise on the screen: the inside is on the right (fill1).
    const std::uint16_t left = area > 0 ? 0 : style_, right = area > 0 ? style_ : 0;
    for (std::size_t i = 0; i < count; ++i) out_->AddLine(p[i], p[(i + 1) % count], left, right);
}

void Stroker::Segment(Point a, Point b) {
    // Thin lines too are as thick as their width across their direction, not along an axis:
    // without anti-aliasing a one-pixel diagonal then fills two pixels in some rows, as Flash
    // Player's low-quality pictures show.
    const Point n = Mul(Right(Unit(Sub(b, a))), stroke_.halfWidth);
    const Point quad[4] = {Add(a, n), Add(b, n), Sub(b, n), Sub(a, n)};
    AddPolygon(quad, 4);
}

// Round joins, caps and dots are drawn as Flash Player draws circles: in quadratic curves of
// at most an eighth of a turn each, their controls where the ends' tangents meet, each cut
// into chords like any curve. (Chords of the circle itself, however fine, leave other samples
// on either side of the edge than its pictures show.)
void Stroker::AppendArc(Point c, double a0, double sweep) {
    const double h = stroke_.halfWidth;
    const int pieces = std::clamp(
        static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 4) - 1e-9)), 1, 8);
    const double step = sweep / pieces;
    const double reach = h / std::cos(step / 2);  // from the centre to a piece's control
    auto at = [&](double a, double r) {
        return Point{c.x + r * std::cos(a), c.y + r * std::sin(a)};
    };
    Point from = at(a0, h);
    for (int i = 0; i < pieces; ++i) {
        const double a = a0 + step * i;
        const Point to = at(a + step, h);
        const bool last = i + 1 == pieces;
        FlattenQuad(from, at(a + step / 2, reach), to, tolerance_, [&](Point q) {
            if (!last || q != to) poly_.push_back(q);
        });
        from = to;
    }
}

void Stroker::Disc(Point c) {
    poly_.clear();
    poly_.push_back({c.x + stroke_.halfWidth, c.y});
    AppendArc(c, 0, 2 * std::numbers::pi);
    AddPolygon(poly_.data(), poly_.size());
}

void Stroker::Join(Point v, Point d1, Point d2, bool smooth) {
    const double cross = Cross(d1, d2), dot = Dot(d1, d2);
    const double h = stroke_.halfWidth;
    if (std::abs(cross) < 1e-9) {
        // Straight on: nothing to fill. Turned right back: only a round join shows.
        if (dot < 0 && stroke_.join == JoinStyle::Round) Disc(v);
        return;
    }
    // The gap opens on the side away from the turn.
    const double side = cross > 0 ? -1 : 1;
    const Point o1 = Mul(Right(d1), side * h), o2 = Mul(Right(d2), side * h);
    poly_.clear();
    poly_.push_back(v);
    poly_.push_back(Add(v, o1));
    // Between two chords of one curve: the bisector's point (see AppendJoin).
    const Bisector bis = BisectorOf(o1, o2);
    if (smooth && bis.cosHalf >= 0.5) {
        poly_.push_back(Add(v, Mul(bis.dir, h / bis.cosHalf)));
        poly_.push_back(Add(v, o2));
        AddPolygon(poly_.data(), poly_.size());
        return;
    }
    switch (stroke_.join) {
        case JoinStyle::Round: {
            const double angle = std::acos(std::clamp(dot, -1.0, 1.0));
            AppendArc(v, std::atan2(o1.y, o1.x), Cross(o1, o2) > 0 ? angle : -angle);
            break;
        }
        case JoinStyle::Bevel:
            break;
        case JoinStyle::Miter: {
            const double limit = std::max(stroke_.miterLimit, 1.0) * h;
            if (bis.cosHalf > 0 && h / bis.cosHalf <= limit) {
                poly_.push_back(Add(v, Mul(bis.dir, h / bis.cosHalf)));
            } else {
                // Cut square to the bisector at the limit's distance.
                const Point b = bis.dir;
                const double t1 = (limit - Dot(o1, b)) / std::max(Dot(d1, b), 1e-12);
                const double t2 = (limit - Dot(o2, b)) / std::max(-Dot(d2, b), 1e-12);
                poly_.push_back(Add(Add(v, o1), Mul(d1, t1)));
                poly_.push_back(Sub(Add(v, o2), Mul(d2, t2)));
            }
            break;
        }
    }
    poly_.push_back(Add(v, o2));
    AddPolygon(poly_.data(), poly_.size());
}

void Stroker::Cap(Point p, Point d, CapStyle cap) {
    // d points outwards, away from the stroke.
    const double h = stroke_.halfWidth;
    const Point n = Mul(Right(d), h);
    switch (cap) {
        case CapStyle::None:
            return;
        case CapStyle::Square: {
            const Point e = Mul(d, h);
            const Point quad[4] = {Add(p, n), Add(Add(p, n), e), Add(Sub(p, n), e), Sub(p, n)};
            AddPolygon(quad, 4);
            return;
        }
        case CapStyle::Round: {
            // From p + n round the outside (through p + d h) to p - n.
            poly_.clear();
            poly_.push_back(Add(p, n));
            AppendArc(p, std::atan2(n.y, n.x),
                      Cross(n, d) > 0 ? std::numbers::pi : -std::numbers::pi);
            poly_.push_back(Sub(p, n));
            AddPolygon(poly_.data(), poly_.size());
            return;
        }
    }
}

}  // namespace flash::render
