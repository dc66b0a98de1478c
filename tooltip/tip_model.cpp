#include "tooltip/tip_model.h"

#include <algorithm>

namespace tooltip {

EffectiveTool Resolve(const TooltipTool& tool, const TipSettings& settings) {
    EffectiveTool e;
    const unsigned mask = tool.overrideMask;
    e.direction = (mask & overrides::kDirection) ? tool.direction : settings.defaultDirection;
    if (!direction::IsValid(e.direction)) e.direction = direction::kBottomLeft;
    if (mask & overrides::kEffect) {
        e.effect = tool.effect;
        e.granularity = tool.granularity;
    } else {
        e.effect = settings.defaultEffect;
        e.granularity = settings.defaultGranularity;
    }
    e.granularity = std::clamp(e.granularity, 0, 255);
    e.behaviour = (mask & overrides::kBehaviour) ? tool.behaviour : settings.defaultBehaviour;
    e.transparency = std::clamp(
        (mask & overrides::kTransparency) ? tool.transparency : settings.defaultTransparency, 0,
        100);
    if (mask & overrides::kColours) {
        e.colourBegin = tool.colourBegin;
        e.colourMiddle = tool.colourMiddle;
        e.colourEnd = tool.colourEnd;
    } else {
        e.colourBegin = settings.colourBegin;
        e.colourMiddle = settings.colourMiddle;
        e.colourEnd = settings.colourEnd;
    }
    return e;
}

void ToolTable::Add(WindowKey window, TooltipTool tool) {
    std::vector<TooltipTool>& list = tools_[window];
    for (TooltipTool& existing : list) {
        if (existing.rect == tool.rect) {
            existing = std::move(tool);
            return;
        }
    }
    list.push_back(std::move(tool));
}

const TooltipTool* ToolTable::Find(WindowKey window, Point client) const {
    const auto it = tools_.find(window);
    if (it == tools_.end() || it->second.empty()) return nullptr;
    const std::vector<TooltipTool>& list = it->second;
    if (list.size() == 1 && list.front().rect.Empty()) return &list.front();
    for (const TooltipTool& tool : list) {
        const Rect& r = tool.rect;
        if (client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom)
            return &tool;
    }
    return nullptr;
}

const std::vector<TooltipTool>* ToolTable::ToolsOf(WindowKey window) const {
    const auto it = tools_.find(window);
    return it == tools_.end() ? nullptr : &it->second;
}

}  // namespace tooltip
