#include "flash/render/scan_converter.h"

#include "flash/render/flatten.h"

#include <algorithm>
#include <cmath>

namespace flash::render {

namespace {

// Device positions are rounded to 1/256 of a pixel, as the pictures Flash Player drew show it
// doing: a point at a whole twip (at scale 1) lands on the nearest 256th, 0.05 px becoming
// 13/256 px, and a point that a rotation or scale puts between twips is not pulled onto one
// first (the renderer keeps placements' translations and curves' chord ends on whole twips
// before they come here). This decides samples lying within a hundredth of a twip of an edge.
// Positions are held in units of 1/20 pixel (twips at scale 1), multiples of 5/64 of a unit in
// doubles, and a sample's position is a whole or half number of units, so the crossing of a
// line with a sample row is worked out exactly whenever it is representable at all: a line
// through a sample's very centre puts the sample on the side the fill rule says, never on one
// chosen by rounding.
constexpr double kUnits = 20;
constexpr double kFixed = 256;  // steps per pixel of the positions that are drawn

// Rounds half away from zero like std::round, inline: every point of every shape passes here.
double RoundHalfAway(double v) {
    constexpr double kWhole = 4503599627370496.0;  // 2^52: at and past it every double is whole
    if (!(std::fabs(v) < kWhole)) return v;        // also keeps NaN and infinities as they are
    const double r = static_cast<double>(static_cast<std::int64_t>(std::fabs(v) + 0.5));
    return v < 0 ? -r : r;
}

// A device position in pixels to the units it is drawn at.
double Snap(double v) {
    return RoundHalfAway(v * kFixed) * (kUnits / kFixed);
}

Point Snap(Point p) {
    return {Snap(p.x), Snap(p.y)};
}

// The first sample index at or after position v (in units), samples at (k + 0.5) / s pixels:
// ceil((v * s - 10) / 20). Every crossing of every sample row passes here, so the quotient is
// estimated by a product, rounded to the nearest whole number by the 2^52 + 2^51 sum (exact
// below 2^51), and set right by one exact comparison (whole numbers times 20 are exact below
// 2^40): the index is the smallest q with q * 20 >= t, the same the division gives, whose
// rounding never carries a quotient across a whole number.
double FirstSampleAt(double v, int s) {
    constexpr double kExact = 1099511627776.0;     // 2^40
    constexpr double kRound = 6755399441055744.0;  // 2^52 + 2^51
    const double t = v * s - kUnits / 2;
    if (!(std::fabs(t) < kExact)) return std::ceil(t / kUnits);
    // Within half of t / 20 and a little: q or q + 1, either as often (no branch).
    const double q = (t * (1 / kUnits) + kRound) - kRound;
    return q + static_cast<double>(q * kUnits < t);
}

}  // namespace

void ScanConverter::Reset(const PixelRect& clip, int samplesPerSide) {
    // Device pixels are never left of or above 0: pixel and sample indices stay positive.
    clip_ = {std::max(clip.left, 0), std::max(clip.top, 0), std::max(clip.right, 0),
             std::max(clip.bottom, 0)};
    s_ = samplesPerSide >= 4 ? 4 : samplesPerSide >= 2 ? 2 : 1;
    kMin_ = clip_.left * s_;
    kMax_ = clip_.right * s_;
    lines_.clear();
    limited_ = false;
}

void ScanConverter::AddLine(Point p0, Point p1, std::uint16_t fill0, std::uint16_t fill1) {
    if (fill0 == fill1) return;
    if (lines_.size() >= kMaxLines) {
        limited_ = true;
        return;
    }
    p0 = Snap(p0);
    p1 = Snap(p1);
    if (!std::isfinite(p0.x) || !std::isfinite(p0.y) || !std::isfinite(p1.x) ||
        !std::isfinite(p1.y))
        return;
    // Along +x, a line going down is crossed from its right side (fill1) to its left (fill0).
    Line line;
    if (p0.y < p1.y) {
        line.before = fill1;
        line.after = fill0;
    } else if (p0.y > p1.y) {
        std::swap(p0, p1);
        line.before = fill0;
        line.after = fill1;
    } else {
        return;  // horizontal: no sample row crosses it
    }
    const double top = std::max(FirstSampleAt(p0.y, s_), double(clip_.top) * s_);
    const double end = std::min(FirstSampleAt(p1.y, s_), double(clip_.bottom) * s_);
    if (!(top < end)) return;
    // A line right of the clip can change nothing inside it.
    if (std::min(p0.x, p1.x) >= clip_.right * kUnits) return;
    line.x0 = p0.x;
    line.y0 = p0.y;
    line.slope = (p1.x - p0.x) / (p1.y - p0.y);
    line.rowTop = static_cast<std::int32_t>(top);
    line.rowEnd = static_cast<std::int32_t>(end);
    lines_.push_back(line);
}

void ScanConverter::AddQuad(const Matrix& toDevice, Point p0, Point c, Point p1,
                            std::uint16_t fill0, std::uint16_t fill1, double tolerance) {
    if (fill0 == fill1) return;
    Point prev = toDevice.Apply(p0);
    FlattenPlacedQuad(toDevice, p0, c, p1, tolerance, [&](Point p) {
        AddLine(prev, p, fill0, fill1);
        prev = p;
    });
}

void ScanConverter::Render(FillRule rule, std::uint16_t maxStyle, CoverageSink& sink) {
    if (lines_.empty()) return;
    if (counts_.size() < std::size_t{maxStyle} + 1) counts_.resize(std::size_t{maxStyle} + 1, 0);
    // Lines in order of their first sample row, by counting: every row lies in the clip.
    const std::int32_t rowBase = clip_.top * s_;
    rowFirst_.assign(static_cast<std::size_t>((clip_.bottom - clip_.top) * s_) + 1, 0);
    for (const Line& l : lines_) ++rowFirst_[static_cast<std::size_t>(l.rowTop - rowBase) + 1];
    for (std::size_t r = 1; r < rowFirst_.size(); ++r) rowFirst_[r] += rowFirst_[r - 1];
    order_.resize(lines_.size());
    for (std::uint32_t i = 0; i < lines_.size(); ++i) {
        order_[rowFirst_[static_cast<std::size_t>(lines_[i].rowTop - rowBase)]++] = i;
    }
    active_.clear();
    std::size_t next = 0;
    std::int32_t row = lines_[order_[0]].rowTop;
    // Pixel rows: the first one holding a sample row that some line crosses.
    int y = row / s_;
    row = y * s_;
    while (next < order_.size() || !active_.empty()) {
        if (active_.empty() && next < order_.size() && lines_[order_[next]].rowTop / s_ > y) {
            y = lines_[order_[next]].rowTop / s_;
            row = y * s_;
        }
        changes_.clear();
        for (int sub = 0; sub < s_; ++sub, ++row) {
            // Drop lines that ended, add those that start on this sample row.
            std::size_t kept = 0;
            for (const Active& a : active_) {
                if (a.rowEnd > row) active_[kept++] = a;
            }
            active_.resize(kept);
            fresh_ = kept;
            // rowFirst_ now holds where each row's lines end in order_ (the rows past the clip,
            // which the last lines' ends reach, start none). Those starting two rows on are
            // fetched ahead: they lie anywhere in the line list.
            const auto r = static_cast<std::size_t>(row - rowBase);
            if (r + 2 < rowFirst_.size()) {
                for (std::size_t i = rowFirst_[r + 1]; i < rowFirst_[r + 2]; ++i)
                    __builtin_prefetch(&lines_[order_[i]]);
            }
            const std::size_t starting = r < rowFirst_.size() ? rowFirst_[r] : order_.size();
            for (; next < starting; ++next) {
                const Line& l = lines_[order_[next]];
                if (l.rowEnd > row)
                    active_.push_back({0, l.x0, l.y0, l.slope, l.rowEnd, l.before, l.after});
            }
            subRowStart_[sub] = changes_.size();
            if (rule == FillRule::NonZero) {
                ScanSampleRow<FillRule::NonZero>(row);
            } else {
                ScanSampleRow<FillRule::EvenOdd>(row);
            }
            changes_.push_back({kNoChange, 0});  // the end of the sample row's changes
        }
        if (changes_.size() > static_cast<std::size_t>(s_)) {
            if (s_ == 4) {
                ResolveRow<4>(y, sink);
            } else if (s_ == 2) {
                ResolveRow<2>(y, sink);
            } else {
                ResolveRow<1>(y, sink);
            }
        }
        ++y;
    }
}

template <FillRule kRule>
void ScanConverter::ScanSampleRow(std::int32_t row) {
    if (active_.empty()) return;
    const std::size_t rowStart = changes_.size();  // this sample row's changes begin here
    // The sample row's position in units: a whole or half number.
    const double ys = (row + 0.5) * kUnits / s_;
    for (Active& a : active_) a.x = a.x0 + (ys - a.y0) * a.slope;
    // The lines carried over barely change their order from one sample row to the next: an
    // insertion sort. Those starting on this row come in any order and in numbers (a finely
    // cut shape starts hundreds of lines on one row): sorted apart, then merged in.
    freshSorted_.assign(active_.begin() + static_cast<std::ptrdiff_t>(fresh_), active_.end());
    std::sort(freshSorted_.begin(), freshSorted_.end(),
              [](const Active& a, const Active& b) { return a.x < b.x; });
    for (std::size_t i = 1; i < fresh_; ++i) {
        const Active v = active_[i];
        std::size_t j = i;
        while (j > 0 && active_[j - 1].x > v.x) {
            active_[j] = active_[j - 1];
            --j;
        }
        active_[j] = v;
    }
    // Merged from the back, into the room the new lines held; an old line stays before a new
    // one at the same x.
    std::size_t k = active_.size(), i = fresh_, j = freshSorted_.size();
    while (j > 0) {
        if (i > 0 && active_[i - 1].x > freshSorted_[j - 1].x) {
            active_[--k] = active_[--i];
        } else {
            active_[--k] = freshSorted_[--j];
        }
    }
    std::uint16_t seen = 0;  // the style on top at the scan position
    std::uint16_t top = 0;   // the highest style passing the rule
    std::int32_t spanStart = kMin_;
    passing_.clear();
    touched_.clear();
    auto update = [&](std::uint16_t style, int delta) __attribute__((always_inline)) {
        if (style == 0 || style >= counts_.size()) return;
        std::int32_t& c = counts_[style];
        const bool was = kRule == FillRule::NonZero ? c != 0 : (c & 1) != 0;
        if (c == 0) touched_.push_back(style);
        c += delta;
        const bool is = kRule == FillRule::NonZero ? c != 0 : (c & 1) != 0;
        if (was == is) return;
        if (is) {
            passing_.push_back(style);
            top = std::max(top, style);
            return;
        }
        // The passing styles are a set: the last one takes the place of the one that stops.
        *std::find(passing_.begin(), passing_.end(), style) = passing_.back();
        passing_.pop_back();
        if (style == top) {
            top = 0;
            for (std::uint16_t p : passing_) top = std::max(top, p);
        }
    };
    for (std::size_t i = 0; i < active_.size(); ++i) {
        update(active_[i].after, 1);
        update(active_[i].before, -1);
        // Lines crossing at the same point change the picture once, after all of them.
        if (i + 1 < active_.size() && active_[i + 1].x == active_[i].x) continue;
        if (top == seen) continue;
        const double k = std::clamp(FirstSampleAt(active_[i].x, s_), double(kMin_), double(kMax_));
        const auto kx = static_cast<std::int32_t>(k);
        if (seen != 0) EmitSpan(spanStart, kx, seen, rowStart);
        seen = top;
        spanStart = kx;
    }
    if (seen != 0) EmitSpan(spanStart, kMax_, seen, rowStart);
    for (std::uint16_t style : touched_) counts_[style] = 0;
}

// A span shown from k0 up to k1: it begins where the one before it ended, if it did.
void ScanConverter::EmitSpan(std::int32_t k0, std::int32_t k1, std::uint16_t style,
                             std::size_t rowStart) {
    if (k1 <= k0) return;
    if (changes_.size() > rowStart && changes_.back().k == k0) {
        changes_.back().style = style;
    } else {
        changes_.push_back({k0, style});
    }
    changes_.push_back({k1, 0});
}

// The part-covered pixel px: its coverage grows at the end of cover_ until another pixel or a
// run of whole ones comes.
void ScanConverter::AddPending(std::int32_t px, std::int32_t samples, std::size_t spans) {
    if (px != pendingX_) {
        FlushPending();
        pendingX_ = px;
        pendingFirst_ = cover_.size();
    }
    for (std::size_t i = 0; i < spans; ++i) {
        const auto add = static_cast<std::uint16_t>(spans_[i].coverage * samples);
        std::size_t at = pendingFirst_;
        while (at < cover_.size() && cover_[at].style != spans_[i].style) ++at;
        if (at == cover_.size()) {
            cover_.push_back({spans_[i].style, add});
        } else {
            cover_[at].coverage = static_cast<std::uint16_t>(cover_[at].coverage + add);
        }
    }
}

void ScanConverter::FlushPending() {
    if (pendingX_ >= 0 && cover_.size() > pendingFirst_) {
        runs_.push_back({pendingX_, pendingX_ + 1, static_cast<std::uint32_t>(pendingFirst_),
                         static_cast<std::uint32_t>(cover_.size() - pendingFirst_)});
    }
    pendingX_ = -1;
}

template <int S>
void ScanConverter::ResolveRow(int y, CoverageSink& sink) {
    runs_.clear();
    cover_.clear();
    pendingX_ = -1;
    // The sample rows' changes are each in order: they are walked side by side, a column at a
    // time, with the style each row shows.
    const Change* at[S];
    std::uint16_t shown[S];
    for (int sub = 0; sub < S; ++sub) {
        at[sub] = changes_.data() + subRowStart_[sub];
        shown[sub] = 0;
    }
    std::size_t spans = 0;
    // Sample columns are never negative and S is 1, 2 or 4: shifts and masks, not divisions.
    constexpr std::int32_t shift = S == 4 ? 2 : S == 2 ? 1 : 0, low = S - 1;
    std::int32_t pos = 0;
    for (;;) {
        std::int32_t k = at[0]->k;
        for (int sub = 1; sub < S; ++sub) k = std::min(k, at[sub]->k);
        if (k == kNoChange) break;
        if (pos < k && spans != 0) {
            // [pos, k) is covered alike: a part pixel, whole pixels, a part pixel.
            std::int32_t a = pos;
            const std::int32_t pb = k >> shift;
            if (a >> shift == pb) {
                AddPending(pb, k - a, spans);
            } else {
                if ((a & low) != 0) {
                    AddPending(a >> shift, S - (a & low), spans);
                    a += S - (a & low);
                }
                if (a >> shift < pb) {
                    FlushPending();
                    const auto first = static_cast<std::uint32_t>(cover_.size());
                    for (std::size_t i = 0; i < spans; ++i) {
                        cover_.push_back(
                            {spans_[i].style, static_cast<std::uint16_t>(spans_[i].coverage * S)});
                    }
                    runs_.push_back({a >> shift, pb, first, static_cast<std::uint32_t>(spans)});
                }
                if ((k & low) != 0) AddPending(pb, k & low, spans);
            }
        }
        for (int sub = 0; sub < S; ++sub) {
            if (at[sub]->k == k) shown[sub] = (at[sub]++)->style;
        }
        // The styles shown at k, each once, with the number of sample rows showing it. Which
        // rows show the same style changes at every step: counted without branches.
        spans = 0;
        for (int sub = 0; sub < S; ++sub) {
            const std::uint16_t style = shown[sub];
            std::uint16_t rows = 0;
            bool first = style != 0;
            for (int other = 0; other < S; ++other) {
                rows = static_cast<std::uint16_t>(rows + (shown[other] == style));
                if (other < sub) first = first && shown[other] != style;
            }
            spans_[spans] = {style, rows};  // kept only if the style is shown from here first
            spans += first;
        }
        pos = k;
    }
    FlushPending();
    if (!runs_.empty()) sink.Row(y, runs_, cover_);
}

std::size_t ScanConverter::BytesHeld() const {
    return lines_.capacity() * sizeof(Line) +
           (order_.capacity() + rowFirst_.capacity()) * sizeof(std::uint32_t) +
           (active_.capacity() + freshSorted_.capacity()) * sizeof(Active) +
           counts_.capacity() * sizeof(std::int32_t) + touched_.capacity() * 2 +
           passing_.capacity() * 2 + changes_.capacity() * sizeof(Change) +
           cover_.capacity() * sizeof(StyleCoverage) + runs_.capacity() * sizeof(CoverageRun);
}

}  // namespace flash::render
