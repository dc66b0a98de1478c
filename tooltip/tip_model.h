// The tooltip window's model, without <windows.h>: its tools and their table, the behaviour
// flags and directions, the settings with their defaults, and how a tool's own fields and the
// tooltip's defaults combine. The window (rich_tooltip.h) keeps one of each.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tooltip/colour.h"

namespace tooltip {

// Behaviour flags of a tool.
namespace behaviour {
// A move inside the shown tool hides the tip and shows it again at the new resting place.
constexpr unsigned kReshowOnMove = 0x01;
// A move inside the shown tool moves the tip with the cursor; entering the tip keeps it.
constexpr unsigned kFollowCursor = 0x02;
// A move inside the shown tool keeps the tip.
constexpr unsigned kStayOnMove = 0x04;
// The cursor entering the tip keeps it.
constexpr unsigned kStayWhenHovered = 0x08;
// The tip stays until the mouse leaves or a hiding message comes.
constexpr unsigned kNoAutoPop = 0x10;
}  // namespace behaviour

// A direction is side x 16 + position. The side names the edge of the tip that carries the
// anchor (so the tip lies below the cursor for a top anchor), the position where along that
// edge the anchor sits.
namespace direction {
constexpr int kTopLeft = 0;
constexpr int kTopRight = 1;
constexpr int kTopCenter = 2;
constexpr int kBottomLeft = 16;
constexpr int kBottomRight = 17;
constexpr int kBottomCenter = 18;
constexpr int kLeftTop = 32;
constexpr int kLeftBottom = 33;
constexpr int kLeftCenter = 34;
constexpr int kRightTop = 48;
constexpr int kRightBottom = 49;
constexpr int kRightCenter = 50;

enum class Side { Top = 0, Bottom = 1, Left = 2, Right = 3 };
// Position along the anchor's edge: 0 the start (left or top), 1 the end, 2 the centre.
constexpr Side SideOf(int d) {
    return static_cast<Side>((d >> 4) & 3);
}
constexpr int PositionOf(int d) {
    return d & 15;
}
constexpr bool IsValid(int d) {
    return d >= 0 && d < 64 && PositionOf(d) <= 2;
}
// The anchor lies on the top or bottom edge (the tip is above or below the cursor).
constexpr bool IsVertical(int d) {
    return SideOf(d) == Side::Top || SideOf(d) == Side::Bottom;
}
}  // namespace direction

// Which fields of a tool override the tooltip's defaults.
namespace overrides {
constexpr unsigned kStyle = 0x01;
constexpr unsigned kEffect = 0x02;  // effect and granularity
constexpr unsigned kColours = 0x04;
constexpr unsigned kDirection = 0x08;
constexpr unsigned kBehaviour = 0x10;
constexpr unsigned kTransparency = 0x20;
}  // namespace overrides

// One registered tool: a window, or a rectangle of a window's client area, with its text.
struct TooltipTool {
    int id = 0;
    Rect rect;         // client coordinates of its window; empty = the whole window
    std::string text;  // mark-up; empty when the notify window supplies it at display time
    unsigned overrideMask = 0;
    int style = 0;  // stored only
    int direction = direction::kBottomLeft;
    int effect = 0;
    unsigned behaviour = 0;
    int granularity = 0;
    int transparency = 0;  // 0 opaque ... 100 invisible
    Colour colourBegin = 0;
    Colour colourMiddle = 0;
    Colour colourEnd = 0;
};

// The outline of a tip: balloons have round corners and a pointing anchor, plain tips neither.
struct TipShape {
    Size corner;
    Size margin;
    int anchorWidth = 0;
    int anchorHeight = 0;
    int anchorMargin = 0;
    friend bool operator==(const TipShape&, const TipShape&) = default;
};
constexpr TipShape BalloonShape() {
    return {{16, 16}, {12, 12}, 12, 16, 16};
}
constexpr TipShape PlainShape() {
    return {{0, 0}, {3, 1}, 0, 0, 0};
}

struct ShadowSettings {
    Point offset{6, 6};  // 0, 0: no shadow; negative offsets count as 0
    Size depth{7, 7};    // the soft edge's width
    int darkness = 50;   // percent, 100 = black
    bool soft = true;
};

// One tooltip's settings, with the values they have right after construction. The three
// background colours are the system's tooltip background, which the window reads.
struct TipSettings {
    bool repaintOnRequest = true;
    int initialDelay = 500;   // ms
    int autopopDelay = 5000;  // ms; 0 = forever
    int fadeInStep = 0;       // ms per step; 0 = no fade-in
    int fadeOutStep = 0;
    bool fadeInEnabled = true;
    bool fadeOutEnabled = true;
    unsigned defaultBehaviour = 0;
    int defaultEffect = 0;
    int defaultDirection = direction::kBottomLeft;
    int defaultGranularity = 0;
    int defaultTransparency = 0;
    Colour colourBegin = 0;
    Colour colourMiddle = 0;
    Colour colourEnd = 0;
    Size border{1, 1};
    TipShape shape = BalloonShape();
    ShadowSettings shadow;

    bool FadesIn() const { return fadeInEnabled && fadeInStep > 0; }
    bool FadesOut() const { return fadeOutEnabled && fadeOutStep > 0; }
};

// What a showing of a tool uses: its own fields where its override mask says so, the
// tooltip's defaults elsewhere. An unknown direction counts as the default one, and the
// transparency is kept within 0 ... 100.
struct EffectiveTool {
    int direction = direction::kBottomLeft;
    int effect = 0;
    int granularity = 0;
    unsigned behaviour = 0;
    int transparency = 0;
    Colour colourBegin = 0;
    Colour colourMiddle = 0;
    Colour colourEnd = 0;
};
EffectiveTool Resolve(const TooltipTool& tool, const TipSettings& settings);

// A window as the tool table knows it (the handle's value).
using WindowKey = std::uintptr_t;

// The registered tools: per window, in order of registration.
class ToolTable {
public:
    // Replaces the window's tool with an equal rectangle in place, else appends.
    void Add(WindowKey window, TooltipTool tool);
    // The window's tool at a point of its client area: its only tool when that covers the
    // whole window, else the first whose rectangle contains the point. Null when none does.
    const TooltipTool* Find(WindowKey window, Point client) const;
    bool Has(WindowKey window) const { return tools_.count(window) != 0; }
    const std::vector<TooltipTool>* ToolsOf(WindowKey window) const;
    void Clear() { tools_.clear(); }

private:
    std::unordered_map<WindowKey, std::vector<TooltipTool>> tools_;
};

}  // namespace tooltip
