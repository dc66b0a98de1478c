// Where a tip goes and what shape it has, without <windows.h>: the screen it is placed on, the
// placement with its flips and clamps, the outline (a rounded body and the anchor triangle),
// the anchor band of its background, and the composition of a painted tip with its shadow over
// what lies under it.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "tooltip/colour.h"
#include "tooltip/pixel_effects.h"
#include "tooltip/tip_model.h"

namespace tooltip {

// The screen a tip at p is kept on: the monitor that contains p, else the monitor nearest to
// it, else (no monitors known) the virtual screen. On one monitor that is the virtual screen;
// on several it keeps a tip near a seam from straddling two screens.
Rect ScreenFor(Point p, std::span<const Rect> monitors, Rect virtualScreen);

// The placement of a tip of the given content size at point p (screen coordinates).
struct TipLayout {
    int direction = direction::kBottomLeft;  // the direction used, after the flips
    Size window;                             // without the shadow
    Point anchor;                            // window coordinates; lies on p
    Rect withMargins;                        // the content with its margins
    Rect content;                            // where the text is drawn
    // The window's top-left corner on the screen.
    Point Origin(Point p) const { return {p.x - anchor.x, p.y - anchor.y}; }
};

// The window is the content with its margins, grown by the anchor height across the anchor's
// side. The preferred direction (an unknown one counts as BottomLeft) flips to the other side
// or position where the tip would leave the screen, and the anchor slides along its edge so
// the body stays on the screen while the anchor keeps pointing at p.
TipLayout LayoutTip(Size content, const TipShape& shape, int preferred, Point p, Rect screen);

// The outline: the rounded rectangle body (its right and bottom edges outside, as GDI's round
// rectangle regions have them) shortened on the anchor's side, and the anchor triangle with
// its tip on the anchor point (none when the anchor has no width or height).
struct TipOutline {
    Rect body;
    Size corner;
    std::optional<std::array<Point, 3>> triangle;
};
TipOutline OutlineOf(const TipLayout& layout, const TipShape& shape);

// The strip between the outline and the content with its margins on the anchor's side, and
// the line of the filled background it repeats (one row or one column just inside the content
// with its margins). Empty when the anchor has no height.
struct AnchorBand {
    Rect band;
    Rect sourceLine;
};
std::optional<AnchorBand> AnchorBandOf(const TipLayout& layout, const TipShape& shape);

// The grey level of the shadow mask for a tip at transparency t: k + (255 - k) x t / 100,
// with k = 255 x (100 - darkness) / 100 rounded to the nearest (128 for darkness 50).
int ShadowGrey(int darkness, int transparency);

// One picture of the tip as the window shows it. under: what lies beneath the window (the tip
// plus the shadow offset, right and down); tip: the painted tip (window size); inside: per
// pixel of the tip, whether it lies in the outline. The shadow darkens under through the
// outline at the shadow offset; the tip is then blended over it inside the outline at opacity
// 100 - transparency. Pixels outside both are left as they were (the window region hides
// them).
Picture ComposeTip(const Picture& under, const Picture& tip, const std::vector<char>& inside,
                   const ShadowSettings& shadow, int transparency);

// The shadow offset as the window uses it: no part of it negative.
Point ShadowOffsetOf(const ShadowSettings& shadow);

}  // namespace tooltip
