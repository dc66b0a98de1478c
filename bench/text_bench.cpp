// A frame full of text in an embedded font (a DefineText of 24 rows of 56 glyphs, placed and
// drawn by the stage drawer as the programs draw it: one glyph shape after another) against
// the same glyph outlines gathered into one shape (in the font's units, drawn at the glyphs' scale,
// so that both cut their curves alike) and drawn in one call, in the same run.
// The font is the Arial face embedded in a corpus movie. Target: within 1.5 times.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/median.h"
#include "flash/render/font_text.h"
#include "flash/render/renderer.h"
#include "flash/render/stage_drawer.h"
#include "tools/movie_session.h"
#include "tools/swf_writer.h"

using namespace flash;
using namespace flash::render;

namespace {

constexpr int kRows = 24, kColumns = 56;
constexpr std::uint16_t kHeight = 300;  // twips: 15-pixel text

void Put16(std::vector<std::uint8_t>& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>(v >> 8 & 0xFF));
}

}  // namespace

int main() {
    const std::string corpus = MORAVEL_CORPUS_DIR "/images/text/style_changes_in_html/test.swf";
    std::string error;
    auto source = swfrender::MovieSession::Open(corpus, nullptr, error);
    if (!source) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    const Movie& fonts = source->GetMovie();
    const Character* fontTag = fonts.FindCharacter(1);
    if (fontTag == nullptr || fontTag->kind != CharacterKind::Font) return 1;
    const auto fontBytes = fonts.Bytes(fontTag->body);
    const std::optional<Font> font = ParseFont(fontTag->tagCode, fontBytes);
    if (!font || font->glyphs.empty() || !font->hasLayout) return 1;

    // DefineText 2: empty bounds, identity matrix, 8 glyph bits and 16 advance bits (each
    // entry three whole bytes), one record per row.
    std::vector<std::uint8_t> text{2, 0, 0x00, 0x00, 8, 16};
    Shape merged;
    merged.fills.push_back(font->glyphs[0].fills.empty() ? FillStyle{} : font->glyphs[0].fills[0]);
    const double scale = kHeight / font->emSquare;
    for (int row = 0; row < kRows; ++row) {
        const int y = 300 + row * 320;
        text.insert(text.end(), {0x8F, 1, 0, 0, 0, 0});
        Put16(text, 100);
        Put16(text, y);
        Put16(text, kHeight);
        text.push_back(kColumns);
        double x = 100;
        for (int i = 0; i < kColumns; ++i) {
            const std::size_t g = static_cast<std::size_t>(row * 7 + i) % font->glyphs.size();
            const int advance = static_cast<int>(font->advances[g] * scale) + 10;
            text.insert(text.end(), {static_cast<std::uint8_t>(g),
                                     static_cast<std::uint8_t>(advance >> 8 & 0xFF),
                                     static_cast<std::uint8_t>(advance & 0xFF)});
            // The same outline, moved to its place in the font's own units, in the one shape,
            // which is drawn at the glyphs' scale: its curves are cut into the same chords.
            auto at = [&](std::int32_t px, std::int32_t py, std::int32_t& ox, std::int32_t& oy) {
                ox = static_cast<std::int32_t>(std::lround(x / scale + px));
                oy = static_cast<std::int32_t>(std::lround(y / scale + py));
            };
            for (Edge e : font->glyphs[g].edges) {
                at(e.x0, e.y0, e.x0, e.y0);
                at(e.cx, e.cy, e.cx, e.cy);
                at(e.x1, e.y1, e.x1, e.y1);
                merged.edges.push_back(e);
            }
            x += advance;
        }
    }
    text.push_back(0);
    const auto inFontUnits = [&](double twips) { return static_cast<std::int32_t>(twips / scale); };
    merged.extent = merged.bounds = merged.edgeBounds =
        Rect{0, inFontUnits(11000), 0, inFontUnits(8000)};
    merged.groups.push_back(
        StyleGroup{0, static_cast<std::uint32_t>(merged.edges.size()), 0, 1, 0, 0});

    std::vector<std::uint8_t> fontBody(fontBytes.begin(), fontBytes.end());
    swfwriter::MovieBuilder builder;
    builder.Version(10).StagePixels(550, 400);
    builder.Tag(kDefineFont3, fontBody).Tag(kDefineText, text);
    builder.PlaceObject(2, 1, 0, 0).ShowFrame();
    const auto path = std::filesystem::temp_directory_path() / "moravel_text_bench.swf";
    {
        const std::vector<std::uint8_t> swf = builder.Build();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(swf.data()),
                   static_cast<std::streamsize>(swf.size()));
    }
    auto session = swfrender::MovieSession::Open(path.string(), nullptr, error);
    std::filesystem::remove(path);
    if (!session) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    session->StepFrame();
    const Movie& movie = session->GetMovie();
    StageDrawer drawer(movie);
    PixelBuffer surface(550, 400);
    const StageView view = MakeStageView(ScaleMode::ShowAll, 550, 400, movie.header.stage);
    Renderer renderer;
    renderer.SetQuality(Quality::High);
    auto drawText = [&] {
        drawer.Draw(session->GetPlayer(), renderer, surface, ScaleMode::ShowAll, {255, 255, 255});
    };
    auto drawShape = [&] {
        renderer.BeginFrame(surface, view, {255, 255, 255});
        renderer.DrawShape(merged, view.toDevice * Matrix::Scale(scale, scale), {});
        renderer.EndFrame();
    };
    drawText();
    const std::uint64_t glyphs = renderer.Stats().shapes;
    drawShape();
    // Alternate rounds, so that a busy machine slows both alike.
    std::vector<double> ours, base;
    for (int round = 0; round < 15; ++round) {
        ours.push_back(MedianCpuMs(1,
                                   [&] {
                                       for (int i = 0; i < 10; ++i) drawText();
                                   }) /
                       10);
        base.push_back(MedianCpuMs(1,
                                   [&] {
                                       for (int i = 0; i < 10; ++i) drawShape();
                                   }) /
                       10);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(base.begin(), base.end());
    const double t = ours[ours.size() / 2], b = base[base.size() / 2];
    std::printf("text, %d glyphs drawn one by one: %8.3f ms\n", static_cast<int>(glyphs), t);
    std::printf("the same outlines as one shape:  %8.3f ms\n", b);
    std::printf("ratio:                            %8.2f\n", t / b);
    return 0;
}
