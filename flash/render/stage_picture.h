// The control's picture of its movie: the stage drawn into the control's surface, redrawn only
// when what it shows changed - another frame's display list, another movie, size, scale mode
// or background colour. Between changes the control only copies the picture to the screen.
//
// Flash Player shows the whole window in the background colour, and what lies outside the
// stage is not cut off: under ShowAll and NoScale the margins show the background and any
// art that reaches past the stage's edges.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "flash/control_model.h"
#include "flash/render/renderer.h"
#include "flash/render/stage_drawer.h"
#include "flash/render/surface.h"

namespace flash::render {

class StagePicture {
public:
    StagePicture() { renderer_.SetQuality(Quality::High); }

    // True when the surface no longer shows what the model shows at this size.
    bool Stale(const ControlModel& model, int width, int height) const;

    // Draws the model's current frame into `surface` when Stale; true when it drew.
    bool Update(const ControlModel& model, Surface& surface);

    // The next Update draws whatever the state (the surface's pixels were lost).
    void Invalidate() { last_.reset(); }

    const Renderer& GetRenderer() const { return renderer_; }

private:
    struct Key {
        std::uint64_t movie = 0;
        std::uint64_t display = 0;
        int width = 0;
        int height = 0;
        ScaleMode mode = ScaleMode::ShowAll;
        std::uint32_t background = 0;
        bool operator==(const Key&) const = default;
    };
    static Key KeyOf(const ControlModel& model, int width, int height);

    Renderer renderer_;
    std::unique_ptr<StageDrawer> drawer_;
    std::uint64_t drawerMovie_ = 0;
    std::optional<Key> last_;
};

}  // namespace flash::render
