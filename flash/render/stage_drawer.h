// Draws a playing movie: the walk over the player's display tree that hands each shape to the
// rasteriser with its placement and colour transform concatenated down the tree, opens a mask
// for every entry with a clip depth (clipping the entries above it up to that depth, in its
// own clip only), and gathers an entry with a blend mode other than normal in a layer.
//
// Shapes are parsed from their definition the first time they are drawn and kept for the
// life of the movie, so steady playback parses and allocates nothing.
//
// Bitmaps are decoded the first time something draws them (a bitmap fill, or the bitmap
// placed on its own) and kept likewise.
//
// What the rasteriser does not draw yet (video) is passed over; the rest of the frame still
// draws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "flash/draw_types.h"
#include "flash/player.h"
#include "flash/render/bitmap.h"
#include "flash/render/device_font.h"
#include "flash/render/edit_text.h"
#include "flash/render/font_text.h"
#include "flash/render/morph_shape.h"
#include "flash/render/renderer.h"
#include "flash/render/shape.h"
#include "flash/stage_layout.h"

namespace flash::render {

class StageDrawer {
public:
    // The movie must outlive the drawer (the player that owns it does), and so must the
    // source of device fonts.
    explicit StageDrawer(const Movie& movie, DeviceFontSource& systemFonts = SystemFontSource());

    // Draws the player's current frame into `surface`: the stage placed under `mode`, the
    // whole surface first filled with `background`.
    void Draw(const Player& player, Renderer& renderer, Surface& surface, ScaleMode mode,
              Rgb background);

    // Shapes parsed so far (for the tests and the benchmarks).
    std::size_t ParsedShapes() const { return parsed_; }
    const BitmapLibrary& Bitmaps() const { return bitmaps_; }

private:
    const Shape* ShapeOf(const Character& character);
    const Font* FontOf(std::uint16_t id);
    const StaticText* TextOf(const Character& character);
    // An embedded font by name and style (the nearest in style when no exact one).
    const Font* FontNamed(const std::string& name, bool bold, bool italic);
    // A text field laid out with its initial text, and its box when it shows one.
    struct Field {
        StaticText text;
        std::optional<Shape> box;
        std::optional<Shape> border;
        std::optional<Shape> clip;  // the box the text is cut at, when it reaches past it
    };
    const Field* FieldOf(const Character& character);
    void DrawText(const StaticText& text, const Matrix& m, const ColorTransform& cx);
    // The morph shape at `ratio`; null when its definition is unreadable.
    const Shape* MorphOf(const Character& character, std::uint16_t ratio);
    void DrawClip(const Clip& clip, const Matrix& m, const ColorTransform& cx, bool asMask);
    void DrawEntry(const DisplayEntry& e, const Matrix& m, const ColorTransform& cx, bool asMask);
    // Grows `box` (device pixels: left, top, right, bottom) by what the entry draws.
    void AddBounds(const DisplayEntry& e, const Matrix& m, double (&box)[4], int nesting);
    // Appends to content_ what drawing the entry's character reads at `nesting` (its morph
    // ratio, its opaque background and bitmap caching, and every field of the entries a
    // sprite or button shows, all the way down), so
    // that equal words mean equal drawing: the kept picture of a filtered object is shown
    // again only then. Whatever DrawEntry and DrawClip come to read must be added here.
    void AddContent(const DisplayEntry& e, int nesting);

    const Movie& movie_;
    Renderer* renderer_ = nullptr;
    BitmapLibrary bitmaps_;
    // Parallel to movie_.characters: the parsed shape, null until parsed or when unreadable.
    std::vector<std::unique_ptr<Shape>> shapes_;
    std::vector<std::uint8_t> tried_;
    // A morph's definition and its shape at the ratio last drawn, rebuilt when that changes.
    struct Morph {
        std::optional<MorphShape> definition;
        Shape shape;
        std::int32_t ratio = -1;
    };
    std::vector<std::unique_ptr<Morph>> morphs_;
    // Fonts and static texts, parallel to movie_.characters: null until first used, then
    // their definitions (empty when unreadable).
    std::vector<std::unique_ptr<std::optional<Font>>> fonts_;
    std::vector<std::unique_ptr<std::optional<StaticText>>> texts_;
    std::vector<std::unique_ptr<std::optional<Field>>> fields_;
    DeviceFonts deviceFonts_;
    Shape underline_;   // reused for every underline drawn
    Shape background_;  // reused for every opaque background drawn
    std::size_t parsed_ = 0;
    int nesting_ = 0;
    double scale_ = 1;  // device pixels per stage pixel in the frame being drawn
    // The entry's filters, handed to the renderer before its content is drawn.
    std::vector<Filter> filters_;
    // What a filtered entry's content is drawn from (AddContent), reused from entry to entry.
    std::vector<std::uint64_t> content_;
    // Tells this drawer's characters from another's that happen to lie at the same addresses.
    std::uint64_t drawerId_;
};

}  // namespace flash::render
