#include "flash/render/stage_drawer.h"

namespace flash::render {

namespace {

// Display tree levels drawn at most; the player bounds its nesting already, this keeps the
// walk's own recursion bounded whatever the tree holds.
constexpr int kMaxDrawNesting = 128;

}  // namespace

StageDrawer::StageDrawer(const Movie& movie)
    : movie_(movie), shapes_(movie.characters.size()), tried_(movie.characters.size(), 0) {}

const Shape* StageDrawer::ShapeOf(const Character& character) {
    const std::size_t index = static_cast<std::size_t>(&character - movie_.characters.data());
    if (index >= shapes_.size()) return nullptr;
    if (!tried_[index]) {
        tried_[index] = 1;
        std::optional<Shape> shape =
            ParseShape(character.tagCode, movie_.Bytes(character.body), movie_.header.version);
        if (shape) {
            shapes_[index] = std::make_unique<Shape>(std::move(*shape));
            ++parsed_;
        }
    }
    return shapes_[index].get();
}

void StageDrawer::Draw(const Player& player, Renderer& renderer, Surface& surface,
                       ScaleMode mode, Rgb background) {
    const StageView view =
        MakeStageView(mode, surface.Width(), surface.Height(), movie_.header.stage);
    renderer_ = &renderer;
    renderer.BeginFrame(surface, view, background);
    DrawClip(player.Root(), view.toDevice, ColorTransform{}, false);
    renderer.EndFrame();
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
    const Matrix placed = m * e.matrix;
    const bool layer = !asMask && e.blendMode != BlendMode::Normal;
    // A layer is composited with the whole transform; its content is drawn untransformed in
    // colour, so that the group, not each shape, takes the colour and alpha.
    const ColorTransform inner = layer ? ColorTransform{} : cx * e.colorTransform;
    if (layer) renderer_->PushLayer(e.blendMode, cx * e.colorTransform);
    switch (e.character->kind) {
        case CharacterKind::Shape:
            if (const Shape* shape = ShapeOf(*e.character)) renderer_->DrawShape(*shape, placed, inner);
            break;
        case CharacterKind::Sprite:
            if (e.clip != nullptr) DrawClip(*e.clip, placed, inner, asMask);
            break;
        default:
            break;  // drawn by later stages of the engine
    }
    if (layer) renderer_->PopLayer();
}

}  // namespace flash::render
