#include "flash/render/button_picker.h"

#include <cmath>
#include <limits>

#include "flash/placement.h"
#include "flash/render/edit_text.h"
#include "flash/render/font_text.h"
#include "flash/render/morph_shape.h"

namespace flash::render {

namespace {

// A curve is tested as this many straight pieces: a hit area needs no finer outline.
constexpr int kCurvePieces = 16;

// The point in the space `m` maps from; empty when `m` collapses the plane.
std::optional<Point> Unmap(const Matrix& m, Point p) {
    const double det = m.a * m.d - m.b * m.c;
    if (!(std::abs(det) > 1e-12) || !std::isfinite(det)) return std::nullopt;
    const double x = p.x - m.tx, y = p.y - m.ty;
    return Point{(m.d * x - m.c * y) / det, (-m.b * x + m.a * y) / det};
}

// A shape of one fill covering `r`.
Shape RectangleShape(const Rect& r) {
    Shape s;
    s.bounds = s.edgeBounds = s.extent = r;
    s.fills.emplace_back();
    AddRectangleEdges(s, r, 0);
    s.groups.push_back(StyleGroup{0, 4, 0, 1, 0, 0});
    return s;
}

bool Inside(const Rect& r, Point p) {
    return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax;
}

}  // namespace

bool ShapeFillContains(const Shape& shape, Point p) {
    if (!Inside(shape.extent, p)) return false;
    // Within each group of styles, the nearest edge to the right of the point along its row
    // tells which fill the point lies in: the one on the edge's side facing the point. Later
    // groups lie above earlier ones, so any group's fill counts.
    for (const StyleGroup& g : shape.groups) {
        double nearest = std::numeric_limits<double>::infinity();
        std::uint16_t fill = 0;
        auto piece = [&](double x0, double y0, double x1, double y1, const Edge& e) {
            // Half-open in y, so a row through a shared end point meets one of the pieces.
            const bool down = y0 <= p.y && p.y < y1;
            const bool up = y1 <= p.y && p.y < y0;
            if (!down && !up) return;
            const double x = x0 + (p.y - y0) * (x1 - x0) / (y1 - y0);
            if (x <= p.x || x >= nearest) return;
            nearest = x;
            // Travelling down the screen, the right-hand side is towards smaller x: the
            // point's side is fill1; travelling up, fill0.
            fill = down ? e.fill1 : e.fill0;
        };
        const std::size_t end =
            std::min<std::size_t>(g.firstEdge + g.edgeCount, shape.edges.size());
        for (std::size_t i = g.firstEdge; i < end; ++i) {
            const Edge& e = shape.edges[i];
            if (e.fill0 == 0 && e.fill1 == 0) continue;
            if (!e.curved) {
                piece(e.x0, e.y0, e.x1, e.y1, e);
                continue;
            }
            double px = e.x0, py = e.y0;
            for (int k = 1; k <= kCurvePieces; ++k) {
                const double t = static_cast<double>(k) / kCurvePieces, u = 1 - t;
                const double x = u * u * e.x0 + 2 * u * t * e.cx + t * t * e.x1;
                const double y = u * u * e.y0 + 2 * u * t * e.cy + t * t * e.y1;
                piece(px, py, x, y, e);
                px = x;
                py = y;
            }
        }
        if (fill != 0) return true;
    }
    return false;
}

void ButtonPicker::Reset() {
    shapes_.clear();
    movie_ = nullptr;
    player_ = nullptr;
}

const Clip* ButtonPicker::ButtonAt(const Player& player, Point stageTwips) {
    if (movie_ != &player.GetMovie()) {
        Reset();
        movie_ = &player.GetMovie();
    }
    player_ = &player;
    parts_ = kMaxParts;
    return Find(player.Root(), Matrix{}, stageTwips, 0);
}

const Clip* ButtonPicker::Find(const Clip& clip, const Matrix& m, Point p, int nesting) {
    if (nesting >= static_cast<int>(Player::kMaxNesting)) return nullptr;
    const std::span<const DisplayEntry> entries = clip.Entries();
    // Topmost first.
    for (std::size_t i = entries.size(); i-- > 0;) {
        const DisplayEntry& e = entries[i];
        if (e.clip == nullptr || e.clipDepth != 0 || !e.visible) continue;
        const Matrix placed = m * e.matrix;
        const Clip* found = nullptr;
        if (const Button* button = e.clip->ButtonDefinition()) {
            if (HitArea(*button, placed, p, 0)) found = e.clip;
        } else {
            found = Find(*e.clip, placed, p, nesting + 1);
        }
        if (found != nullptr && MasksAllow(clip, e, m, p)) return found;
    }
    return nullptr;
}

bool ButtonPicker::MasksAllow(const Clip& clip, const DisplayEntry& e, const Matrix& m, Point p) {
    for (const DisplayEntry& mask : clip.Entries()) {
        if (mask.depth >= e.depth) break;
        if (mask.clipDepth == 0 || mask.clipDepth < e.depth || mask.character == nullptr) continue;
        if (!CharacterHit(*mask.character, m * mask.matrix, p, 0)) return false;
    }
    return true;
}

bool ButtonPicker::HitArea(const Button& button, const Matrix& m, Point p, int nesting) {
    for (const ButtonRecord& r : button.records) {
        if (!(r.states & kButtonHitTest)) continue;
        const Character* c = movie_->FindCharacter(r.characterId);
        if (c != nullptr && CharacterHit(*c, m * r.matrix, p, nesting + 1)) return true;
    }
    return false;
}

bool ButtonPicker::CharacterHit(const Character& c, const Matrix& m, Point p, int nesting) {
    // Buttons and sprites that place themselves would make the walk grow without end.
    if (parts_ <= 0 || nesting > kMaxNesting) return false;
    --parts_;
    switch (c.kind) {
        case CharacterKind::Shape:
        case CharacterKind::MorphShape:
        case CharacterKind::Text:
        case CharacterKind::EditText: {
            const Shape* shape = ShapeOf(c);
            const std::optional<Point> q = Unmap(m, p);
            return shape != nullptr && q && ShapeFillContains(*shape, *q);
        }
        case CharacterKind::Button:
            if (const Button* button = player_->ButtonOf(c)) return HitArea(*button, m, p, nesting);
            return false;
        case CharacterKind::Sprite: {
            // What the sprite's first frame places: the hit state's own instance is not kept.
            const Sprite& sprite = movie_->sprites[c.index];
            for (const ControlTag& tag : sprite.frames[0].tags) {
                Placement placement;
                if (!ParsePlaceObject(tag.code, movie_->bytes, tag.body, movie_->header.version,
                                      placement) ||
                    placement.move || !placement.characterId || placement.clipDepth)
                    continue;
                const Character* child = movie_->FindCharacter(*placement.characterId);
                if (child != nullptr &&
                    CharacterHit(*child, m * placement.matrix.value_or(Matrix{}), p, nesting + 1))
                    return true;
            }
            return false;
        }
        default:
            return false;
    }
}

const Shape* ButtonPicker::ShapeOf(const Character& c) {
    auto [it, made] = shapes_.try_emplace(&c);
    if (made) {
        const std::span<const std::uint8_t> body = movie_->Bytes(c.body);
        switch (c.kind) {
            case CharacterKind::Shape:
                it->second = ParseShape(c.tagCode, body, movie_->header.version);
                break;
            case CharacterKind::MorphShape:
                if (const std::optional<MorphShape> morph = ParseMorphShape(c.tagCode, body)) {
                    Shape s;
                    MorphAt(*morph, 0, s);
                    it->second = std::move(s);
                }
                break;
            case CharacterKind::Text:
                if (const std::optional<StaticText> text = ParseText(c.tagCode, body))
                    it->second = RectangleShape(text->bounds);
                break;
            case CharacterKind::EditText:
                if (const std::optional<EditText> field = ParseEditText(body))
                    it->second = RectangleShape(field->bounds);
                break;
            default:
                break;
        }
    }
    return it->second ? &*it->second : nullptr;
}

}  // namespace flash::render
