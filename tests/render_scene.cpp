#include "tests/render_scene.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "flash/render/swf_bits.h"
#include "flash/swf_parser.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#include <stb_image_write.h>

namespace rendertest {

using namespace flash;
using namespace flash::render;

bool LoadPng(const std::string& path, PixelBuffer& out) {
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (data == nullptr) return false;
    out.Resize(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = data + (std::size_t(y) * w + x) * 4;
            out.Row(y)[x] = Premultiply({p[0], p[1], p[2], p[3]});
        }
    }
    stbi_image_free(data);
    return true;
}

namespace {

Rgba Straight(Pixel p) {
    const std::uint32_t a = PixelA(p);
    auto c = [a](std::uint32_t v) {
        return static_cast<std::uint8_t>(a == 0 ? 0 : std::min(255u, (v * 255 + a / 2) / a));
    };
    return {c(PixelR(p)), c(PixelG(p)), c(PixelB(p)), static_cast<std::uint8_t>(a)};
}

}  // namespace

bool SavePng(const std::string& path, const PixelBuffer& surface) {
    std::vector<unsigned char> rgba(std::size_t(surface.Width()) * surface.Height() * 4);
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const Rgba c = Straight(surface.At(x, y));
            unsigned char* p = &rgba[(std::size_t(y) * surface.Width() + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    }
    return stbi_write_png(path.c_str(), surface.Width(), surface.Height(), 4, rgba.data(),
                          surface.Width() * 4) != 0;
}

Difference Compare(const PixelBuffer& actual, const PixelBuffer& expected, int tolerance) {
    Difference d;
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
        d.sizeMismatch = true;
        return d;
    }
    for (int y = 0; y < actual.Height(); ++y) {
        for (int x = 0; x < actual.Width(); ++x) {
            const Rgba a = Straight(actual.At(x, y)), e = Straight(expected.At(x, y));
            for (auto [u, v] : {std::pair{a.r, e.r}, {a.g, e.g}, {a.b, e.b}, {a.a, e.a}}) {
                const std::uint32_t diff = std::abs(int(u) - int(v));
                d.largest = std::max(d.largest, diff);
                if (diff > static_cast<std::uint32_t>(tolerance)) ++d.outliers;
            }
        }
    }
    return d;
}

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

CorpusCase ReadCorpusToml(const std::string& path) {
    CorpusCase c;
    std::ifstream in(path);
    std::string line;
    auto number = [](const std::string& l) { return std::atoi(l.substr(l.find('=') + 1).c_str()); };
    while (std::getline(in, line)) {
        if (line.rfind("num_frames", 0) == 0 || line.rfind("num_ticks", 0) == 0)
            c.frames = number(line);
        if (line.rfind("tolerance", 0) == 0) c.tolerance = number(line);
        if (line.rfind("max_outliers", 0) == 0) c.maxOutliers = number(line);
        if (line.rfind("known_failure", 0) == 0)
            c.knownFailure = line.find("true") != std::string::npos;
        const std::size_t q = line.find("quality = \"");
        if (q != std::string::npos) {
            const std::size_t start = q + 11;
            if (auto quality = ParseQuality(line.substr(start, line.find('"', start) - start))) {
                c.quality = *quality;
            }
        }
    }
    return c;
}

namespace {

ColorTransform ReadCxform(SwfBits& in, bool withAlpha) {
    in.Align();
    ColorTransform cx;
    const bool add = in.Flag(), mul = in.Flag();
    const unsigned n = in.Bits(4);
    if (mul) {
        cx.rMul = in.SignedBits(n);
        cx.gMul = in.SignedBits(n);
        cx.bMul = in.SignedBits(n);
        if (withAlpha) cx.aMul = in.SignedBits(n);
    }
    if (add) {
        cx.rAdd = in.SignedBits(n);
        cx.gAdd = in.SignedBits(n);
        cx.bAdd = in.SignedBits(n);
        if (withAlpha) cx.aAdd = in.SignedBits(n);
    }
    in.Align();
    return cx;
}

void SkipString(SwfBits& in) {
    while (in.BytesLeft() > 0 && in.U8() != 0) {
    }
}

}  // namespace

std::optional<RootScene> RootScene::Load(const std::string& swfPath, std::string& why) {
    LoadResult loaded = LoadMovieFile(swfPath);
    if (!loaded.Ok()) {
        why = LoadErrorName(loaded.error);
        return std::nullopt;
    }
    RootScene scene;
    scene.movie_ = std::move(loaded.movie);
    const std::vector<std::uint8_t>& b = scene.movie_.bytes;
    const std::size_t rectBytes = (5 + 4 * (b[8] >> 3) + 7) / 8;
    std::size_t pos = 8 + rectBytes + 4;
    std::map<std::uint16_t, Placement> list;
    while (pos + 2 <= b.size()) {
        const unsigned head = b[pos] | b[pos + 1] << 8;
        pos += 2;
        const unsigned code = head >> 6;
        std::size_t length = head & 0x3F;
        if (length == 0x3F) {
            if (pos + 4 > b.size()) break;
            length = b[pos] | b[pos + 1] << 8 | b[pos + 2] << 16 | std::size_t(b[pos + 3]) << 24;
            pos += 4;
        }
        if (length > b.size() - pos) break;
        const std::span<const std::uint8_t> body(b.data() + pos, length);
        pos += length;
        if (code == 0 || code == 1) break;  // the first frame ends
        if (auto shape = ParseShape(code, body, scene.movie_.header.version)) {
            scene.shapes_[shape->id] = std::move(*shape);
            continue;
        }
        SwfBits in(body);
        switch (code) {
            case 4: {  // PlaceObject
                Placement p;
                p.character = in.U16();
                p.depth = in.U16();
                p.matrix = in.ReadMatrix();
                if (in.BytesLeft() > 0) p.cx = ReadCxform(in, false);
                list[p.depth] = p;
                break;
            }
            case 26:
            case 70: {  // PlaceObject2, PlaceObject3
                const std::uint8_t f = in.U8();
                const std::uint8_t f2 = code == 70 ? in.U8() : 0;
                Placement p;
                p.depth = in.U16();
                const bool move = f & 0x01;
                if (move && list.count(p.depth)) p = list[p.depth];
                if (f2 & 0x08) SkipString(in);
                if (f & 0x02) p.character = in.U16();
                if (f & 0x04) p.matrix = in.ReadMatrix();
                if (f & 0x08) p.cx = ReadCxform(in, true);
                if (f & 0x10) in.U16();
                if (f & 0x20) SkipString(in);
                if (f & 0x40) p.clipDepth = in.U16();
                if (f2 & 0x01) {
                    why = "filters";
                    return std::nullopt;
                }
                if (f2 & 0x02) p.blend = BlendModeFromByte(in.U8());
                list[p.depth] = p;
                break;
            }
            case 5:
            case 28: {  // RemoveObject, RemoveObject2
                if (code == 5) in.U16();
                list.erase(in.U16());
                break;
            }
            case 9:
            case 69:
            case 77:
            case 86:
                break;  // background, attributes, metadata, scene data: nothing to draw
            default:
                why = "tag " + std::to_string(code);
                return std::nullopt;
        }
    }
    for (const auto& [depth, p] : list) {
        if (!scene.shapes_.count(p.character)) {
            why = "character " + std::to_string(p.character) + " is not a shape";
            return std::nullopt;
        }
        scene.placements_.push_back(p);
    }
    return scene;
}

void RootScene::Draw(Renderer& renderer, PixelBuffer& surface) const {
    surface.Resize(StageWidth(), StageHeight());
    const StageView view =
        MakeStageView(ScaleMode::NoScale, surface.Width(), surface.Height(), movie_.header.stage);
    const Rgb bg = movie_.background.value_or(Rgb{255, 255, 255});
    renderer.BeginFrame(surface, view, bg);
    std::vector<std::uint16_t> clips;  // clip depths of the masks in force
    for (const Placement& p : placements_) {
        while (!clips.empty() && clips.back() < p.depth) {
            renderer.PopMask();
            clips.pop_back();
        }
        const Shape& shape = shapes_.at(p.character);
        const Matrix m = view.toDevice * p.matrix;
        if (p.clipDepth > 0) {
            renderer.BeginMask();
            renderer.DrawShape(shape, m, p.cx);
            renderer.EndMask();
            clips.push_back(p.clipDepth);
            continue;
        }
        const bool layer = p.blend != BlendMode::Normal;
        if (layer) renderer.PushLayer(p.blend);
        renderer.DrawShape(shape, m, p.cx);
        if (layer) renderer.PopLayer();
    }
    renderer.EndFrame();
}

}  // namespace rendertest
