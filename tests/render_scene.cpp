#include "tests/render_scene.h"

#include <gtest/gtest.h>

#include <optional>

#include "flash/player.h"
#include "flash/render/stage_drawer.h"
#include "flash/swf_parser.h"

namespace rendertest {

using namespace flash;
using namespace flash::render;

namespace {

// Bits most significant first, as SWF's records hold them.
class Bits {
public:
    Bits& U(std::uint32_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;) Bit(v >> i & 1);
        return *this;
    }
    Bits& S(std::int32_t v, unsigned n) {
        return U(static_cast<std::uint32_t>(v) & ((1u << n) - 1), n);
    }
    Bits& Byte(std::uint8_t v) {
        Align();
        return U(v, 8);
    }
    Bits& Align() {
        while (count_ % 8 != 0) Bit(0);
        return *this;
    }
    std::vector<std::uint8_t> bytes;

private:
    void Bit(unsigned b) {
        if (count_ % 8 == 0) bytes.push_back(0);
        if (b) bytes.back() |= 0x80 >> (count_ % 8);
        ++count_;
    }
    std::size_t count_ = 0;
};

// Straight edges of 14-bit deltas.
void Line(Bits& b, std::int32_t dx, std::int32_t dy) {
    b.U(1, 1).U(1, 1).U(12, 4).U(1, 1).S(dx, 14).S(dy, 14);
}

}  // namespace

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

// A red square of 200 twips at the origin morphing into a blue one of 400 at (100, 100),
// whose first side bends into a curve through (300, 0).
std::vector<std::uint8_t> SquareMorph() {
    Bits b;
    b.Byte(1).Byte(0);  // id
    b.Byte(0).Byte(0);  // start and end bounds: empty rectangles
    Bits styles;
    styles.Byte(1).Byte(0x00);  // one solid fill
    for (std::uint8_t c : {255, 0, 0, 255, 0, 0, 255, 255}) styles.Byte(c);
    styles.Byte(0);                                             // no line styles
    styles.Byte(0x10);                                          // 1 fill bit, 0 line bits
    styles.U(0, 1).U(0x05, 5).U(1, 5).S(0, 1).S(0, 1).U(1, 1);  // move to (0,0), fill1 = 1
    Line(styles, 200, 0);
    Line(styles, 0, 200);
    Line(styles, -200, 0);
    Line(styles, 0, -200);
    styles.U(0, 6).Align();
    const std::uint32_t offset = static_cast<std::uint32_t>(styles.bytes.size());
    for (int i = 0; i < 4; ++i) b.Byte(offset >> 8 * i & 0xFF);
    b.bytes.insert(b.bytes.end(), styles.bytes.begin(), styles.bytes.end());
    Bits end;
    end.Byte(0x00);
    end.U(0, 1).U(0x01, 5).U(9, 5).S(100, 9).S(100, 9);                         // move to (100,100)
    end.U(1, 1).U(0, 1).U(12, 4).S(200, 14).S(-100, 14).S(200, 14).S(100, 14);  // curve
    Line(end, 0, 400);
    Line(end, -400, 0);
    Line(end, 0, -400);
    end.U(0, 6).Align();
    b.bytes.insert(b.bytes.end(), end.bytes.begin(), end.bytes.end());
    return b.bytes;
}

PixelBuffer DrawFirstFrame(const std::vector<std::uint8_t>& swf, int width, int height,
                           Quality quality) {
    PixelBuffer surface(width, height);
    LoadResult loaded = ParseMovie(swf);
    if (!loaded.Ok()) {
        ADD_FAILURE() << "the movie does not load: " << LoadErrorName(loaded.error);
        return surface;
    }
    Player player(std::move(loaded.movie));
    player.StepFrame();
    StageDrawer drawer(player.GetMovie());
    Renderer renderer;
    renderer.SetQuality(quality);
    drawer.Draw(player, renderer, surface, ScaleMode::NoScale, Rgb{255, 255, 255});
    return surface;
}

}  // namespace rendertest
