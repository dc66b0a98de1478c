#include "flash/render/renderer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/ansi_text.h"
#include "flash/render/blend.h"
#include "flash/render/flatten.h"

namespace flash::render {

namespace {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

bool IsEmpty(const PixelRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The device pixels a twips rectangle (grown by `margin` device pixels) can touch.
PixelRect DeviceBounds(const Rect& r, const Matrix& m, double margin) {
    const Point corners[4] = {
        m.Apply({double(r.xMin), double(r.yMin)}), m.Apply({double(r.xMax), double(r.yMin)}),
        m.Apply({double(r.xMin), double(r.yMax)}), m.Apply({double(r.xMax), double(r.yMax)})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    static constexpr double kLimit = 1 << 30;
    auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    if (!std::isfinite(x0 + x1 + y0 + y1)) return {};
    return {clampInt(std::floor(x0 - margin)), clampInt(std::floor(y0 - margin)),
            clampInt(std::ceil(x1 + margin)) + 1, clampInt(std::ceil(y1 + margin)) + 1};
}

// Coverage in samples as a 0..256 factor.
inline std::uint32_t CoverageFactor(std::uint32_t coverage, int shift) {
    return coverage << shift;
}

inline std::uint32_t WithMask(std::uint32_t k, std::uint8_t m) {
    return (k * m + 127) / 255;
}

// A placement's translation held at whole twips of the device (1/20 pixel), as Flash Player
// keeps its matrices: a shape nested in a scaled parent lands where the parent's twips put it,
// not between them. The scale and rotation stay as they are.
Matrix OnWholeTwips(Matrix m) {
    auto twips = [](double v) { return std::isfinite(v) ? std::round(v * 20) / 20 : v; };
    m.tx = twips(m.tx);
    m.ty = twips(m.ty);
    return m;
}

int Log2(int v) {
    return v >= 16 ? 4 : v >= 4 ? 2 : 0;
}

}  // namespace

std::optional<Quality> ParseQuality(std::string_view text) {
    if (base::EqualsNoCase(text, "low")) return Quality::Low;
    if (base::EqualsNoCase(text, "medium")) return Quality::Medium;
    if (base::EqualsNoCase(text, "high")) return Quality::High;
    if (base::EqualsNoCase(text, "best")) return Quality::Best;
    return std::nullopt;
}

int SamplesPerSide(Quality quality) {
    switch (quality) {
        case Quality::Low:
            return 1;
        case Quality::Medium:
            return 2;
        case Quality::High:
        case Quality::Best:
            return 4;
    }
    return 4;
}

StageView MakeStageView(ScaleMode mode, int width, int height, const Rect& stage) {
    StageView view;
    view.device = {0, 0, std::max(width, 0), std::max(height, 0)};
    const double sw = stage.WidthTwips() / 20.0, sh = stage.HeightTwips() / 20.0;
    if (!(sw > 0 && sh > 0) || width <= 0 || height <= 0) {
        view.stage = view.device;
        view.toDevice = Matrix::Scale(0.05, 0.05) * Matrix::Translate(-stage.xMin, -stage.yMin);
        return view;
    }
    const StageFit fit = FitStage(mode, width, height, sw, sh);
    const double sx = fit.sx, sy = fit.sy;
    view.stage = fit.placed;
    view.toDevice = Matrix::Translate(view.stage.left, view.stage.top) *
                    Matrix::Scale(sx / 20, sy / 20) * Matrix::Translate(-stage.xMin, -stage.yMin);
    view.scale = (sx + sy) / 2;
    return view;
}

// Composites coverage runs of the frame's paints onto a level, through its mask.
class Renderer::ColorSink final : public CoverageSink {
public:
    ColorSink(Renderer& r, int level, int mask, const std::vector<Paint>& paints,
              const std::vector<PaintHead>& heads)
        : r_(r),
          level_(level),
          mask_(mask),
          paints_(paints),
          heads_(heads),
          shift_(8 - Log2(SamplesPerSide(r.quality_) * SamplesPerSide(r.quality_))),
          left_(r.levels_[level].rect.left + r.shiftX_) {}

    void Row(int y, std::span<const CoverageRun> runs,
             std::span<const StyleCoverage> cover) override {
        Pixel* row = r_.LevelRow(level_, y - r_.shiftY_) - left_;
        const std::uint8_t* mask = mask_ >= 0 ? r_.MaskRow(mask_, y - r_.shiftY_) - left_ : nullptr;
        for (const CoverageRun& run : runs) {
            if (run.count == 1) {
                Single(row, mask, y, run, cover[run.first]);
            } else {
                Mixed(row, mask, y, run, cover.subspan(run.first, run.count));
            }
        }
    }

private:
    void Shade(const Paint& p, int x, int y, int n, Pixel* out) {
        if (p.kind == Paint::Kind::Bitmap) {
            ShadeBitmap(p, x, y, n, out);
        } else {
            ShadeGradient(p, r_.ramps_[p.ramp], x, y, n, out);
        }
    }

    void Single(Pixel* row, const std::uint8_t* mask, int y, const CoverageRun& run,
                const StyleCoverage& c) {
        const PaintHead& h = heads_[c.style];
        const std::uint32_t k = CoverageFactor(c.coverage, shift_);
        if (h.kind == Paint::Kind::Solid) {
            if (mask == nullptr) {
                if (k == 256 && h.opaque) {
                    std::fill(row + run.x0, row + run.x1, h.color);
                    return;
                }
                if (k == 256) {
                    for (int x = run.x0; x < run.x1; ++x) row[x] = Over(h.color, row[x]);
                    return;
                }
                for (int x = run.x0; x < run.x1; ++x) row[x] = CoverOver(h.color, row[x], k);
                return;
            }
            for (int x = run.x0; x < run.x1; ++x) {
                if (mask[x] != 0) row[x] = CoverOver(h.color, row[x], WithMask(k, mask[x]));
            }
            return;
        }
        if (h.kind == Paint::Kind::None) return;
        const Paint& p = paints_[c.style];
        const int n = run.x1 - run.x0;
        if (r_.shade_.size() < static_cast<std::size_t>(n)) r_.shade_.resize(n);
        Shade(p, run.x0, y, n, r_.shade_.data());
        const Pixel* shade = r_.shade_.data() - run.x0;
        for (int x = run.x0; x < run.x1; ++x) {
            const std::uint32_t kx = mask == nullptr ? k : WithMask(k, mask[x]);
            row[x] = kx == 256 ? Over(shade[x], row[x]) : CoverOver(shade[x], row[x], kx);
        }
    }

    // Pixels shared by several styles: their colours are summed by coverage before one
    // composite, so that styles meeting inside a pixel leave no seam.
    void Mixed(Pixel* row, const std::uint8_t* mask, int y, const CoverageRun& run,
               std::span<const StyleCoverage> cover) {
        const std::uint32_t samples = 1u << (8 - shift_);
        auto mix = [&](int x) {
            std::uint32_t sum[4] = {0, 0, 0, 0};
            for (const StyleCoverage& c : cover) {
                const PaintHead& h = heads_[c.style];
                Pixel color = h.color;
                if (h.kind == Paint::Kind::None) continue;
                if (h.kind != Paint::Kind::Solid) Shade(paints_[c.style], x, y, 1, &color);
                sum[0] += PixelA(color) * c.coverage;
                sum[1] += PixelR(color) * c.coverage;
                sum[2] += PixelG(color) * c.coverage;
                sum[3] += PixelB(color) * c.coverage;
            }
            auto avg = [&](std::uint32_t v) { return std::min((v + samples / 2) / samples, 255u); };
            return PackPixel(avg(sum[0]), avg(sum[1]), avg(sum[2]), avg(sum[3]));
        };
        auto put = [&](int x, Pixel src) {
            if (mask != nullptr) src = ScalePixel(src, WithMask(256, mask[x]));
            if (src != 0) row[x] = Over(src, row[x]);
        };
        // Solid colours mix alike all along the run.
        const bool solid = std::all_of(cover.begin(), cover.end(), [&](const StyleCoverage& c) {
            const Paint::Kind kind = heads_[c.style].kind;
            return kind == Paint::Kind::Solid || kind == Paint::Kind::None;
        });
        if (solid) {
            const Pixel src = mix(run.x0);
            for (int x = run.x0; x < run.x1; ++x) put(x, src);
            return;
        }
        for (int x = run.x0; x < run.x1; ++x) put(x, mix(x));
    }

    Renderer& r_;
    int level_;
    int mask_;
    const std::vector<Paint>& paints_;
    const std::vector<PaintHead>& heads_;
    int shift_;
    int left_;
};

// Adds coverage to a mask being built: the union of everything drawn into it.
class Renderer::MaskSink final : public CoverageSink {
public:
    MaskSink(Renderer& r, int mask)
        : r_(r),
          mask_(mask),
          samples_(SamplesPerSide(r.quality_) * SamplesPerSide(r.quality_)),
          left_(r.masks_[mask].rect.left + r.shiftX_) {
        shift_ = 8 - Log2(static_cast<int>(samples_));
    }

    void Row(int y, std::span<const CoverageRun> runs,
             std::span<const StyleCoverage> cover) override {
        std::uint8_t* row = r_.MaskRow(mask_, y - r_.shiftY_) - left_;
        for (const CoverageRun& run : runs) {
            std::uint32_t total = 0;
            for (std::uint32_t i = 0; i < run.count; ++i) total += cover[run.first + i].coverage;
            const std::uint32_t k =
                CoverageFactor(std::min<std::uint32_t>(total, samples_), shift_);
            for (int x = run.x0; x < run.x1; ++x) {
                row[x] = static_cast<std::uint8_t>(row[x] + ((255 - row[x]) * k >> 8));
            }
        }
    }

private:
    Renderer& r_;
    int mask_;
    std::uint32_t samples_;
    int left_;
    int shift_ = 0;
};

Pixel* Renderer::LevelRow(int index, int y) {
    // A passthrough level draws where its parent does.
    while (levels_[index].passthrough) --index;
    const Level& l = levels_[index];
    if (l.surface != nullptr) return l.surface->Row(y) + l.rect.left;
    return layerPool_[l.buffer].data() + static_cast<std::size_t>(y - l.rect.top) * l.rect.Width();
}

std::uint8_t* Renderer::MaskRow(int index, int y) {
    const Mask& m = masks_[index];
    return maskPool_[m.buffer].data() + static_cast<std::size_t>(y - m.rect.top) * m.rect.Width();
}

int Renderer::AcquireLayer(const PixelRect& rect) {
    int index;
    if (!freeLayers_.empty()) {
        index = freeLayers_.back();
        freeLayers_.pop_back();
    } else {
        index = static_cast<int>(layerPool_.size());
        layerPool_.emplace_back();
    }
    layerPool_[index].assign(static_cast<std::size_t>(rect.Width()) * rect.Height(), 0);
    return index;
}

int Renderer::AcquireMask(const PixelRect& rect) {
    int index;
    if (!freeMasks_.empty()) {
        index = freeMasks_.back();
        freeMasks_.pop_back();
    } else {
        index = static_cast<int>(maskPool_.size());
        maskPool_.emplace_back();
    }
    maskPool_[index].assign(static_cast<std::size_t>(rect.Width()) * rect.Height(), 0);
    return index;
}

void Renderer::BeginFrame(Surface& surface, const StageView& stage, Rgb background) {
    if (inFrame_) EndFrame();
    inFrame_ = true;
    ++frame_;
    stage_ = stage;
    heldAtFrameStart_ = BytesHeld();
    Level root;
    root.surface = &surface;
    root.rect = {0, 0, surface.Width(), surface.Height()};
    levels_.clear();
    masks_.clear();
    open_.clear();
    filterSetsUsed_ = 0;
    filterWork_ = 0;
    levels_.push_back(root);
    const Pixel bg = PackPixel(255, background.r, background.g, background.b);
    // White, the usual background, is one byte repeated: the C library fills that fastest.
    const bool white = bg == 0xFFFFFFFF;
    for (int y = 0; y < surface.Height(); ++y) {
        if (white) {
            std::memset(surface.Row(y), 0xFF, surface.Width() * sizeof(Pixel));
        } else {
            std::fill_n(surface.Row(y), surface.Width(), bg);
        }
    }
}

void Renderer::EndFrame() {
    if (!inFrame_) return;
    while (!open_.empty()) CloseTop();
    levels_.clear();
    inFrame_ = false;
    // A picture not shown in this frame belongs to an object that changed or went away.
    for (KeptPicture& k : kept_) {
        if (k.frame != frame_) k.valid = false;
    }
    if (BytesHeld() > heldAtFrameStart_) ++stats_.growths;
}

void Renderer::DrawShape(const Shape& shape, const Matrix& placed, const ColorTransform& cx) {
    if (!inFrame_) return;
    if (Skipping()) return;
    const bool building = Building();
    const int level = static_cast<int>(levels_.size()) - 1;
    const PixelRect clip = building ? masks_.back().rect : levels_[level].rect;
    // How far strokes reach past the edges: half their width, a square cap's corner, or a
    // miter's tip.
    double margin = 1;
    if (!building) {
        for (const LineStyle& ls : shape.lines) {
            const double reachFactor =
                ls.join == JoinStyle::Miter ? std::max(ls.miterLimit, 1.5) : 1.5;
            // A stretched pen reaches by the placement's larger stretch.
            const double pen = StretchedPenWidth(ls, placed, stage_.scale);
            const double width = pen > 0 ? pen * StretchOf(placed).most
                                         : StrokeWidthPixels(ls, placed, stage_.scale);
            margin = std::max(margin, width / 2 * reachFactor + 1);
        }
    }
    PixelRect reach = Intersect(clip, DeviceBounds(shape.extent, placed, margin));
    if (IsEmpty(reach)) {
        ++stats_.culled;
        return;
    }
    ++stats_.shapes;
    // The scan converter works right of and below pixel 0: a filter layer that reaches past
    // the device's left or top edge is drawn moved by whole pixels, which the sinks take back.
    shiftX_ = std::max(-reach.left, 0);
    shiftY_ = std::max(-reach.top, 0);
    const Matrix m = OnWholeTwips(
        shiftX_ != 0 || shiftY_ != 0 ? Matrix::Translate(shiftX_, shiftY_) * placed : placed);
    reach = PixelRect{reach.left + shiftX_, reach.top + shiftY_, reach.right + shiftX_,
                      reach.bottom + shiftY_};
    if (building) {
        MaskSink sink(*this, static_cast<int>(masks_.size()) - 1);
        for (const StyleGroup& g : shape.groups) {
            scan_.Reset(reach, SamplesPerSide(quality_));
            for (std::uint32_t i = g.firstEdge; i < g.firstEdge + g.edgeCount; ++i) {
                const Edge& e = shape.edges[i];
                // Any fill counts; which one does not matter.
                const std::uint16_t f0 = e.fill0 != 0, f1 = e.fill1 != 0;
                const Point p0{double(e.x0), double(e.y0)}, p1{double(e.x1), double(e.y1)};
                if (e.curved) {
                    scan_.AddQuad(m, p0, {double(e.cx), double(e.cy)}, p1, f0, f1,
                                  kFillCurveTolerance);
                } else {
                    scan_.AddLine(m.Apply(p0), m.Apply(p1), f0, f1);
                }
            }
            stats_.lines += scan_.LineCount();
            scan_.Render(shape.nonZeroWinding ? FillRule::NonZero : FillRule::EvenOdd, 1, sink);
        }
        return;
    }
    // Paints for every style, indexed like the edges' global style indices.
    fillPaints_.resize(shape.fills.size() + 1);
    linePaints_.resize(shape.lines.size() + 1);
    fillHeads_.resize(fillPaints_.size());
    lineHeads_.resize(linePaints_.size());
    std::uint32_t ramps = 0;
    auto paint = [&](const FillStyle& style, Paint& out, PaintHead& head) {
        const bool gradient = style.kind == FillKind::LinearGradient ||
                              style.kind == FillKind::RadialGradient ||
                              style.kind == FillKind::FocalGradient;
        if (gradient && ramps_.size() <= ramps) ramps_.resize(ramps + 1);
        const Bitmap* bitmap = nullptr;
        if (style.kind == FillKind::Bitmap && bitmaps_ != nullptr)
            bitmap = bitmaps_->FindBitmap(style.bitmapId);
        MakePaint(
            style, m, cx, ramps_[gradient ? ramps : 0], ramps, out, bitmap,
            quality_ >= Quality::High,
            SamplesPerSide(quality_) > 1 ? RampSampling::CornerEntry : RampSampling::CentreMixed);
        if (gradient) ++ramps;
        head = {out.color, out.kind, out.opaque};
    };
    if (ramps_.empty()) ramps_.resize(1);
    for (std::size_t i = 0; i < shape.fills.size(); ++i)
        paint(shape.fills[i], fillPaints_[i + 1], fillHeads_[i + 1]);
    for (std::size_t i = 0; i < shape.lines.size(); ++i)
        paint(shape.lines[i].fill, linePaints_[i + 1], lineHeads_[i + 1]);
    const int mask = levels_[level].activeMask;
    ColorSink fillSink(*this, level, mask, fillPaints_, fillHeads_);
    ColorSink lineSink(*this, level, mask, linePaints_, lineHeads_);
    for (const StyleGroup& g : shape.groups) DrawGroup(shape, g, m, reach, fillSink, lineSink);
}

Renderer::KeptLines* Renderer::FindKeptLines(const LinesKey& key) {
    for (KeptLines& k : keptLines_) {
        if (k.key == key) return &k;
    }
    return nullptr;
}

// Copies the lines just scanned into a free set, else into the one drawn longest ago, never
// one drawn in this frame: a shape that moves takes the sets still shapes leave. Copied, not
// swapped: a set's buffer never takes over the scan converter's, which may have grown far
// larger.
void Renderer::KeepLines(const LinesKey& key) {
    const std::size_t count = scan_.LineCount();
    if (count < kFewestKeptLines || count > kMostKeptLines) return;
    if (keptLines_.size() < kKeptLineSets) keptLines_.resize(kKeptLineSets);
    KeptLines* set = nullptr;
    for (KeptLines& k : keptLines_) {
        if (k.key.serial == 0) {
            set = &k;
            break;
        }
        if (k.frame != frame_ && (set == nullptr || k.frame < set->frame)) set = &k;
    }
    if (set == nullptr) return;
    set->key = key;
    set->frame = frame_;
    set->lines.assign(scan_.Lines().begin(), scan_.Lines().end());
}

void Renderer::DrawGroup(const Shape& shape, const StyleGroup& g, const Matrix& m,
                         const PixelRect& clip, CoverageSink& fillSink, CoverageSink& lineSink) {
    const int samples = SamplesPerSide(quality_);
    const std::uint32_t end = g.firstEdge + g.edgeCount;
    if (g.fillCount > 0) {
        scan_.Reset(clip, samples);
        const LinesKey key{shape.serial, g.firstEdge, m, clip, samples};
        KeptLines* kept = shape.serial != 0 ? FindKeptLines(key) : nullptr;
        if (kept != nullptr) {
            scan_.SwapLines(kept->lines);
            ++stats_.keptLines;
        } else {
            for (std::uint32_t i = g.firstEdge; i < end; ++i) {
                const Edge& e = shape.edges[i];
                if (e.fill0 == e.fill1) continue;
                const Point p0{double(e.x0), double(e.y0)}, p1{double(e.x1), double(e.y1)};
                if (e.curved) {
                    scan_.AddQuad(m, p0, {double(e.cx), double(e.cy)}, p1, e.fill0, e.fill1,
                                  kFillCurveTolerance);
                } else {
                    scan_.AddLine(m.Apply(p0), m.Apply(p1), e.fill0, e.fill1);
                }
            }
        }
        stats_.lines += scan_.LineCount();
        if (scan_.Limited()) ++stats_.limited;
        scan_.Render(shape.nonZeroWinding ? FillRule::NonZero : FillRule::EvenOdd,
                     static_cast<std::uint16_t>(shape.fills.size()), fillSink);
        if (kept != nullptr) {
            scan_.SwapLines(kept->lines);  // back, and the converter's own in
            kept->frame = frame_;
        } else if (shape.serial != 0) {
            KeepLines(key);
        }
    }
    if (g.lineCount == 0) return;
    // Each line style's edges in their order; a style's stroke pieces all carry its index,
    // so the union of one stroke is covered once and later styles lie on top.
    strokeOrder_.clear();
    for (std::uint32_t i = g.firstEdge; i < end; ++i) {
        if (shape.edges[i].line != 0) strokeOrder_.push_back(i);
    }
    if (strokeOrder_.empty()) return;
    // By line style, then in edge order (std::sort keyed on both: stable_sort would allocate).
    std::sort(strokeOrder_.begin(), strokeOrder_.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::uint16_t la = shape.edges[a].line, lb = shape.edges[b].line;
        return la != lb ? la < lb : a < b;
    });
    scan_.Reset(clip, samples);
    std::uint16_t current = 0;
    Point last{};
    // Pixel hinting puts the line's middle on a pixel's middle when it covers an odd number of
    // pixels, on a pixel boundary when even, so that it covers whole pixels.
    double hintOffset = -1;  // < 0: no hinting
    bool stretched = false;  // the current style is stroked in the shape's units
    auto at = [&](std::int32_t x, std::int32_t y) {
        if (stretched) return Point{double(x), double(y)};
        const Point p = m.Apply({double(x), double(y)});
        if (hintOffset < 0) return p;
        return Point{std::floor(p.x - hintOffset + 0.5) + hintOffset,
                     std::floor(p.y - hintOffset + 0.5) + hintOffset};
    };
    for (std::uint32_t i : strokeOrder_) {
        const Edge& e = shape.edges[i];
        if (e.line != current) {
            stroker_.Finish();
            current = e.line;
            const LineStyle& ls = shape.lines[current - 1];
            // A stretched pen is built in the shape's units and then placed; its curves are cut
            // in those units as filled ones are, which Flash Player's pictures of stretched round
            // pens show, up to a pixel's stray on the device.
            const double pen = StretchedPenWidth(ls, m, stage_.scale);
            stretched = pen > 0;
            StrokeStyle st;
            st.halfWidth = stretched ? pen / 2 : StrokeWidthPixels(ls, m, stage_.scale) / 2;
            st.startCap = ls.startCap;
            st.endCap = ls.endCap;
            st.join = ls.join;
            st.miterLimit = ls.miterLimit;
            st.closeWhereItMeets = !ls.noClose;
            hintOffset = -1;
            if (ls.pixelHinting) {  // never stretched
                const long pixels = std::lround(st.halfWidth * 2);
                hintOffset = pixels % 2 == 1 ? 0.5 : 0.0;
            }
            stroker_.Begin(
                scan_, current, st,
                stretched ? std::min(kShapeUnitsTolerance, 1 / StretchOf(m).most) : kCurveTolerance,
                stretched ? m : Matrix{});
        }
        const Point p0 = at(e.x0, e.y0);
        const Point p1 = at(e.x1, e.y1);
        if (e.newPath || !(p0 == last)) stroker_.MoveTo(p0);
        if (e.curved) {
            stroker_.QuadTo(at(e.cx, e.cy), p1);
        } else {
            stroker_.LineTo(p1);
        }
        last = p1;
    }
    stroker_.Finish();
    stats_.lines += scan_.LineCount();
    if (scan_.Limited()) ++stats_.limited;
    scan_.Render(FillRule::NonZero, static_cast<std::uint16_t>(shape.lines.size()), lineSink);
}

bool Renderer::Skipping() const {
    // A layer showing a kept picture takes no content.
    if (!levels_.empty() && levels_.back().fromKept) return true;
    return std::any_of(open_.begin(), open_.end(), [](const OpenEntry& e) {
        return e.kind == Open::SkippedMask && e.building;
    });
}

void Renderer::BeginMask() {
    if (!inFrame_) return;
    if (Building() || Skipping() || masks_.size() >= kMaxMaskDepth) {
        if (!Building() && !Skipping()) ++stats_.refused;
        open_.push_back({Open::SkippedMask, true});
        return;
    }
    Mask mask;
    mask.level = static_cast<int>(levels_.size()) - 1;
    mask.rect = levels_[mask.level].rect;
    mask.buffer = AcquireMask(mask.rect);
    mask.previous = levels_[mask.level].activeMask;
    masks_.push_back(mask);
    open_.push_back({Open::Mask, true});
}

void Renderer::EndMask() {
    if (!inFrame_ || open_.empty() || !open_.back().building) return;
    open_.back().building = false;
    if (open_.back().kind == Open::SkippedMask) return;
    Mask& mask = masks_.back();
    mask.building = false;
    const int self = static_cast<int>(masks_.size()) - 1;
    // Inside an enclosing mask, only what both let through.
    if (mask.previous >= 0) {
        for (int y = mask.rect.top; y < mask.rect.bottom; ++y) {
            std::uint8_t* row = MaskRow(self, y);
            const std::uint8_t* outer = MaskRow(mask.previous, y);
            for (int x = 0; x < mask.rect.Width(); ++x) {
                row[x] = static_cast<std::uint8_t>(Div255(row[x] * outer[x]));
            }
        }
    }
    levels_[mask.level].activeMask = self;
}

void Renderer::PopMask() {
    if (!inFrame_) return;
    // Layers left open inside the mask's scope end first.
    while (!open_.empty() &&
           (open_.back().kind == Open::Layer || open_.back().kind == Open::SkippedLayer)) {
        CloseTop();
    }
    if (!open_.empty()) CloseTop();
}

void Renderer::PushLayer(BlendMode mode, const ColorTransform& cx,
                         std::optional<PixelRect> bounds) {
    OpenLayer(mode, cx, bounds, PixelRect{});
}

void Renderer::OpenLayer(BlendMode mode, const ColorTransform& cx, std::optional<PixelRect> bounds,
                         const PixelRect& reach) {
    if (!inFrame_) return;
    if (Building() || Skipping()) {
        open_.push_back({Open::SkippedLayer, false});
        return;
    }
    const int parent = static_cast<int>(levels_.size()) - 1;
    Level layer;
    layer.mode = mode;
    layer.cx = cx;
    layer.rect = levels_[parent].rect;
    if (levels_.size() > kMaxLayerDepth) {
        // Too deep: the content is drawn straight into the parent, under its masks.
        ++stats_.refused;
        layer.passthrough = true;
        layer.activeMask = levels_[parent].activeMask;
    } else {
        layer.rect = LayerRect(bounds, reach);
        layer.buffer = AcquireLayer(layer.rect);
    }
    levels_.push_back(layer);
    open_.push_back({Open::Layer, false});
}

PixelRect Renderer::LayerRect(std::optional<PixelRect> bounds, const PixelRect& reach) const {
    const PixelRect& p = levels_.back().rect;
    if (!bounds) return p;
    const PixelRect around{p.left - reach.left, p.top - reach.top, p.right + reach.right,
                           p.bottom + reach.bottom};
    return Intersect(around, *bounds);
}

bool Renderer::PushFilterLayer(std::span<const Filter> filters, double scale, BlendMode mode,
                               const ColorTransform& cx, std::optional<PixelRect> bounds,
                               const PixelRect& reach, std::span<const std::uint64_t> content) {
    if (!inFrame_) return false;
    if (bounds) {
        // A picture past Flash Player's bitmap limits is drawn without its filters.
        const std::int64_t w = bounds->Width(), h = bounds->Height();
        if (w > kMaxFilterSide || h > kMaxFilterSide || w * h > kMaxFilterPixels) {
            ++stats_.unfiltered;
            PushLayer(mode, cx, bounds);
            return false;
        }
    }
    const bool keep = keepFiltered_ && !content.empty() && !filters.empty() && !Building() &&
                      !Skipping() && levels_.size() <= kMaxLayerDepth;
    PixelRect rect;
    if (keep) {
        // The content's words, and what else the picture depends on: the quality, the filters'
        // scale, the stage's scale (strokes), the bitmaps, and how deep the layer and masks
        // already nest (content past the depth caps is drawn differently).
        rect = LayerRect(bounds, reach);
        keptKey_.assign({static_cast<std::uint64_t>(quality_), std::bit_cast<std::uint64_t>(scale),
                         std::bit_cast<std::uint64_t>(stage_.scale),
                         reinterpret_cast<std::uintptr_t>(bitmaps_), levels_.size(),
                         masks_.size()});
        keptKey_.insert(keptKey_.end(), content.begin(), content.end());
        const int found = FindKept(rect, filters);
        if (found >= 0) {
            Level layer;
            layer.mode = mode;
            layer.cx = cx;
            layer.rect = rect;
            layer.kept = found;
            layer.fromKept = true;
            kept_[found].frame = frame_;
            levels_.push_back(layer);
            open_.push_back({Open::Layer, false});
            ++stats_.keptFilters;
            return true;
        }
    }
    const std::size_t before = levels_.size();
    // What lies just past the parent's edge still blurs and casts shadows into it: the layer
    // reaches past the parent by the filters' reach (its size bounded by the limits above).
    OpenLayer(mode, cx, bounds, reach);
    if (levels_.size() == before || levels_.back().passthrough || filters.empty()) return false;
    Level& layer = levels_.back();
    if (filterSets_.size() <= filterSetsUsed_) filterSets_.resize(filterSetsUsed_ + 1);
    filterSets_[filterSetsUsed_].assign(filters.begin(), filters.end());
    layer.filterSet = static_cast<int>(filterSetsUsed_++);
    layer.filterScale = scale;
    if (keep) {
        const int slot = ClaimKept(static_cast<std::size_t>(rect.Width()) *
                                   static_cast<std::size_t>(rect.Height()));
        if (slot >= 0) {
            KeptPicture& k = kept_[slot];
            k.key.assign(keptKey_.begin(), keptKey_.end());
            k.filters.assign(filters.begin(), filters.end());
            k.rect = rect;
            k.frame = frame_;
            k.valid = false;  // until the layer is filtered
            layer.kept = slot;
        }
    }
    return false;
}

void Renderer::SetKeepFilteredPictures(bool keep) {
    keepFiltered_ = keep;
    if (!keep) {
        for (KeptPicture& k : kept_) k.valid = false;
    }
}

int Renderer::FindKept(const PixelRect& rect, std::span<const Filter> filters) const {
    for (std::size_t i = 0; i < kept_.size(); ++i) {
        const KeptPicture& k = kept_[i];
        if (k.valid && k.rect == rect && std::ranges::equal(k.key, keptKey_) &&
            std::ranges::equal(k.filters, filters))
            return static_cast<int>(i);
    }
    return -1;
}

int Renderer::ClaimKept(std::size_t pixels) {
    constexpr std::size_t kMaxPictures = 64;
    if (pixels > kMaxKeptPixels) return -1;
    // A free picture (not valid, not claimed in this frame): the smallest that holds `pixels`,
    // else the one holding the most.
    int best = -1;
    for (std::size_t i = 0; i < kept_.size(); ++i) {
        const KeptPicture& k = kept_[i];
        if (k.valid || k.frame == frame_) continue;
        if (best < 0) {
            best = static_cast<int>(i);
            continue;
        }
        const std::size_t have = k.pixels.capacity(), bestHave = kept_[best].pixels.capacity();
        const bool fits = have >= pixels, bestFits = bestHave >= pixels;
        if (fits ? !bestFits || have < bestHave : !bestFits && have > bestHave)
            best = static_cast<int>(i);
    }
    if (best < 0) {
        if (kept_.size() >= kMaxPictures) return -1;
        kept_.emplace_back();
        best = static_cast<int>(kept_.size()) - 1;
    }
    const std::size_t have = kept_[best].pixels.capacity();
    if (have >= pixels) return best;
    // Growing: within the budget, giving back the memory of the other free pictures first.
    std::size_t held = 0;
    for (const KeptPicture& k : kept_) held += k.pixels.capacity();
    for (std::size_t i = 0; i < kept_.size() && held - have + pixels > kMaxKeptPixels; ++i) {
        KeptPicture& k = kept_[i];
        if (static_cast<int>(i) == best || k.valid || k.frame == frame_) continue;
        held -= k.pixels.capacity();
        std::vector<Pixel>().swap(k.pixels);
    }
    return held - have + pixels <= kMaxKeptPixels ? best : -1;
}

void Renderer::PopLayer() {
    if (!inFrame_) return;
    // Masks left open inside the layer end with it.
    while (!open_.empty() &&
           (open_.back().kind == Open::Mask || open_.back().kind == Open::SkippedMask)) {
        CloseTop();
    }
    if (!open_.empty()) CloseTop();
}

void Renderer::CloseTop() {
    const OpenEntry top = open_.back();
    open_.pop_back();
    switch (top.kind) {
        case Open::SkippedLayer:
        case Open::SkippedMask:
            return;
        case Open::Mask: {
            const Mask mask = masks_.back();
            masks_.pop_back();
            freeMasks_.push_back(mask.buffer);
            if (!mask.building) levels_[mask.level].activeMask = mask.previous;
            return;
        }
        case Open::Layer: {
            const Level layer = levels_.back();
            if (layer.fromKept) {
                CompositeLayer(layer, kept_[layer.kept].pixels.data());
                levels_.pop_back();
                return;
            }
            bool allFiltered = true;
            if (layer.filterSet >= 0) {
                const int w = layer.rect.Width(), h = layer.rect.Height();
                for (const Filter& f : filterSets_[layer.filterSet]) {
                    const std::uint64_t work = FilterWork(f, w, h);
                    if (work > filterWorkLimit_ - std::min(filterWork_, filterWorkLimit_)) {
                        ++stats_.unfiltered;
                        allFiltered = false;
                        continue;
                    }
                    filterWork_ += work;
                    ApplyFilter(f, layer.filterScale, layerPool_[layer.buffer].data(), w, h,
                                filterScratch_);
                }
            }
            // A picture some filters were passed over in is not kept: the next frame's budget
            // may draw it whole.
            if (layer.kept >= 0 && allFiltered) {
                // Within the claimed memory: rect is the claimed size.
                KeptPicture& k = kept_[layer.kept];
                const std::vector<Pixel>& drawn = layerPool_[layer.buffer];
                k.pixels.assign(drawn.begin(), drawn.end());
                k.valid = true;
            }
            if (!layer.passthrough) CompositeLayer(layer, layerPool_[layer.buffer].data());
            if (layer.buffer >= 0) freeLayers_.push_back(layer.buffer);
            levels_.pop_back();
            return;
        }
    }
}

void Renderer::CompositeLayer(const Level& layer, const Pixel* pixels) {
    const int parent = static_cast<int>(levels_.size()) - 2;
    const int mask = levels_[parent].activeMask;
    // Alpha and Erase work on the layer of an enclosing object; with none, nothing of the
    // object shows: the stage keeps its pixels, as in Flash Player.
    int drawnOn = parent;
    while (levels_[drawnOn].passthrough) --drawnOn;
    const BlendMode mode = layer.mode;
    if ((mode == BlendMode::Alpha || mode == BlendMode::Erase) && drawnOn == 0) return;
    // A filter layer may reach past its parent: only the part over the parent lands.
    const PixelRect r = Intersect(layer.rect, levels_[parent].rect);
    // A filter layer that lies wholly in the reach past the parent's edge lands nowhere (its
    // buffer may even be empty).
    if (IsEmpty(r)) return;
    const int width = r.Width();
    const std::size_t stride = layer.rect.Width();
    const bool transform = !layer.cx.IsIdentity();
    // The layer's pixels stay as drawn (a kept picture is shown again): a transformed row is
    // worked out on the side.
    if (transform && compositeRow_.size() < static_cast<std::size_t>(width))
        compositeRow_.resize(static_cast<std::size_t>(width));
    for (int y = r.top; y < r.bottom; ++y) {
        const Pixel* src = pixels + (y - layer.rect.top) * stride + (r.left - layer.rect.left);
        if (transform) {
            Pixel* out = compositeRow_.data();
            for (int x = 0; x < width; ++x) {
                const Pixel p = src[x];
                const std::uint32_t a = PixelA(p);
                auto straight = [a](std::uint32_t c) {
                    return static_cast<std::uint8_t>(
                        a == 0 ? 0 : std::min(255u, (c * 255 + a / 2) / a));
                };
                const Rgba c{straight(PixelR(p)), straight(PixelG(p)), straight(PixelB(p)),
                             static_cast<std::uint8_t>(a)};
                out[x] = Premultiply(ApplyColorTransform(c, layer.cx));
            }
            src = out;
        }
        const std::uint8_t* m = nullptr;
        if (mask >= 0) m = MaskRow(mask, y) + (r.left - masks_[mask].rect.left);
        Pixel* dst = LevelRow(parent, y) + (r.left - levels_[parent].rect.left);
        BlendRow(mode, src, dst, width, m);
    }
}

std::size_t Renderer::BytesHeld() const {
    std::size_t bytes = scan_.BytesHeld() + fillPaints_.capacity() * sizeof(Paint) +
                        linePaints_.capacity() * sizeof(Paint) +
                        (fillHeads_.capacity() + lineHeads_.capacity()) * sizeof(PaintHead) +
                        ramps_.capacity() * sizeof(GradientRamp) +
                        strokeOrder_.capacity() * sizeof(std::uint32_t) +
                        shade_.capacity() * sizeof(Pixel);
    for (const auto& b : layerPool_) bytes += b.capacity() * sizeof(Pixel);
    for (const auto& b : maskPool_) bytes += b.capacity();
    for (const KeptLines& k : keptLines_) bytes += k.lines.capacity() * sizeof(ScanConverter::Line);
    for (const KeptPicture& k : kept_) {
        bytes += k.pixels.capacity() * sizeof(Pixel) + k.key.capacity() * sizeof(std::uint64_t) +
                 k.filters.capacity() * sizeof(Filter);
    }
    return bytes + compositeRow_.capacity() * sizeof(Pixel) +
           keptKey_.capacity() * sizeof(std::uint64_t);
}

}  // namespace flash::render
