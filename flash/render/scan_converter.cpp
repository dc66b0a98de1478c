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

// The first sample index at or after position v (in units), samples at (k + 0.5) / s pixels.
double FirstSampleAt(double v, int s) {
    return std::ceil((v * s - kUnits / 2) / kUnits);
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
    line.dx = p1.x - p0.x;
    line.dy = p1.y - p0.y;
    line.slope = line.dx / line.dy;
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
        events_.clear();
        for (int sub = 0; sub < s_; ++sub, ++row) {
            // Drop lines that ended, add those that start on this sample row.
            std::size_t kept = 0;
            for (const Active& a : active_) {
                if (a.rowEnd > row) active_[kept++] = a;
            }
            active_.resize(kept);
            fresh_ = kept;
            while (next < order_.size() && lines_[order_[next]].rowTop <= row) {
                if (lines_[order_[next]].rowEnd > row)
                    active_.push_back({0, order_[next], lines_[order_[next]].rowEnd});
                ++next;
            }
            subRowStart_[sub] = events_.size();
            ScanSampleRow(rule, row);
        }
        ResolveRow(y, sink);
        ++y;
    }
}

void ScanConverter::ScanSampleRow(FillRule rule, std::int32_t row) {
    if (active_.empty()) return;
    // The sample row's position in units: a whole or half number.
    const double ys = (row + 0.5) * kUnits / s_;
    for (Active& a : active_) {
        const Line& l = lines_[a.line];
        a.x = l.x0 + (ys - l.y0) * l.slope;
    }
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
    std::int32_t spanStart = kMin_;
    passing_.clear();
    touched_.clear();
    auto update = [&](std::uint16_t style, int delta) {
        if (style == 0 || style >= counts_.size()) return;
        std::int32_t& c = counts_[style];
        const bool was = rule == FillRule::NonZero ? c != 0 : (c & 1) != 0;
        if (c == 0) touched_.push_back(style);
        c += delta;
        const bool is = rule == FillRule::NonZero ? c != 0 : (c & 1) != 0;
        if (was == is) return;
        if (is) {
            passing_.push_back(style);
        } else {
            passing_.erase(std::find(passing_.begin(), passing_.end(), style));
        }
    };
    for (std::size_t i = 0; i < active_.size(); ++i) {
        const Line& l = lines_[active_[i].line];
        update(l.after, 1);
        update(l.before, -1);
        // Lines crossing at the same point change the picture once, after all of them.
        if (i + 1 < active_.size() && active_[i + 1].x == active_[i].x) continue;
        const std::uint16_t top =
            passing_.empty() ? 0 : *std::max_element(passing_.begin(), passing_.end());
        if (top == seen) continue;
        const double k = std::clamp(FirstSampleAt(active_[i].x, s_), double(kMin_), double(kMax_));
        const auto kx = static_cast<std::int32_t>(k);
        if (seen != 0) EmitSpan(spanStart, kx, seen);
        seen = top;
        spanStart = kx;
    }
    if (seen != 0) EmitSpan(spanStart, kMax_, seen);
    for (std::uint16_t style : touched_) counts_[style] = 0;
}

void ScanConverter::EmitSpan(std::int32_t k0, std::int32_t k1, std::uint16_t style) {
    if (k1 <= k0) return;
    events_.push_back({k0, style, 1});
    events_.push_back({k1, style, -1});
}

void ScanConverter::AddPending(std::int32_t px, std::int32_t samples) {
    if (px != pendingX_) {
        FlushPending();
        pendingX_ = px;
    }
    for (const StyleCoverage& a : activeSpans_) {
        const auto add = static_cast<std::uint16_t>(a.coverage * samples);
        auto it = std::find_if(pending_.begin(), pending_.end(),
                               [&](const StyleCoverage& p) { return p.style == a.style; });
        if (it == pending_.end()) {
            pending_.push_back({a.style, add});
        } else {
            it->coverage = static_cast<std::uint16_t>(it->coverage + add);
        }
    }
}

void ScanConverter::FlushPending() {
    if (pendingX_ < 0 || pending_.empty()) {
        pendingX_ = -1;
        pending_.clear();
        return;
    }
    runs_.push_back({pendingX_, pendingX_ + 1, static_cast<std::uint32_t>(cover_.size()),
                     static_cast<std::uint32_t>(pending_.size())});
    cover_.insert(cover_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    pendingX_ = -1;
}

void ScanConverter::ResolveRow(int y, CoverageSink& sink) {
    if (events_.empty()) return;
    // Each sample row's events are already in order: merging them is enough.
    auto byK = [](const Event& a, const Event& b) { return a.k < b.k; };
    const std::size_t n = events_.size();
    for (std::size_t width = 1; width < static_cast<std::size_t>(s_); width *= 2) {
        merged_.resize(n);
        for (std::size_t sub = 0; sub < static_cast<std::size_t>(s_); sub += 2 * width) {
            const std::size_t a = subRowStart_[sub];
            const std::size_t mid =
                sub + width < static_cast<std::size_t>(s_) ? subRowStart_[sub + width] : n;
            const std::size_t b =
                sub + 2 * width < static_cast<std::size_t>(s_) ? subRowStart_[sub + 2 * width] : n;
            std::merge(events_.begin() + a, events_.begin() + mid, events_.begin() + mid,
                       events_.begin() + b, merged_.begin() + a, byK);
        }
        events_.swap(merged_);
    }
    runs_.clear();
    cover_.clear();
    activeSpans_.clear();
    pending_.clear();
    pendingX_ = -1;
    // Sample columns are never negative and s is 1, 2 or 4: shifts and masks, not divisions.
    const std::int32_t s = s_, shift = s_ == 4 ? 2 : s_ == 2 ? 1 : 0, low = s_ - 1;
    std::int32_t pos = events_.front().k;
    std::size_t i = 0;
    while (i < events_.size()) {
        const std::int32_t k = events_[i].k;
        if (pos < k && !activeSpans_.empty()) {
            // [pos, k) is covered alike: a part pixel, whole pixels, a part pixel.
            std::int32_t a = pos;
            const std::int32_t pb = k >> shift;
            if (a >> shift == pb) {
                AddPending(pb, k - a);
            } else {
                if ((a & low) != 0) {
                    AddPending(a >> shift, s - (a & low));
                    a += s - (a & low);
                }
                if (a >> shift < pb) {
                    FlushPending();
                    const auto first = static_cast<std::uint32_t>(cover_.size());
                    for (const StyleCoverage& c : activeSpans_) {
                        cover_.push_back({c.style, static_cast<std::uint16_t>(c.coverage * s)});
                    }
                    runs_.push_back(
                        {a >> shift, pb, first, static_cast<std::uint32_t>(activeSpans_.size())});
                }
                if ((k & low) != 0) AddPending(pb, k & low);
            }
        }
        for (; i < events_.size() && events_[i].k == k; ++i) {
            const Event& e = events_[i];
            auto it = std::find_if(activeSpans_.begin(), activeSpans_.end(),
                                   [&](const StyleCoverage& c) { return c.style == e.style; });
            if (it == activeSpans_.end()) {
                if (e.delta > 0) activeSpans_.push_back({e.style, 1});
            } else if (e.delta > 0) {
                ++it->coverage;
            } else if (--it->coverage == 0) {
                activeSpans_.erase(it);
            }
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
           passing_.capacity() * 2 + (events_.capacity() + merged_.capacity()) * sizeof(Event) +
           (activeSpans_.capacity() + pending_.capacity() + cover_.capacity()) *
               sizeof(StyleCoverage) +
           runs_.capacity() * sizeof(CoverageRun);
}

}  // namespace flash::render
