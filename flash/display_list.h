// The display list of a clip: what is on it, ordered by depth, and the rules by which
// PlaceObject changes it. The rules are plain functions over entries; the player applies
// them to the list it works out for a frame and then brings the clip's list to it in one
// pass (player.h).
//
// Placement rules, as Flash Player follows them:
// - A new placement (no move flag) at a depth that is taken fails: the list is unchanged and
//   the player logs "Warning: Failed to place object at depth N.".
// - A move changes the entry at the depth; the fields the tag leaves out keep their values.
// - A move that names a character replaces the entry's character when it differs (the other
//   fields kept unless given); naming the same character is a plain move. A move at an
//   empty depth that names a character places it.
// - A placement of a character the movie does not define is ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash/button.h"
#include "flash/draw_types.h"
#include "flash/placement.h"
#include "flash/swf_movie.h"

namespace flash {

class Clip;

struct DisplayEntry {
    std::uint16_t depth = 0;
    std::uint16_t characterId = 0;
    const Character* character = nullptr;  // into Movie::characters
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    ByteRange name;               // the instance name; empty when unnamed
    std::uint16_t clipDepth = 0;  // not 0: a mask over the entries up to this depth
    BlendMode blendMode = BlendMode::Normal;
    FilterList filters;  // read with FilterReader
    bool cacheAsBitmap = false;
    bool visible = true;
    std::optional<Rgba> opaqueBackground;
    // For a sprite: the instance, which runs its own timeline. For a button: the instance,
    // whose entries are what its current state shows. Null for other characters.
    Clip* clip = nullptr;
    // The body offset of the PlaceObject tag that made this instance: going backwards keeps
    // an instance only when the same tag made it.
    std::uint32_t placedBy = 0;
};

enum class PlaceOutcome : std::uint8_t {
    Ignored,    // nothing to do: no character, or a character the movie does not define
    Occupied,   // a new placement at a taken depth
    Added,      // a new entry, in `added`
    Replaced,   // the entry took another character
    Modified,   // the entry changed
    Unchanged,  // the entry was moved to where it already was
};

// Applies `p`, read from the tag at `tagOffset`, to `at`, the entry at the placement's depth
// (null when the depth is free). A new entry is returned in `added` for the caller to put
// in its list; entries' `clip` pointers are left alone: making and dropping instances is the
// caller's part.
PlaceOutcome ApplyPlacement(DisplayEntry* at, const Placement& p, std::uint32_t tagOffset,
                            const Movie& movie, DisplayEntry& added);

// Copies what a placement sets (matrix, colour transform, ratio, name, clip depth, blend
// mode, filters, flags) from `from` to `to`; true when something changed.
bool CopyPlacementFields(const DisplayEntry& from, DisplayEntry& to);

// A timeline and its display list: the main timeline or a sprite instance. A button instance
// is a clip too, without a timeline: its entries are the characters its current state shows
// (sprites among them run their own timelines while shown). Read-only to everyone but the
// player.
class Clip {
public:
    std::span<const DisplayEntry> Entries() const { return entries_; }
    std::size_t CurrentFrame() const { return current_; }
    std::size_t TotalFrames() const { return frames_ ? frames_->size() : 0; }
    bool IsPlaying() const { return playing_; }
    const Clip* Parent() const { return parent_; }
    // The sprite this clip is an instance of; null for the main timeline.
    const Sprite* Definition() const { return sprite_; }
    // The button this clip is an instance of; null for timelines.
    const Button* ButtonDefinition() const { return button_; }
    ButtonPhase Phase() const { return phase_; }

private:
    friend class Player;

    const std::vector<Frame>* frames_ = nullptr;
    const Sprite* sprite_ = nullptr;
    const Button* button_ = nullptr;
    ButtonPhase phase_ = ButtonPhase::Idle;
    Clip* parent_ = nullptr;
    std::vector<DisplayEntry> entries_;
    std::size_t current_ = 0;
    std::size_t nesting_ = 0;  // sprite instances above this one
    bool playing_ = true;
    bool entered_ = false;  // a frame has been entered
    bool removed_ = false;  // taken off the display; kept until the step ends
};

}  // namespace flash
