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

PlaceOutcome ApplyPlacement(DisplayEntry* at, const Placement& p, std::uint32_t tagOffset,
                            const Movie& movie, DisplayEntry& added) {
    const Character* character = p.characterId ? movie.FindCharacter(*p.characterId) : nullptr;
    if (at != nullptr && p.move) {
        if (p.characterId && *p.characterId != at->characterId) {
            if (character == nullptr) return PlaceOutcome::Ignored;
            at->characterId = *p.characterId;
            at->character = character;
            at->placedBy = tagOffset;
            ApplyFields(p, *at);
            return PlaceOutcome::Replaced;
        }
        return ApplyFields(p, *at) ? PlaceOutcome::Modified : PlaceOutcome::Unchanged;
    }
    if (at != nullptr) return p.characterId ? PlaceOutcome::Occupied : PlaceOutcome::Ignored;
    if (character == nullptr) return PlaceOutcome::Ignored;
    added = DisplayEntry{};
    added.depth = p.depth;
    added.characterId = *p.characterId;
    added.character = character;
    added.placedBy = tagOffset;
    ApplyFields(p, added);
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
