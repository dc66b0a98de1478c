#include "flash/render/stage_drawer.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>

#include "base/ansi_text.h"

namespace flash::render {

namespace {

// Display tree levels drawn at most; the player bounds its nesting already, this keeps the
// walk's own recursion bounded whatever the tree holds.
constexpr int kMaxDrawNesting = 128;
std::atomic<std::uint64_t> drawersMade{0};

void AddMatrix(std::vector<std::uint64_t>& words, const Matrix& m) {
    for (const double v : {m.a, m.b, m.c, m.d, m.tx, m.ty})
        words.push_back(std::bit_cast<std::uint64_t>(v));
}

void AddColorTransform(std::vector<std::uint64_t>& words, const ColorTransform& cx) {
    auto pair = [](std::int32_t lo, std::int32_t hi) {
        return static_cast<std::uint32_t>(lo) | std::uint64_t{static_cast<std::uint32_t>(hi)} << 32;
    };
    words.push_back(pair(cx.rMul, cx.gMul));
    words.push_back(pair(cx.bMul, cx.aMul));
    words.push_back(pair(cx.rAdd, cx.gAdd));
    words.push_back(pair(cx.bAdd, cx.aAdd));
}

// Device pixel bounds, held within int range.
int Low(double v) {
    return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9));
}
int High(double v) {
    return static_cast<int>(std::clamp(std::ceil(v), -1e9, 1e9));
}
// Device pixels that still fit in twips (int32) once multiplied by 20.
constexpr int kMaxTwipPixels = 100'000'000;

// A bitmap placed on its own: a rectangle of its size filled with it, one pixel to 20 twips,
// unsmoothed and clipped.
Shape BitmapShape(std::uint16_t id, const Bitmap& bitmap) {
    Shape s;
    s.id = id;
    const std::int32_t w = bitmap.width * 20, h = bitmap.height * 20;
    s.bounds = s.edgeBounds = s.extent = Rect{0, w, 0, h};
    FillStyle fill;
    fill.kind = FillKind::Bitmap;
    fill.bitmapId = id;
    fill.matrix = Matrix::Scale(20, 20);
    s.fills.push_back(fill);
    AddRectangleEdges(s, Rect{0, w, 0, h}, 0);
    s.groups.push_back(StyleGroup{0, 4, 0, 1, 0, 0});
    return s;
}

// A rectangle filled with one colour.
// Makes `s` a rectangle in twips filled with `color`, reusing its storage.
void MakeFilledRectangle(Shape& s, const Rect& r, Rgba color) {
    s.bounds = s.edgeBounds = s.extent = r;
    FillStyle fill;
    fill.color = color;
    s.fills.assign(1, fill);
    s.lines.clear();
    s.edges.clear();
    AddRectangleEdges(s, r, 0);
    s.groups.assign(1, StyleGroup{0, 4, 0, 1, 0, 0});
}

Shape FilledRectangle(const Rect& r, Rgba color) {
    Shape s;
    MakeFilledRectangle(s, r, color);
    return s;
}

}  // namespace

StageDrawer::StageDrawer(const Movie& movie, DeviceFontSource& systemFonts)
    : movie_(movie),
      bitmaps_(movie),
      shapes_(movie.characters.size()),
      tried_(movie.characters.size(), 0),
      morphs_(movie.characters.size()),
      fonts_(movie.characters.size()),
      texts_(movie.characters.size()),
      fields_(movie.characters.size()),
      deviceFonts_(systemFonts),
      drawerId_(++drawersMade) {}

const Font* StageDrawer::FontNamed(const std::string& name, bool bold, bool italic) {
    const Font* nearest = nullptr;
    for (const Character& c : movie_.characters) {
        if (c.kind != CharacterKind::Font) continue;
        const Font* font = FontOf(c.id);
        if (font == nullptr || font->glyphs.empty() || !base::EqualsNoCase(font->name, name))
            continue;
        if (font->bold == bold && font->italic == italic) return font;
        if (nearest == nullptr) nearest = font;
    }
    return nearest;
}

const StageDrawer::Field* StageDrawer::FieldOf(const Character& c) {
    auto& slot = fields_[static_cast<std::size_t>(&c - movie_.characters.data())];
    if (slot) return *slot ? &**slot : nullptr;
    slot = std::make_unique<std::optional<Field>>();
    const std::optional<EditText> edit = ParseEditText(movie_.Bytes(c.body));
    if (!edit) return nullptr;
    Field field;
    const FontFinder fonts = [this](std::uint16_t id, const std::string& name, bool bold,
                                    bool italic) -> const Font* {
        if (id != 0) return FontOf(id);
        return FontNamed(name, bold, italic);
    };
    field.text = LayoutEditText(*edit, fonts, movie_.header.version >= 6, &deviceFonts_);
    const Rect& r = field.text.bounds;  // an auto-sized field's grown box
    if (edit->border) {
        // A white box with a black line of one pixel around it, on the pixels that begin
        // at its edges: each side covers the pixels from its start up to its end's, so the
        // right and bottom lines lie just inside the next pixel, and the corner where they
        // meet is bevelled, a little short of that pixel's centre. (Even-odd: the ring, less
        // the corner square, and the bevel's triangle again.)
        field.box = FilledRectangle(r, {255, 255, 255, 255});
        Shape border =
            FilledRectangle(Rect{r.xMin, r.xMax + 20, r.yMin, r.yMax + 20}, {0, 0, 0, 255});
        AddRectangleEdges(border, Rect{r.xMin + 20, r.xMax, r.yMin + 20, r.yMax}, 0);
        AddRectangleEdges(border, Rect{r.xMax, r.xMax + 20, r.yMax, r.yMax + 20}, 0);
        const std::array<std::int32_t, 2> bevel[] = {
            {r.xMax, r.yMax}, {r.xMax + 19, r.yMax}, {r.xMax, r.yMax + 19}};
        AddPolygonEdges(border, bevel, 0);
        border.groups[0].edgeCount = 15;
        field.border = std::move(border);
    }
    if (field.text.clipped) field.clip = FilledRectangle(r, {0, 0, 0, 255});
    *slot = std::move(field);
    return &**slot;
}

const Font* StageDrawer::FontOf(std::uint16_t id) {
    const Character* c = movie_.FindCharacter(id);
    if (c == nullptr || c->kind != CharacterKind::Font) return nullptr;
    auto& slot = fonts_[static_cast<std::size_t>(c - movie_.characters.data())];
    if (!slot)
        slot = std::make_unique<std::optional<Font>>(ParseFont(c->tagCode, movie_.Bytes(c->body)));
    return *slot ? &**slot : nullptr;
}

const StaticText* StageDrawer::TextOf(const Character& c) {
    auto& slot = texts_[static_cast<std::size_t>(&c - movie_.characters.data())];
    if (!slot)
        slot =
            std::make_unique<std::optional<StaticText>>(ParseText(c.tagCode, movie_.Bytes(c.body)));
    return *slot ? &**slot : nullptr;
}

void StageDrawer::DrawText(const StaticText& text, const Matrix& m, const ColorTransform& cx) {
    const Matrix placed = m * text.matrix;
    for (const StaticText::Underline& u : text.underlines) {
        underline_.edges.clear();
        underline_.fills.assign(1, FillStyle{});
        underline_.fills[0].color = u.color;
        AddRectangleEdges(underline_, u.box, 0);
        underline_.bounds = underline_.edgeBounds = underline_.extent = u.box;
        underline_.groups.assign(1, StyleGroup{0, 4, 0, 1, 0, 0});
        renderer_->DrawShape(underline_, placed, cx);
    }
    for (const TextRecord& r : text.records) {
        const Font* font = r.font != nullptr ? r.font : FontOf(r.fontId);
        if (font == nullptr) continue;
        // The glyphs are black: the record's colour replaces it before the placement's
        // transform applies.
        ColorTransform color;
        color.rMul = color.gMul = color.bMul = color.aMul = 0;
        color.rAdd = r.color.r;
        color.gAdd = r.color.g;
        color.bAdd = r.color.b;
        color.aAdd = r.color.a;
        const ColorTransform glyphCx = cx * color;
        const double scale = r.height / font->emSquare;
        double x = r.x;
        for (const GlyphEntry& g : r.glyphs) {
            if (g.index < font->glyphs.size()) {
                const Matrix at = placed * Matrix::Translate(x, r.y) * Matrix::Scale(scale, scale);
                renderer_->DrawShape(font->glyphs[g.index], at, glyphCx);
            }
            x += g.advance;
        }
    }
}

const Shape* StageDrawer::MorphOf(const Character& character, std::uint16_t ratio) {
    const std::size_t index = static_cast<std::size_t>(&character - movie_.characters.data());
    if (index >= morphs_.size()) return nullptr;
    std::unique_ptr<Morph>& morph = morphs_[index];
    if (!morph) {
        morph = std::make_unique<Morph>();
        morph->definition = ParseMorphShape(character.tagCode, movie_.Bytes(character.body));
    }
    if (!morph->definition) return nullptr;
    if (morph->ratio != ratio) {
        MorphAt(*morph->definition, ratio, morph->shape);
        morph->ratio = ratio;
    }
    return &morph->shape;
}

const Shape* StageDrawer::ShapeOf(const Character& character) {
    const std::size_t index = static_cast<std::size_t>(&character - movie_.characters.data());
    if (index >= shapes_.size()) return nullptr;
    if (!tried_[index]) {
        tried_[index] = 1;
        std::optional<Shape> shape;
        if (character.kind == CharacterKind::Bitmap) {
            if (const Bitmap* bitmap = bitmaps_.FindBitmap(character.id))
                shape = BitmapShape(character.id, *bitmap);
        } else {
            shape =
                ParseShape(character.tagCode, movie_.Bytes(character.body), movie_.header.version);
        }
        if (shape) {
            shapes_[index] = std::make_unique<Shape>(std::move(*shape));
            shapes_[index]->serial = NewShapeSerial();
            ++parsed_;
        }
    }
    return shapes_[index].get();
}

void StageDrawer::Draw(const Player& player, Renderer& renderer, Surface& surface, ScaleMode mode,
                       Rgb background) {
    const StageView view =
        MakeStageView(mode, surface.Width(), surface.Height(), movie_.header.stage);
    renderer_ = &renderer;
    scale_ = view.scale;
    renderer.SetBitmaps(&bitmaps_);
    renderer.BeginFrame(surface, view, background);
    DrawClip(player.Root(), view.toDevice, ColorTransform{}, false);
    renderer.EndFrame();
    renderer.SetBitmaps(nullptr);
    renderer_ = nullptr;
}

void StageDrawer::DrawClip(const Clip& clip, const Matrix& m, const ColorTransform& cx,
                           bool asMask) {
    if (nesting_ >= kMaxDrawNesting) return;
    ++nesting_;
    // The clip depths of the masks in force in this clip, innermost last.
    std::uint16_t masks[kMaxDrawNesting];
    int open = 0;
    for (const DisplayEntry& e : clip.Entries()) {
        while (open > 0 && e.depth > masks[open - 1]) {
            renderer_->PopMask();
            --open;
        }
        if (e.clipDepth != 0) {
            // Inside a mask's own content every shape is geometry: a nested mask adds nothing.
            if (asMask) continue;
            if (open == kMaxDrawNesting) continue;
            renderer_->BeginMask();
            DrawEntry(e, m, cx, true);
            renderer_->EndMask();
            masks[open++] = e.clipDepth;
            continue;
        }
        if (!e.visible) continue;
        DrawEntry(e, m, cx, asMask);
    }
    while (open > 0) {
        renderer_->PopMask();
        --open;
    }
    --nesting_;
}

void StageDrawer::DrawEntry(const DisplayEntry& e, const Matrix& m, const ColorTransform& cx,
                            bool asMask) {
    if (e.character == nullptr) return;
    Matrix placed = m * e.matrix;
    // The filters this engine draws; read from the placement's stored list at each draw.
    filters_.clear();
    if (!asMask && e.filters.count > 0) {
        FilterReader reader(movie_.bytes, e.filters);
        Filter f;
        while (reader.Next(f)) {
            if (FilterDrawn(f.kind)) filters_.push_back(f);
        }
    }
    const bool filtered = !filters_.empty();
    const bool layer = !asMask && (e.blendMode != BlendMode::Normal || filtered);
    // Flash Player draws a filtered object, one cached as a bitmap and one with an opaque
    // background as a picture of itself whose corner lands on the nearest whole pixel: the
    // object moves with it.
    const bool picture = !asMask && (filtered || e.cacheAsBitmap || e.opaqueBackground);
    // A layer is composited with the whole transform; its content is drawn untransformed in
    // colour, so that the group, not each shape, takes the colour and alpha. A filtered
    // object's shadows and glows take its colour transform too.
    const ColorTransform inner = layer ? ColorTransform{} : cx * e.colorTransform;
    // What the entry draws, in device pixels (left, top, right, bottom); empty when nothing.
    double box[4] = {1e300, 1e300, -1e300, -1e300};
    if (layer || picture) AddBounds(e, m, box, 0);
    const bool drawsSomething = box[0] <= box[2] && box[1] <= box[3];
    if (picture && drawsSomething) {
        const double dx = std::round(box[0]) - box[0], dy = std::round(box[1]) - box[1];
        if (std::abs(dx) < 1 && std::abs(dy) < 1) {
            placed.tx += dx;
            placed.ty += dy;
            box[0] += dx;
            box[2] += dx;
            box[1] += dy;
            box[3] += dy;
        }
    }
    if (layer) {
        // The layer covers what the entry draws: the modes that act on what lies below
        // (Alpha, Erase) act there only, and a small object costs a small layer.
        double reach[4] = {0, 0, 0, 0};
        std::optional<PixelRect> bounds;
        if (drawsSomething) {
            // Filters reach past the object by their blur and offset.
            for (const Filter& f : filters_) {
                const FilterMargins g = MarginsOf(f, scale_);
                reach[0] += g.left;
                reach[1] += g.top;
                reach[2] += g.right;
                reach[3] += g.bottom;
            }
            bounds = PixelRect{Low(box[0] - reach[0]), Low(box[1] - reach[1]),
                               High(box[2] + reach[2]), High(box[3] + reach[3])};
        } else if (!filtered) {
            bounds = PixelRect{};
        }
        if (filtered) {
            const PixelRect spread{High(reach[0]), High(reach[1]), High(reach[2]), High(reach[3])};
            // The content is drawn from the placement (its whole-pixel corner included), the
            // stage's scale and the character with everything it shows.
            content_.clear();
            content_.push_back(drawerId_);
            content_.push_back(std::bit_cast<std::uint64_t>(scale_));
            content_.push_back(static_cast<std::uint64_t>(nesting_));
            AddMatrix(content_, placed);
            AddContent(e, nesting_);
            if (renderer_->PushFilterLayer(filters_, scale_, e.blendMode, cx * e.colorTransform,
                                           bounds, spread, content_)) {
                renderer_->PopLayer();  // shown from the picture kept of it
                return;
            }
        } else {
            renderer_->PushLayer(e.blendMode, cx * e.colorTransform, bounds);
        }
    }
    if (picture && drawsSomething && e.opaqueBackground) {
        // The picture's pixels are filled with the background colour (always opaque) before
        // the object is drawn on them.
        // Sides beyond what twips can hold are held there: far off any surface either way.
        auto twips = [](int pixels) {
            return std::clamp(pixels, -kMaxTwipPixels, kMaxTwipPixels) * 20;
        };
        const Rect r{twips(Low(box[0])), twips(High(box[2])), twips(Low(box[1])),
                     twips(High(box[3]))};
        const Rgba c = *e.opaqueBackground;
        MakeFilledRectangle(background_, r, {c.r, c.g, c.b, 255});
        renderer_->DrawShape(background_, Matrix::Scale(0.05, 0.05), inner);
    }
    switch (e.character->kind) {
        case CharacterKind::Shape:
        case CharacterKind::Bitmap:
            if (const Shape* shape = ShapeOf(*e.character))
                renderer_->DrawShape(*shape, placed, inner);
            break;
        case CharacterKind::MorphShape:
            if (const Shape* shape = MorphOf(*e.character, e.ratio))
                renderer_->DrawShape(*shape, placed, inner);
            break;
        case CharacterKind::Text:
            if (const StaticText* text = TextOf(*e.character)) DrawText(*text, placed, inner);
            break;
        case CharacterKind::Button:
            // The player's instance holds what the button's current state shows.
            if (e.clip != nullptr) DrawClip(*e.clip, placed, inner, asMask);
            break;
        case CharacterKind::EditText:
            if (const Field* field = FieldOf(*e.character)) {
                if (field->box) renderer_->DrawShape(*field->box, placed, inner);
                const bool clip = field->clip && !asMask;
                if (clip) {
                    renderer_->BeginMask();
                    renderer_->DrawShape(*field->clip, placed, inner);
                    renderer_->EndMask();
                }
                DrawText(field->text, placed, inner);
                if (clip) renderer_->PopMask();
                if (field->border) renderer_->DrawShape(*field->border, placed, inner);
            }
            break;
        case CharacterKind::Sprite:
            if (e.clip != nullptr) DrawClip(*e.clip, placed, inner, asMask);
            break;
        default:
            break;  // drawn by later stages of the engine
    }
    if (layer) renderer_->PopLayer();
}

void StageDrawer::AddContent(const DisplayEntry& e, int nesting) {
    content_.push_back(reinterpret_cast<std::uintptr_t>(e.character));
    content_.push_back(e.ratio);
    // The picture an object cached as a bitmap or with an opaque background is drawn as.
    const Rgba bg = e.opaqueBackground.value_or(Rgba{});
    content_.push_back(std::uint64_t{e.cacheAsBitmap} |
                       std::uint64_t{e.opaqueBackground.has_value()} << 8 |
                       std::uint64_t{bg.r} << 16 | std::uint64_t{bg.g} << 24 |
                       std::uint64_t{bg.b} << 32 | std::uint64_t{bg.a} << 40);
    // A sprite's or button's entries are drawn while the walk is not too deep (DrawClip).
    const bool shows =
        e.clip != nullptr && e.character != nullptr &&
        (e.character->kind == CharacterKind::Sprite || e.character->kind == CharacterKind::Button);
    if (!shows || nesting >= kMaxDrawNesting) {
        content_.push_back(~std::uint64_t{0});
        return;
    }
    content_.push_back(e.clip->Entries().size());
    for (const DisplayEntry& child : e.clip->Entries()) {
        content_.push_back(child.depth | std::uint64_t{child.clipDepth} << 16 |
                           std::uint64_t{child.visible} << 32 |
                           std::uint64_t{static_cast<std::uint8_t>(child.blendMode)} << 40);
        content_.push_back(child.filters.bytes.offset | std::uint64_t{child.filters.bytes.length}
                                                            << 32);
        content_.push_back(child.filters.count);
        AddMatrix(content_, child.matrix);
        AddColorTransform(content_, child.colorTransform);
        AddContent(child, nesting + 1);
    }
}

void StageDrawer::AddBounds(const DisplayEntry& e, const Matrix& m, double (&box)[4], int nesting) {
    if (e.character == nullptr || nesting >= kMaxDrawNesting) return;
    const Matrix placed = m * e.matrix;
    auto add = [&](const Rect& r) {
        for (const Point corner :
             {Point{double(r.xMin), double(r.yMin)}, Point{double(r.xMax), double(r.yMin)},
              Point{double(r.xMin), double(r.yMax)}, Point{double(r.xMax), double(r.yMax)}}) {
            const Point d = placed.Apply(corner);
            box[0] = std::min(box[0], d.x);
            box[1] = std::min(box[1], d.y);
            box[2] = std::max(box[2], d.x);
            box[3] = std::max(box[3], d.y);
        }
    };
    switch (e.character->kind) {
        case CharacterKind::Shape:
        case CharacterKind::Bitmap:
            if (const Shape* shape = ShapeOf(*e.character)) add(shape->bounds);
            break;
        case CharacterKind::MorphShape:
            if (const Shape* shape = MorphOf(*e.character, e.ratio)) add(shape->bounds);
            break;
        case CharacterKind::Text:
            if (const StaticText* text = TextOf(*e.character)) add(text->bounds);
            break;
        case CharacterKind::EditText:
            // The border reaches a pixel past the box on the right and at the bottom.
            if (const Field* field = FieldOf(*e.character))
                add(field->border ? field->border->extent : field->text.bounds);
            break;
        case CharacterKind::Sprite:
        case CharacterKind::Button:
            if (e.clip == nullptr) break;
            for (const DisplayEntry& child : e.clip->Entries()) {
                if (child.clipDepth == 0 && child.visible)
                    AddBounds(child, placed, box, nesting + 1);
            }
            break;
        default:
            break;
    }
}

}  // namespace flash::render
