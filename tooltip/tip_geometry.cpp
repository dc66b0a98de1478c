#include "tooltip/tip_geometry.h"

#include <algorithm>
#include <climits>

namespace tooltip {

namespace {

bool Contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

long long DistanceSquared(const Rect& r, Point p) {
    const long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
    const long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

// The position (0 start, 1 end, 2 centre) at which a tip of the given length, whose anchor
// sits margin in from the corner of its edge, fits between lo and hi around the cursor's
// coordinate at.
int FitAlong(int position, int at, int length, int margin, int lo, int hi) {
    switch (position) {
        case 0:  // the tip runs from the anchor towards the end
            if (hi >= at + length - margin) return 0;
            return at + margin - length >= lo ? 1 : 2;
        case 1:  // the tip runs from the anchor towards the start
            if (at + margin - length >= lo) return 1;
            return hi < at + length - margin ? 2 : 0;
        default:
            if (at - lo > margin && hi - at > margin) return 2;
            return at - lo <= margin ? 0 : 1;
    }
}

// The anchor's coordinate along its edge for a tip of the given length, kept so that the tip
// stays between lo and hi where it can.
int AnchorAlong(int position, int at, int length, int margin, int lo, int hi) {
    int a = position == 0 ? margin : position == 1 ? length - margin : length / 2;
    if (position == 2) {
        // A centred anchor stays over the cursor while the body slides onto the screen.
        const int start = at - a, end = start + length;
        if (start < lo && end <= hi) {
            a = at - lo;
        } else if (end > hi && start >= lo) {
            a = at + length - hi;
        }
    }
    if (position != 1) {
        if (at - a < lo) a = at - lo;
    } else if (at + length - a > hi) {
        a = length + at - hi;
    }
    return a;
}

}  // namespace

Rect ScreenFor(Point p, std::span<const Rect> monitors, Rect virtualScreen) {
    const Rect* nearest = nullptr;
    long long best = LLONG_MAX;
    for (const Rect& m : monitors) {
        if (m.Empty()) continue;
        if (Contains(m, p)) return m;
        const long long d = DistanceSquared(m, p);
        if (d < best) {
            best = d;
            nearest = &m;
        }
    }
    return nearest ? *nearest : virtualScreen;
}

TipLayout LayoutTip(Size content, const TipShape& shape, int preferred, Point p, Rect screen) {
    TipLayout t;
    const int mx = shape.margin.cx, my = shape.margin.cy;
    const int ah = shape.anchorHeight, m = shape.anchorMargin;
    t.withMargins = {0, 0, content.cx + 2 * mx, content.cy + 2 * my};
    t.content = {mx, my, mx + content.cx, my + content.cy};
    int d = direction::IsValid(preferred) ? preferred : direction::kBottomLeft;
    const bool vertical = direction::IsVertical(d);  // flips never change this
    const int w = t.withMargins.right + (vertical ? 0 : ah);
    const int h = t.withMargins.bottom + (vertical ? ah : 0);
    t.window = {w, h};

    using direction::Side;
    // 1. Horizontally.
    switch (direction::SideOf(d)) {
        case Side::Top:
        case Side::Bottom:
            d = (d & ~15) |
                FitAlong(direction::PositionOf(d), p.x, w, m, screen.left, screen.right);
            break;
        case Side::Left:  // the tip lies right of the cursor
            if (screen.right < p.x + w) d ^= 16;
            break;
        case Side::Right:
            if (p.x - w < screen.left) d ^= 16;
            break;
    }
    // 2. Vertically.
    switch (direction::SideOf(d)) {
        case Side::Top:  // the tip lies below the cursor
            if (screen.bottom < p.y + h) d ^= 16;
            break;
        case Side::Bottom:
            if (p.y - h < screen.top) d ^= 16;
            break;
        case Side::Left:
        case Side::Right:
            d = (d & ~15) |
                FitAlong(direction::PositionOf(d), p.y, h, m, screen.top, screen.bottom);
            break;
    }
    t.direction = d;

    // 3. to 5. The anchor on its edge, and along it.
    const int position = direction::PositionOf(d);
    switch (direction::SideOf(d)) {
        case Side::Top:
        case Side::Bottom:
            t.anchor.y = direction::SideOf(d) == Side::Top ? 0 : h;
            t.anchor.x = AnchorAlong(position, p.x, w, m, screen.left, screen.right);
            break;
        case Side::Left:
        case Side::Right:
            t.anchor.x = direction::SideOf(d) == Side::Left ? 0 : w;
            t.anchor.y = AnchorAlong(position, p.y, h, m, screen.top, screen.bottom);
            break;
    }

    // 6. The anchor takes the space before the content on the top and left sides.
    if (direction::SideOf(d) == Side::Top) {
        t.withMargins.top += ah;
        t.withMargins.bottom += ah;
        t.content.top += ah;
        t.content.bottom += ah;
    } else if (direction::SideOf(d) == Side::Left) {
        t.withMargins.left += ah;
        t.withMargins.right += ah;
        t.content.left += ah;
        t.content.right += ah;
    }
    return t;
}

TipOutline OutlineOf(const TipLayout& layout, const TipShape& shape) {
    using direction::Side;
    const int w = layout.window.cx, h = layout.window.cy;
    const int ah = shape.anchorHeight, aw = shape.anchorWidth, m = shape.anchorMargin;
    TipOutline o;
    o.body = {0, 0, w + 1, h + 1};
    o.corner = shape.corner;
    const Side side = direction::SideOf(layout.direction);
    switch (side) {
        case Side::Top:
            o.body.top = ah;
            break;
        case Side::Bottom:
            o.body.bottom = h - ah;
            break;
        case Side::Left:
            o.body.left = ah;
            break;
        case Side::Right:
            o.body.right = w - ah;
            break;
    }
    if (aw <= 0 || ah <= 0) return o;

    const bool vertical = side == Side::Top || side == Side::Bottom;
    const int length = vertical ? w : h;
    const int at = vertical ? layout.anchor.x : layout.anchor.y;
    int from = 0, to = 0;
    switch (direction::PositionOf(layout.direction)) {
        case 0:
            from = m;
            to = m + aw;
            break;
        case 1:
            from = length - m;
            to = length - m - aw;
            break;
        default:
            from = at - aw / 2;
            to = at + aw / 2;
            break;
    }
    const int base = side == Side::Top      ? ah
                     : side == Side::Bottom ? h - ah
                     : side == Side::Left   ? ah
                                            : w - ah;
    if (vertical) {
        o.triangle = std::array<Point, 3>{Point{from, base}, Point{to, base}, layout.anchor};
    } else {
        o.triangle = std::array<Point, 3>{Point{base, from}, Point{base, to}, layout.anchor};
    }
    return o;
}

std::optional<AnchorBand> AnchorBandOf(const TipLayout& layout, const TipShape& shape) {
    using direction::Side;
    const int ah = shape.anchorHeight;
    if (ah <= 0) return std::nullopt;
    const int w = layout.window.cx, h = layout.window.cy;
    const Rect& wm = layout.withMargins;
    switch (direction::SideOf(layout.direction)) {
        case Side::Top:
            return AnchorBand{{0, 0, w, wm.top}, {0, wm.top, w, wm.top + 1}};
        case Side::Bottom:
            return AnchorBand{{0, wm.bottom, w, h}, {0, wm.bottom - 1, w, wm.bottom}};
        case Side::Left:
            return AnchorBand{{0, 0, wm.left, h}, {wm.left, 0, wm.left + 1, h}};
        case Side::Right:
            break;
    }
    return AnchorBand{{wm.right, 0, w, h}, {wm.right - 1, 0, wm.right, h}};
}

int ShadowGrey(int darkness, int transparency) {
    const int d = std::clamp(darkness, 0, 100), t = std::clamp(transparency, 0, 100);
    const int k = (255 * (100 - d) * 2 + 100) / 200;  // MulDiv's rounding, all terms positive
    return k + (255 - k) * t / 100;
}

Point ShadowOffsetOf(const ShadowSettings& shadow) {
    return {std::max(shadow.offset.x, 0), std::max(shadow.offset.y, 0)};
}

Picture ComposeTip(const Picture& under, const Picture& tip, const std::vector<char>& inside,
                   const ShadowSettings& shadow, int transparency) {
    Picture work = under;
    const int w = std::min(tip.width, work.width), h = std::min(tip.height, work.height);
    if (w <= 0 || h <= 0 || inside.size() != tip.pixels.size()) return work;
    const Point off = ShadowOffsetOf(shadow);

    if (off.x != 0 || off.y != 0) {
        // The area the shadow falls on: the tip's size, moved by the offset, within under.
        const int sw = std::min(tip.width, work.width - off.x);
        const int sh = std::min(tip.height, work.height - off.y);
        if (sw > 0 && sh > 0) {
            const std::uint32_t g =
                static_cast<std::uint32_t>(ShadowGrey(shadow.darkness, transparency));
            Picture mask(sw, sh, 0xFFFFFF);
            Picture area(sw, sh);
            for (int y = 0; y < sh; ++y) {
                for (int x = 0; x < sw; ++x) {
                    if (inside[static_cast<std::size_t>(y) * tip.width + x])
                        mask.At(x, y) = g << 16 | g << 8 | g;
                    area.At(x, y) = work.At(x + off.x, y + off.y);
                }
            }
            if (shadow.soft) {
                ApplySoftShadow(area, mask, shadow.depth.cx, shadow.depth.cy);
            } else {
                ApplyHardShadow(area.pixels, mask.pixels);
            }
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x) work.At(x + off.x, y + off.y) = area.At(x, y);
        }
    }

    const int opacity = 100 - std::clamp(transparency, 0, 100);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!inside[static_cast<std::size_t>(y) * tip.width + x]) continue;
            std::uint32_t& px = work.At(x, y);
            const std::uint32_t src = tip.At(x, y);
            BlendPixels(std::span<std::uint32_t>(&px, 1), std::span<const std::uint32_t>(&src, 1),
                        opacity);
        }
    }
    return work;
}

}  // namespace tooltip
