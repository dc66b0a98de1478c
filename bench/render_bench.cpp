// The rasteriser against cairo: every frame of the corpus' heaviest vector movies drawn at
// 550 x 400 and 1920 x 1080 (the stage shown whole), by our renderer and by cairo filling and
// stroking the same flattened paths with anti-aliasing, in the same run. Also counts the heap
// allocations and the buffer growth of steady drawing, which should both be zero.
//
// Then the frame rate: every corpus movie without scripts played and drawn frame after frame
// at its stage size through swfrender's session, on one core (processor time), with the heap allocations of
// steady playback counted.
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/median.h"
#include "flash/render/flatten.h"
#include "flash/render/renderer.h"
#include "tools/allocation_count.h"
#include "tools/movie_session.h"


namespace {

using namespace flash;
using namespace flash::render;

// One cairo operation prepared ahead: a path (in device pixels) and how to paint it.
struct CairoOp {
    cairo_path_t* path = nullptr;
    double r = 0, g = 0, b = 0, a = 1;
    bool stroke = false;
    cairo_fill_rule_t rule = CAIRO_FILL_RULE_EVEN_ODD;
    double width = 1;
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
    double miter = 3;
};

Rgba StyleColor(const FillStyle& f) {
    if (f.kind == FillKind::Solid) return f.color;
    if (f.gradient.count > 0) return f.gradient.stops[0].color;
    return {128, 128, 128, 255};
}

void SetColor(CairoOp& op, Rgba c) {
    op.r = c.r / 255.0;
    op.g = c.g / 255.0;
    op.b = c.b / 255.0;
    op.a = c.a / 255.0;
}

using Segment = std::pair<Point, Point>;

// The edges that bound one style, chained into closed contours with the style on the right.
void AddContours(cairo_t* cr, std::vector<Segment>& segments) {
    std::multimap<std::pair<double, double>, std::size_t> byStart;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        byStart.emplace(std::pair{segments[i].first.x, segments[i].first.y}, i);
    }
    std::vector<bool> used(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (used[i]) continue;
        std::size_t at = i;
        cairo_move_to(cr, segments[at].first.x, segments[at].first.y);
        while (true) {
            used[at] = true;
            cairo_line_to(cr, segments[at].second.x, segments[at].second.y);
            auto [lo, hi] = byStart.equal_range({segments[at].second.x, segments[at].second.y});
            std::size_t next = segments.size();
            for (auto it = lo; it != hi; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == segments.size()) break;
            at = next;
        }
        cairo_close_path(cr);
    }
}

void Flatten(const Edge& e, const Matrix& m, std::vector<Point>& out) {
    const Point p0 = m.Apply({double(e.x0), double(e.y0)});
    const Point p1 = m.Apply({double(e.x1), double(e.y1)});
    out.clear();
    out.push_back(p0);
    if (e.curved) {
        FlattenQuad(p0, m.Apply({double(e.cx), double(e.cy)}), p1, Renderer::kCurveTolerance,
                    [&](Point p) { out.push_back(p); });
    } else {
        out.push_back(p1);
    }
}

// A shape of the display tree with its whole placement (stage twips), as the stage drawer
// meets it.
struct Placed {
    const Shape* shape;
    Matrix matrix;
};

void CollectShapes(const Movie& movie, const Clip& clip, const Matrix& m,
                   std::map<const Character*, Shape>& parsed, std::vector<Placed>& out) {
    for (const DisplayEntry& e : clip.Entries()) {
        if (e.character == nullptr || !e.visible || e.clipDepth != 0) continue;
        const Matrix placed = m * e.matrix;
        if (e.character->kind == CharacterKind::Shape) {
            auto it = parsed.find(e.character);
            if (it == parsed.end()) {
                std::optional<Shape> shape = ParseShape(
                    e.character->tagCode, movie.Bytes(e.character->body), movie.header.version);
                if (!shape) continue;
                it = parsed.emplace(e.character, std::move(*shape)).first;
            }
            out.push_back({&it->second, placed});
        } else if (e.clip != nullptr) {
            CollectShapes(movie, *e.clip, placed, parsed, out);
        }
    }
}

std::vector<CairoOp> PrepareCairo(const std::vector<Placed>& scene, const StageView& view) {
    std::vector<CairoOp> ops;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    std::vector<Point> pts;
    for (const Placed& p : scene) {
        const Shape& shape = *p.shape;
        const Matrix m = view.toDevice * p.matrix;
        for (const StyleGroup& g : shape.groups) {
            std::map<std::uint16_t, std::vector<Segment>> byStyle;
            std::map<std::uint16_t, std::vector<std::vector<Point>>> lines;
            Point last{1e300, 1e300};
            for (std::uint32_t i = g.firstEdge; i < g.firstEdge + g.edgeCount; ++i) {
                const Edge& e = shape.edges[i];
                Flatten(e, m, pts);
                for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
                    if (e.fill1 != 0 && e.fill1 != e.fill0)
                        byStyle[e.fill1].push_back({pts[k], pts[k + 1]});
                    if (e.fill0 != 0 && e.fill1 != e.fill0)
                        byStyle[e.fill0].push_back({pts[k + 1], pts[k]});
                }
                if (e.line != 0) {
                    auto& polylines = lines[e.line];
                    if (e.newPath || polylines.empty() || !(pts.front() == last))
                        polylines.emplace_back();
                    if (polylines.back().empty()) polylines.back().push_back(pts.front());
                    polylines.back().insert(polylines.back().end(), pts.begin() + 1, pts.end());
                    last = pts.back();
                }
            }
            for (auto& [style, segments] : byStyle) {
                cairo_new_path(cr);
                AddContours(cr, segments);
                CairoOp op;
                op.path = cairo_copy_path(cr);
                SetColor(op, StyleColor(shape.fills[style - 1]));
                op.rule = shape.nonZeroWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
                ops.push_back(op);
            }
            for (auto& [style, polylines] : lines) {
                const LineStyle& ls = shape.lines[style - 1];
                cairo_new_path(cr);
                for (const auto& line : polylines) {
                    cairo_move_to(cr, line[0].x, line[0].y);
                    for (std::size_t k = 1; k < line.size(); ++k)
                        cairo_line_to(cr, line[k].x, line[k].y);
                }
                CairoOp op;
                op.path = cairo_copy_path(cr);
                op.stroke = true;
                SetColor(op, StyleColor(ls.fill));
                op.width = StrokeWidthPixels(ls, m, view.scale);
                op.cap = ls.startCap == CapStyle::None     ? CAIRO_LINE_CAP_BUTT
                         : ls.startCap == CapStyle::Square ? CAIRO_LINE_CAP_SQUARE
                                                           : CAIRO_LINE_CAP_ROUND;
                op.join = ls.join == JoinStyle::Bevel   ? CAIRO_LINE_JOIN_BEVEL
                          : ls.join == JoinStyle::Miter ? CAIRO_LINE_JOIN_MITER
                                                        : CAIRO_LINE_JOIN_ROUND;
                op.miter = ls.miterLimit;
                ops.push_back(op);
            }
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return ops;
}

void DrawCairo(cairo_t* cr, const std::vector<CairoOp>& ops, Rgb bg) {
    cairo_set_source_rgb(cr, bg.r / 255.0, bg.g / 255.0, bg.b / 255.0);
    cairo_paint(cr);
    for (const CairoOp& op : ops) {
        cairo_new_path(cr);
        cairo_append_path(cr, op.path);
        cairo_set_source_rgba(cr, op.r, op.g, op.b, op.a);
        if (op.stroke) {
            cairo_set_line_width(cr, op.width);
            cairo_set_line_cap(cr, op.cap);
            cairo_set_line_join(cr, op.join);
            cairo_set_miter_limit(cr, op.miter);
            cairo_stroke(cr);
        } else {
            cairo_set_fill_rule(cr, op.rule);
            cairo_fill(cr);
        }
    }
}

// One scripted-free movie played and drawn frame after frame at its stage size: frames per
// second, and the heap allocations of the frames after the first pass through the movie.
struct Playback {
    double fps = 0;
    long steadyAllocations = 0;
    int frames = 0;
};

Playback Play(const std::string& path) {
    Playback result;
    std::string error;
    std::unique_ptr<swfrender::MovieSession> session =
        swfrender::MovieSession::Open(path, nullptr, error);
    if (!session) return result;
    // Steady playback starts once the pools and buffers stand at their high-water marks: every
    // root frame twice (a movie that loops drops and remakes its clips at the loop, and the
    // clips dropped come back to the pool only after it) and at least 120 frames, for sprites
    // whose timelines outlast the root's.
    const int total = static_cast<int>(session->GetPlayer().TotalFrames());
    const int warm = std::max(2 * total, 120);
    for (int f = 0; f < warm; ++f) {
        session->StepFrame();
        session->Draw(0, 0, Quality::High);
    }
    result.frames = std::max(120, 2 * total);
    auto run = [&] {
        for (int f = 0; f < result.frames; ++f) {
            session->StepFrame();
            session->Draw(0, 0, Quality::High);
        }
    };
    // Counted on a run of its own: the timing keeps its own records.
    const long before = testsupport::Allocations();
    run();
    result.steadyAllocations = testsupport::Allocations() - before;
    const double ms = MedianCpuMs(3, run);
    result.fps = ms > 0 ? result.frames * 1000.0 / ms : 0;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : MORAVEL_CORPUS_DIR "/images";
    const char* movies[] = {"visual/simple_shapes/heavy_tesselation",
                            "visual/simple_shapes/strokes/scale", "visual/simple_shapes/overlaps",
                            "from_shumway/acid/acid-clip-2"};
    const std::pair<int, int> sizes[] = {{550, 400}, {1920, 1080}};
    constexpr int kRounds = 15;
    std::printf("%-42s %9s  %9s %9s %9s  %6s %6s\n", "movie", "size", "high ms", "best ms",
                "cairo ms", "high", "best");
    // A second argument keeps the movies whose name holds it (for profiling one).
    const std::string only = argc > 2 ? argv[2] : "";
    // A third argument "fps" leaves out the comparison with cairo.
    const bool framesOnly = argc > 3 && std::string(argv[3]) == "fps";
    for (const char* name : movies) {
        if (framesOnly || std::string(name).find(only) == std::string::npos) continue;
        std::string error;
        std::unique_ptr<swfrender::MovieSession> session =
            swfrender::MovieSession::Open(corpus + "/" + name + "/test.swf", nullptr, error);
        if (!session) {
            std::printf("%s\n", error.c_str());
            continue;
        }
        session->StepFrame();
        const Movie& movie = session->GetMovie();
        std::map<const Character*, Shape> parsed;
        std::vector<Placed> scene;
        CollectShapes(movie, session->GetPlayer().Root(), Matrix{}, parsed, scene);
        const Rgb bg = movie.background.value_or(Rgb{255, 255, 255});
        StageDrawer drawer(movie);
        auto DrawOurs = [&](Renderer& r, Surface& surface) {
            drawer.Draw(session->GetPlayer(), r, surface, ScaleMode::ShowAll, bg);
        };
        for (auto [w, h] : sizes) {
            const StageView view = MakeStageView(ScaleMode::ShowAll, w, h, movie.header.stage);
            PixelBuffer surface(w, h);
            Renderer ours;
            // Every frame of the movie each round (the corpus' heavy movies have one).
            const int frames = 10;
            ours.SetQuality(Quality::High);
            DrawOurs(ours, surface);
            const long before = testsupport::Allocations();
            const std::uint64_t growthsBefore = ours.Stats().growths;
            for (int f = 0; f < frames; ++f) DrawOurs(ours, surface);
            const long steadyAllocations = testsupport::Allocations() - before;
            const std::uint64_t steadyGrowths = ours.Stats().growths - growthsBefore;

            const std::vector<CairoOp> ops = PrepareCairo(scene, view);
            cairo_surface_t* cs = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
            cairo_t* cr = cairo_create(cs);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
            DrawCairo(cr, ops, bg);
            // The three are timed in turn, round after round, so that a busy machine slows
            // them alike; each figure is the median round.
            std::vector<double> high, best, cairo;
            for (int round = 0; round < kRounds; ++round) {
                ours.SetQuality(Quality::High);
                high.push_back(MedianMs(1,
                                        [&] {
                                            for (int f = 0; f < frames; ++f)
                                                DrawOurs(ours, surface);
                                        }) /
                               frames);
                ours.SetQuality(Quality::Best);
                best.push_back(MedianMs(1,
                                        [&] {
                                            for (int f = 0; f < frames; ++f)
                                                DrawOurs(ours, surface);
                                        }) /
                               frames);
                cairo.push_back(MedianMs(1,
                                         [&] {
                                             for (int f = 0; f < frames; ++f)
                                                 DrawCairo(cr, ops, bg);
                                         }) /
                                frames);
            }
            cairo_destroy(cr);
            cairo_surface_destroy(cs);
            for (const CairoOp& op : ops) cairo_path_destroy(op.path);
            auto median = [](std::vector<double> v) {
                std::sort(v.begin(), v.end());
                return v[v.size() / 2];
            };
            const double highMs = median(high), bestMs = median(best), cairoMs = median(cairo);

            char size[32];
            std::snprintf(size, sizeof size, "%dx%d", w, h);
            std::printf("%-42s %9s  %9.3f %9.3f %9.3f  %6.2f %6.2f\n", name, size, highMs, bestMs,
                        cairoMs, highMs / cairoMs, bestMs / cairoMs);
            std::printf(
                "%-42s %9s  %d steady frames: %ld allocations, %llu buffer growths, %zu KB held\n",
                "", "", frames, steadyAllocations, static_cast<unsigned long long>(steadyGrowths),
                ours.BytesHeld() / 1024);
        }
    }

    // The frame rate of every corpus movie without scripts, at its stage size.
    std::printf("\n%-60s %8s %8s %12s\n", "movie without scripts", "frames", "fps",
                "allocations");
    const std::string manifest = corpus + "/../manifest.csv";
    std::FILE* list = std::fopen(manifest.c_str(), "r");
    if (list == nullptr) {
        std::printf("no manifest at %s\n", manifest.c_str());
        return 1;
    }
    char line[1024];
    double slowest = 1e300;
    std::string slowestName;
    long allocations = 0;
    while (std::fgets(line, sizeof line, list)) {
        // path,signature,version,script,tag_codes
        std::string row(line);
        const std::size_t c1 = row.find(','), c2 = row.find(',', c1 + 1),
                          c3 = row.find(',', c2 + 1), c4 = row.find(',', c3 + 1);
        if (c4 == std::string::npos || row.substr(c3 + 1, c4 - c3 - 1) != "none") continue;
        const std::string path = row.substr(0, c1);
        if (path.rfind("images/", 0) != 0) continue;
        if (path.find(only) == std::string::npos) continue;
        const Playback p = Play(corpus + "/../" + path + "/test.swf");
        std::printf("%-60s %8d %8.0f %12ld\n", path.c_str(), p.frames, p.fps,
                    p.steadyAllocations);
        allocations += p.steadyAllocations;
        if (p.fps < slowest) {
            slowest = p.fps;
            slowestName = path;
        }
    }
    std::fclose(list);
    std::printf("slowest: %.0f fps (%s); allocations in steady playback, all movies: %ld\n",
                slowest, slowestName.c_str(), allocations);
    return 0;
}
