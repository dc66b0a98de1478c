// The scan converter: lines in device pixels, each with the style on its left and on its
// right (SWF's fill0 and fill1), turned into per-row pixel coverage for each style.
//
// How a pixel is covered: it holds S x S sample points (S = 1 aliased, 2, or 4), at the
// centres of an even grid; a sample belongs to a style when the style's count at that point
// passes the fill rule, where crossing a line adds to the count of the style entered and
// takes from the one left (even-odd: each crossing flips both). Where several styles pass at
// one sample, the one with the highest index is seen: a shape's later styles lie above its
// earlier ones. A pixel's coverage of a style is the number of its samples that style holds.
//
// Each sample row is scanned once with the lines that cross it, sorted by x, and records the
// columns where the style it shows changes; a row of pixels walks its S sample rows' changes
// side by side and hands on runs of pixels whose coverage is constant, so that a wide span
// costs one run, not one entry per pixel. Memory is the line list and one pixel row of changes
// and runs, reused from call to call.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "flash/draw_types.h"
#include "flash/stage_layout.h"

namespace flash::render {

enum class FillRule : std::uint8_t { EvenOdd, NonZero };

struct StyleCoverage {
    std::uint16_t style = 0;
    std::uint16_t coverage = 0;  // samples, 1 .. S*S
};

// Pixels x0 .. x1-1 of a row, each covered as cover[first .. first+count) says.
struct CoverageRun {
    std::int32_t x0 = 0;
    std::int32_t x1 = 0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

class CoverageSink {
public:
    // Runs are in increasing x and do not overlap; rows come in increasing y.
    virtual void Row(int y, std::span<const CoverageRun> runs,
                     std::span<const StyleCoverage> cover) = 0;

protected:
    ~CoverageSink() = default;
};

class ScanConverter {
public:
    // Most lines one pass holds (about 80 MB); a shape that needs more after flattening and
    // stroking is drawn with the lines that fit.
    static constexpr std::size_t kMaxLines = std::size_t{1} << 21;

    // Starts a new set of lines, drawn only inside `clip` (device pixels), with
    // samplesPerSide (1, 2 or 4) samples along each side of a pixel.
    void Reset(const PixelRect& clip, int samplesPerSide);
    int SamplesPerSide() const { return s_; }
    int SamplesPerPixel() const { return s_ * s_; }

    void AddLine(Point p0, Point p1, std::uint16_t fill0, std::uint16_t fill1);
    // A quadratic curve in a shape's units (twips) drawn through `toDevice`, flattened so that
    // no point strays more than `tolerance` pixels (see FlattenPlacedQuad).
    void AddQuad(const Matrix& toDevice, Point p0, Point control, Point p1, std::uint16_t fill0,
                 std::uint16_t fill1, double tolerance);
    bool Empty() const { return lines_.empty(); }
    // Lines were refused since Reset because kMaxLines was reached.
    bool Limited() const { return limited_; }
    std::size_t LineCount() const { return lines_.size(); }

    // Scans every line added since Reset; styles are 1 .. maxStyle.
    void Render(FillRule rule, std::uint16_t maxStyle, CoverageSink& sink);

    // Bytes held in the reused buffers, for the memory statistics.
    std::size_t BytesHeld() const;

    struct Line {
        double x0, y0;                // the upper end, in twentieths of a pixel
        double slope;                 // x per y, for the rows between the ends
        std::int32_t rowTop, rowEnd;  // sample rows rowTop .. rowEnd-1
        std::uint16_t before, after;  // styles left of and right of the line, seen along +x
    };
    const std::vector<Line>& Lines() const { return lines_; }
    // Exchanges the lines added since Reset with `lines`: a caller keeps a still shape's lines
    // (of a pass not cut short) and hands them back for a later Render with the same clip and
    // samples. Render leaves the lines as they were.
    void SwapLines(std::vector<Line>& lines) { lines_.swap(lines); }

private:
    // A line the sample rows are crossing, with what the sweep reads of it: a shape of tens of
    // thousands of lines does not fit in cache, the few hundred crossing a row do.
    struct Active {
        double x;  // where it crosses the sample row being scanned
        double x0, y0, slope;
        std::int32_t rowEnd;
        std::uint16_t before, after;
    };
    // From sample column k on, a sample row shows `style` (0: nothing). A row's changes are in
    // increasing k; each begins or ends a span the row shows.
    struct Change {
        std::int32_t k;
        std::uint16_t style;
    };

    template <FillRule kRule>
    void ScanSampleRow(std::int32_t row);
    void EmitSpan(std::int32_t k0, std::int32_t k1, std::uint16_t style, std::size_t rowStart);
    template <int S>
    void ResolveRow(int y, CoverageSink& sink);
    void AddPending(std::int32_t px, std::int32_t samples, std::size_t spans);
    void FlushPending();

    PixelRect clip_;
    int s_ = 1;
    bool limited_ = false;
    std::int32_t kMin_ = 0, kMax_ = 0;
    std::vector<Line> lines_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> rowFirst_;  // while sorting: lines per starting sample row
    std::vector<Active> active_;
    std::size_t fresh_ = 0;  // active_[fresh_ ..] start on the sample row being scanned
    std::vector<Active> freshSorted_;
    std::vector<std::int32_t> counts_;
    std::vector<std::uint16_t> touched_;
    std::vector<std::uint16_t> passing_;  // styles passing the rule at the scan position
    std::vector<Change> changes_;         // a pixel row's sample rows, one after the other
    std::size_t subRowStart_[4] = {0, 0, 0, 0};
    static constexpr std::int32_t kNoChange = INT32_MAX;
    StyleCoverage spans_[4];  // during resolve: the styles shown and in how many sample rows
    std::int32_t pendingX_ = -1;
    std::size_t pendingFirst_ = 0;
    std::vector<CoverageRun> runs_;
    std::vector<StyleCoverage> cover_;
};

}  // namespace flash::render
