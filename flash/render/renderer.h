// The rasteriser's drawing interface, called by the walk over the display tree once per frame:
//
//   renderer.BeginFrame(surface, MakeStageView(mode, w, h, stage), background);
//   renderer.DrawShape(shape, placement, colorTransform);      // placement: twips -> device
//   renderer.BeginMask(); ...mask shapes...; renderer.EndMask();
//   ...shapes under the mask...;               renderer.PopMask();
//   renderer.PushLayer(BlendMode::Multiply); ...children...; renderer.PopLayer();
//   renderer.EndFrame();
//
// A shape is drawn straight from SWF's edge model; its fills below its strokes, each set of
// style arrays above the one before. The colour transform applies to every style's colour
// and gradient stop before drawing. Masks nest: content drawn between EndMask and PopMask is
// clipped by every mask in force; a mask is the union of its shapes' fills (colours, alpha and
// strokes do not matter, as in Flash's mask layers). A layer gathers its content off-screen
// and is composited with its blend mode (and an optional colour transform of its own) when
// popped; the masks in force where it was pushed clip it then. Alpha and Erase change the
// layer they are drawn into; pushed with no layer around them they draw as Normal, as Flash
// Player does.
//
// Memory: the surface, one buffer per open layer or mask (reused from frame to frame), and
// the scan converter's one row of coverage. After the first frames of a movie nothing is
// allocated: buffers only grow when something larger than before is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "flash/draw_types.h"
#include "flash/render/bitmap.h"
#include "flash/render/filters.h"
#include "flash/render/paint.h"
#include "flash/render/scan_converter.h"
#include "flash/render/shape.h"
#include "flash/render/stroker.h"
#include "flash/render/surface.h"
#include "flash/stage_layout.h"
#include "flash/swf_movie.h"

namespace flash::render {

// Flash Player's drawing qualities. "low" is aliased: one sample per pixel. "medium" takes 2 x 2
// samples; "high" and "best" take 4 x 4 (Flash Player's "high" pictures show sixteen steps of
// coverage along a shallow edge).
enum class Quality : std::uint8_t { Low, Medium, High, Best };

// "low", "medium", "high", "best", letter case ignored.
std::optional<Quality> ParseQuality(std::string_view text);
int SamplesPerSide(Quality quality);

// The stage placed in a device of width x height pixels under a scale mode.
struct StageView {
    Matrix toDevice;   // stage twips -> device pixels
    PixelRect stage;   // where the stage lands (may reach past the device under NoBorder)
    PixelRect device;  // the whole device
    double scale = 1;  // device pixels per stage pixel, the mean of the two axes
};

// The stage keeps its aspect under ShowAll (fits whole) and NoBorder (covers the device),
// stretches under ExactFit and stays 1:1 under NoScale; it is centred in every mode.
StageView MakeStageView(ScaleMode mode, int deviceWidth, int deviceHeight, const Rect& stage);

struct RenderStats {
    std::uint64_t shapes = 0;       // shapes drawn (at least partly inside the clip)
    std::uint64_t culled = 0;       // shapes skipped as wholly outside
    std::uint64_t lines = 0;        // scan-converted lines after flattening and stroking
    std::uint64_t refused = 0;      // layers and masks beyond the depth caps, drawn without
    std::uint64_t growths = 0;      // frames after which the reused buffers had grown
    std::uint64_t limited = 0;      // passes cut short at ScanConverter::kMaxLines
    std::uint64_t unfiltered = 0;   // filters passed over: objects too large, or past the budget
    std::uint64_t keptFilters = 0;  // filtered objects shown from the picture kept for them
    std::uint64_t keptLines = 0;    // fills scanned from the lines kept for them
};

class Renderer {
public:
    // Layers and masks nest at most this deep; deeper ones are drawn as if absent.
    static constexpr int kMaxLayerDepth = 32;
    static constexpr int kMaxMaskDepth = 32;
    // Curves and round caps and joins stay within this distance in device pixels.
    static constexpr double kCurveTolerance = 0.125;
    // Filled curves are counted in their shape's units first (see FlattenPlacedQuad); on the
    // device they stay within this, which matters only for shapes drawn well above their size.
    static constexpr double kFillCurveTolerance = 0.25;
    // The fill lines of large shapes that never change (Shape::serial) are kept while they are
    // drawn again with the same placement, clip and samples: a still shape drawn afresh is
    // scanned from its kept lines instead of being cut into lines again.
    static constexpr std::size_t kKeptLineSets = 4;
    static constexpr std::size_t kFewestKeptLines = 4096;
    static constexpr std::size_t kMostKeptLines = std::size_t{1} << 17;  // 5 MB a set
    static_assert(kMostKeptLines < ScanConverter::kMaxLines, "a kept set is never cut short");

    Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void SetQuality(Quality quality) { quality_ = quality; }
    // Filter work one frame may do (FilterWork's values); filters past it are passed over and
    // their objects drawn without them, so that a movie asking for hundreds of huge blurs
    // cannot hold a frame for minutes. About a second of the slowest filters' work.
    static constexpr std::uint64_t kFilterWorkPerFrame = std::uint64_t{1} << 28;
    void SetFilterWorkPerFrame(std::uint64_t work) { filterWorkLimit_ = work; }
    // Where bitmap fills find their bitmaps; without a source they draw nothing.
    void SetBitmaps(BitmapSource* source) { bitmaps_ = source; }
    Quality GetQuality() const { return quality_; }

    // Starts a frame: the whole surface becomes the opaque background colour.
    void BeginFrame(Surface& surface, const StageView& stage, Rgb background);
    // Ends the frame, closing any layer and mask left open (composited, then dropped).
    void EndFrame();

    void DrawShape(const Shape& shape, const Matrix& toDevice, const ColorTransform& cx);

    void BeginMask();
    void EndMask();
    void PopMask();

    // `bounds` (device pixels) limits the layer, and so its memory, to where its content
    // lies; without it the layer covers what its parent covers. Alpha and Erase act on the
    // parent wherever the layer lies, so they need the parent's whole area.
    void PushLayer(BlendMode mode, const ColorTransform& cx = {},
                   std::optional<PixelRect> bounds = std::nullopt);
    void PopLayer();
    // A layer whose pixels pass through `filters`, in order, before it is composited with
    // `mode` and the colour transform `cx` (which so colours the shadows and glows too);
    // `scale` is device pixels per filter pixel. `bounds` is the object's picture
    // grown by the filters' reach; the layer covers it as far as `reach` (left, top, right,
    // bottom: how far the filters spread) past its parent's area, so that what lies just
    // outside still blurs into view. Popped with PopLayer. Beyond the depth cap, or past the
    // filter size limits (kMaxFilterSide, kMaxFilterPixels), the content is drawn unfiltered.
    //
    // A filtered object is drawn as a picture of itself, as Flash Player draws it: given
    // `content`, words that the caller guarantees determine every call it makes into the
    // layer (what is drawn, with which matrices, colour transforms, masks and layers), the
    // filtered picture is kept and shown again while the content, the filters, the layer's
    // area and the drawing's settings stay the same. Returns true when the kept picture is
    // shown: the caller then draws nothing into the layer (anything drawn is passed over)
    // and pops it. The colour transform and blend mode apply when the picture is composited,
    // so they may change without a redraw. Without `content` nothing is kept.
    bool PushFilterLayer(std::span<const Filter> filters, double scale, BlendMode mode,
                         const ColorTransform& cx, std::optional<PixelRect> bounds,
                         const PixelRect& reach, std::span<const std::uint64_t> content = {});
    // Pictures of filtered objects are kept only while this is on (the default); off, every
    // filtered object is drawn afresh, which the tests compare with.
    void SetKeepFilteredPictures(bool keep);
    // Kept pictures hold at most this many pixels in all; past it, objects are drawn afresh.
    static constexpr std::size_t kMaxKeptPixels = std::size_t{1} << 23;

    const RenderStats& Stats() const { return stats_; }
    // Bytes in the buffers kept from frame to frame.
    std::size_t BytesHeld() const;

private:
    struct Level {
        Surface* surface = nullptr;  // the frame's surface (the first level)
        int buffer = -1;             // an off-screen layer's buffer
        bool passthrough = false;    // beyond the depth cap: draws into its parent
        PixelRect rect;
        BlendMode mode = BlendMode::Normal;
        ColorTransform cx;
        int activeMask = -1;  // the mask clipping what is drawn on this level
        int filterSet = -1;   // index into filterSets_
        double filterScale = 1;
        int kept = -1;  // the kept picture this layer shows (fromKept) or makes
        bool fromKept = false;
    };
    // A filtered object's picture, after its filters and before its colour transform, with
    // what it was drawn from. Valid while `frame` is this frame or the one before: a picture
    // not shown in a frame is dropped at its end (its memory stays for the next one).
    struct KeptPicture {
        std::vector<std::uint64_t> key;
        std::vector<Filter> filters;
        PixelRect rect;
        std::vector<Pixel> pixels;
        std::uint64_t frame = 0;
        bool valid = false;
    };
    struct Mask {
        int buffer = -1;
        PixelRect rect;
        int level = 0;
        bool building = true;
        int previous = -1;
    };
    class ColorSink;
    class MaskSink;

    Pixel* LevelRow(int level, int y);
    std::uint8_t* MaskRow(int mask, int y);
    int AcquireLayer(const PixelRect& rect);
    // A layer over `bounds` (else the parent's area), reaching at most `reach` past the
    // parent's area on each side.
    void OpenLayer(BlendMode mode, const ColorTransform& cx, std::optional<PixelRect> bounds,
                   const PixelRect& reach);
    int AcquireMask(const PixelRect& rect);
    // `pixels` cover layer.rect, rows of its width.
    void CompositeLayer(const Level& layer, const Pixel* pixels);
    PixelRect LayerRect(std::optional<PixelRect> bounds, const PixelRect& reach) const;
    int FindKept(const PixelRect& rect, std::span<const Filter> filters) const;
    int ClaimKept(std::size_t pixels);
    void DrawGroup(const Shape& shape, const StyleGroup& group, const Matrix& m,
                   const PixelRect& clip, CoverageSink& fillSink, CoverageSink& lineSink);
    bool Building() const { return !masks_.empty() && masks_.back().building; }
    bool Skipping() const;
    void CloseTop();

    Quality quality_ = Quality::High;
    BitmapSource* bitmaps_ = nullptr;
    StageView stage_;
    bool inFrame_ = false;
    std::vector<Level> levels_;
    std::vector<Mask> masks_;
    // Every open layer and mask in the order opened, so that each pop meets its push. Masks
    // and layers opened while a mask's content is drawn (a mask is only geometry), and those
    // beyond the depth caps, are skipped: matched, not carried out.
    enum class Open : std::uint8_t { Layer, Mask, SkippedLayer, SkippedMask };
    struct OpenEntry {
        Open kind;
        bool building;  // a mask whose content is being drawn
    };
    std::vector<OpenEntry> open_;
    std::vector<std::vector<Pixel>> layerPool_;
    std::vector<std::vector<std::uint8_t>> maskPool_;
    std::vector<int> freeLayers_;
    std::vector<int> freeMasks_;

    // Whole pixels the shape being drawn is moved right and down by (see DrawShape).
    int shiftX_ = 0;
    int shiftY_ = 0;
    ScanConverter scan_;
    Stroker stroker_;
    // What a group's fill lines depend on: the shape's edges (its serial number and the
    // group's first edge), the placement, the clip and the samples.
    struct LinesKey {
        std::uint64_t serial = 0;  // 0: an unused set
        std::uint32_t firstEdge = 0;
        Matrix m;
        PixelRect clip;
        int samples = 0;
        bool operator==(const LinesKey&) const = default;
    };
    struct KeptLines {
        LinesKey key;
        std::uint64_t frame = 0;  // last drawn in
        std::vector<ScanConverter::Line> lines;
    };
    KeptLines* FindKeptLines(const LinesKey& key);
    void KeepLines(const LinesKey& key);
    std::vector<KeptLines> keptLines_;
    std::vector<Paint> fillPaints_;
    std::vector<Paint> linePaints_;
    // What the coverage sinks read for every pixel, beside the paints: a shape of thousands of
    // styles keeps these in cache where its paints would not fit.
    struct PaintHead {
        Pixel color = 0;  // a solid paint's
        Paint::Kind kind = Paint::Kind::None;
        bool opaque = false;
    };
    std::vector<PaintHead> fillHeads_;
    std::vector<PaintHead> lineHeads_;
    std::vector<GradientRamp> ramps_;
    std::vector<std::uint32_t> strokeOrder_;
    std::vector<Pixel> shade_;
    std::vector<std::vector<Filter>> filterSets_;
    std::size_t filterSetsUsed_ = 0;
    FilterScratch filterScratch_;
    std::uint64_t filterWorkLimit_ = kFilterWorkPerFrame;
    std::uint64_t filterWork_ = 0;  // done in this frame
    std::vector<Pixel> compositeRow_;
    bool keepFiltered_ = true;
    std::uint64_t frame_ = 0;
    std::vector<std::uint64_t> keptKey_;
    std::vector<KeptPicture> kept_;
    std::size_t heldAtFrameStart_ = 0;
    RenderStats stats_;
};

}  // namespace flash::render
