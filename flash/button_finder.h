// What the host asks of whoever knows the shapes: which button lies under a point of the
// stage. The player knows the buttons and their states but not the geometry of their hit
// areas, which the rasteriser's side reads (render/button_picker.h).
#pragma once

#include "flash/draw_types.h"
#include "flash/player.h"

namespace flash {

class ButtonFinder {
public:
    // Forgets what it kept of the movie before: a new one is loading.
    virtual void Reset() = 0;
    // The topmost button of `player`'s display tree whose hit area holds the point (stage
    // twips); null for none.
    virtual const Clip* ButtonAt(const Player& player, Point stageTwips) = 0;

protected:
    ~ButtonFinder() = default;
};

}  // namespace flash
