// The hit test of buttons: the topmost visible button whose hit-test state covers a point of
// the stage, its shapes transformed by the button's matrix and its parents'.
//
// What counts: the fill area of the hit state's shapes and morph shapes (strokes do not), the
// bounds of its texts and text fields, the shapes a sprite in the hit state places in its
// first frame, and the hit areas of buttons inside it. Bitmaps and video in a hit state do
// not count. A button under a mask counts only where the mask's shapes cover the point.
// Shapes above a button do not hide it, as in Flash Player, where only buttons take the mouse.
//
// Shapes are read the first time a hit test meets them and kept until Reset.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

#include "flash/button_finder.h"
#include "flash/render/shape.h"

namespace flash::render {

// True when the point (in the shape's twips) lies inside one of the shape's fills.
bool ShapeFillContains(const Shape& shape, Point p);

class ButtonPicker final : public ButtonFinder {
public:
    // Parts of hit areas one test looks at, nested sprites and buttons included.
    static constexpr int kMaxParts = 4096;
    static constexpr int kMaxNesting = 8;

    void Reset() override;
    const Clip* ButtonAt(const Player& player, Point stageTwips) override;

private:
    const Clip* Find(const Clip& clip, const Matrix& m, Point p, int nesting);
    bool MasksAllow(const Clip& clip, const DisplayEntry& e, const Matrix& m, Point p);
    bool HitArea(const Button& button, const Matrix& m, Point p, int nesting);
    bool CharacterHit(const Character& c, const Matrix& m, Point p, int nesting);
    const Shape* ShapeOf(const Character& c);

    const Movie* movie_ = nullptr;
    const Player* player_ = nullptr;
    int parts_ = 0;
    // Shapes (and morph shapes at ratio 0, texts as their bounds) by character; empty when
    // unreadable.
    std::unordered_map<const Character*, std::optional<Shape>> shapes_;
};

}  // namespace flash::render
