#include "tests/render_scene.h"

#include <optional>

namespace rendertest {

using namespace flash;
using namespace flash::render;

PixelBuffer DrawShapeBody(const DrawRequest& r) {
    PixelBuffer surface(r.width, r.height);
    const std::optional<Shape> shape = ParseShape(r.tagCode, r.body, 10);
    Renderer renderer;
    renderer.SetQuality(r.quality);
    const Rect stage{0, r.width * 20, 0, r.height * 20};
    const StageView view = MakeStageView(ScaleMode::NoScale, r.width, r.height, stage);
    renderer.BeginFrame(surface, view, r.background);
    if (shape) renderer.DrawShape(*shape, r.placement * view.toDevice, r.cx);
    renderer.EndFrame();
    return surface;
}

std::string Picture(const PixelBuffer& surface, Pixel ink, Pixel background) {
    std::string rows;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const Pixel p = surface.At(x, y);
            rows += p == ink ? '#' : p == background ? '.' : '+';
        }
        rows += '\n';
    }
    return rows;
}

}  // namespace rendertest
