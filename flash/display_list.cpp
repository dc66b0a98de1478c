#include "flash/display_list.h"

#include <algorithm>

namespace flash {

namespace {

// Sets the fields `p` gives; true when one of them changed.
bool ApplyFields(const Placement& p, DisplayEntry& e) {
    bool changed = false;
    auto set = [&changed](auto& field, const auto& value) {
        if (!(field == value)) {
            field = value;
            changed = true;
        }
    };
    if (p.matrix) set(e.matrix, *p.matrix);
    if (p.colorTransform) set(e.colorTransform, *p.colorTransform);
    if (p.ratio) set(e.ratio, *p.ratio);
    if (p.name) set(e.name, *p.name);
    if (p.clipDepth) set(e.clipDepth, *p.clipDepth);
    if (p.filters) set(e.filters, *p.filters);
    if (p.blendMode) set(e.blendMode, *p.blendMode);
    if (p.cacheAsBitmap) set(e.cacheAsBitmap, *p.cacheAsBitmap);
    if (p.visible) set(e.visible, *p.visible);
    if (p.opaqueBackground) set(e.opaqueBackground, p.opaqueBackground);
    return changed;
}

}  // namespace

bool FindDepth(std::span<const DisplayEntry> list, std::uint16_t depth, std::size_t& index) {
    const auto it =
        std::lower_bound(list.begin(), list.end(), depth,
                         [](const DisplayEntry& e, std::uint16_t d) { return e.depth < d; });
    index = static_cast<std::size_t>(it - list.begin());
    return it != list.end() && it->depth == depth;
}

PlaceOutcome ApplyPlacement(std::vector<DisplayEntry>& list, const Placement& p,
                            std::uint32_t tagOffset, const Movie& movie, bool mayAdd,
                            std::size_t& index) {
    const bool taken = FindDepth(list, p.depth, index);
    const Character* character = p.characterId ? movie.FindCharacter(*p.characterId) : nullptr;
    if (taken && p.move) {
        DisplayEntry& e = list[index];
        if (p.characterId && *p.characterId != e.characterId) {
            if (character == nullptr) return PlaceOutcome::Ignored;
            if (!mayAdd) return PlaceOutcome::Refused;
            e.characterId = *p.characterId;
            e.character = character;
            e.placedBy = tagOffset;
            ApplyFields(p, e);
            return PlaceOutcome::Replaced;
        }
        return ApplyFields(p, e) ? PlaceOutcome::Modified : PlaceOutcome::Unchanged;
    }
    if (taken) return p.characterId ? PlaceOutcome::Occupied : PlaceOutcome::Ignored;
    if (character == nullptr) return PlaceOutcome::Ignored;
    if (!mayAdd) return PlaceOutcome::Refused;
    DisplayEntry e;
    e.depth = p.depth;
    e.characterId = *p.characterId;
    e.character = character;
    e.placedBy = tagOffset;
    ApplyFields(p, e);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), e);
    return PlaceOutcome::Added;
}

bool CopyPlacementFields(const DisplayEntry& from, DisplayEntry& to) {
    const bool changed =
        !(to.matrix == from.matrix && to.colorTransform == from.colorTransform &&
          to.ratio == from.ratio && to.name == from.name && to.clipDepth == from.clipDepth &&
          to.blendMode == from.blendMode && to.filters == from.filters &&
          to.cacheAsBitmap == from.cacheAsBitmap && to.visible == from.visible &&
          to.opaqueBackground == from.opaqueBackground);
    to.matrix = from.matrix;
    to.colorTransform = from.colorTransform;
    to.ratio = from.ratio;
    to.name = from.name;
    to.clipDepth = from.clipDepth;
    to.blendMode = from.blendMode;
    to.filters = from.filters;
    to.cacheAsBitmap = from.cacheAsBitmap;
    to.visible = from.visible;
    to.opaqueBackground = from.opaqueBackground;
    return changed;
}

}  // namespace flash
