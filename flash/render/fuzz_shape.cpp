#include "flash/render/fuzz_shape.h"

#include <span>

#include "flash/render/renderer.h"

namespace flash::render {

void FuzzShapeInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return;
    static constexpr std::uint16_t kCodes[] = {kDefineShape, kDefineShape2, kDefineShape3,
                                               kDefineShape4};
    const std::uint8_t head = data[0];
    const std::optional<Shape> shape =
        ParseShape(kCodes[head & 3], std::span(data + 1, size - 1), 10);
    if (!shape) return;
    static constexpr Quality kQualities[] = {Quality::Low, Quality::Medium, Quality::High,
                                             Quality::Best};
    Renderer renderer;
    renderer.SetQuality(kQualities[head >> 2 & 3]);
    PixelBuffer surface(64, 64);
    const Rect stage{0, 64 * 20, 0, 64 * 20};
    const StageView view = MakeStageView(ScaleMode::ShowAll, 64, 64, stage);
    // Placements from plain to extreme: scaled down, up, rotated and skewed.
    static constexpr Matrix kPlacements[] = {{1, 0, 0, 1, 0, 0},
                                             {0.01, 0, 0, 0.01, 300, 300},
                                             {40, 0, 0, 40, -20000, -20000},
                                             {0.7, 0.7, -0.7, 0.7, 640, 0}};
    const Matrix m = view.toDevice * kPlacements[head >> 4 & 3];
    ColorTransform cx;
    if (head & 0x40) cx = {-256, 512, 256, 128, 255, -40, 0, 30};
    renderer.BeginFrame(surface, view, Rgb{255, 255, 255});
    renderer.DrawShape(*shape, m, cx);
    renderer.BeginMask();
    renderer.DrawShape(*shape, m, cx);
    renderer.EndMask();
    renderer.PushLayer(head & 0x80 ? BlendMode::Difference : BlendMode::Alpha);
    renderer.DrawShape(*shape, m, cx);
    renderer.PopLayer();
    renderer.PopMask();
    renderer.EndFrame();
}

}  // namespace flash::render
