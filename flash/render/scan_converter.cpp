#include "flash/render/scan_converter.h"

#include "flash/render/flatten.h"

#include <algorithm>
#include <cmath>

namespace flash::render {

namespace {

// The first sample index at or after position v (in pixels), samples at (k + 0.5) / s.
double FirstSampleAt(double v, int s) {
    return std::ceil(v * s - 0.5);
}

// Device positions are kept in twentieths of a pixel, as Flash Player keeps them: whether a
// sample lies inside then comes out as it does there, even for the points of a flattened curve.
Point Snap(Point p) {
    return {std::round(p.x * 20) / 20, std::round(p.y * 20) / 20};
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
    if (std::min(p0.x, p1.x) >= clip_.right) return;  // can change nothing inside the clip
    line.x0 = p0.x;
    line.y0 = p0.y;
    line.dxdy = (p1.x - p0.x) / (p1.y - p0.y);
    line.rowTop = static_cast<std::int32_t>(top);
    line.rowEnd = static_cast<std::int32_t>(end);
    lines_.push_back(line);
}

void ScanConverter::AddQuad(Point p0, Point c, Point p1, std::uint16_t fill0, std::uint16_t fill1,
                            double tolerance) {
    if (fill0 == fill1) return;
    Point prev = p0;
    FlattenQuad(p0, c, p1, tolerance, [&](Point p) {
        AddLine(prev, p, fill0, fill1);
        prev = p;
    });
}

void ScanConverter::Render(FillRule rule, std::uint16_t maxStyle, CoverageSink& sink) {
    if (lines_.empty()) return;
    if (counts_.size() < std::size_t{maxStyle} + 1) counts_.resize(std::size_t{maxStyle} + 1, 0);
    order_.resize(lines_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return lines_[a].rowTop < lines_[b].rowTop;
    });
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
                if (lines_[a.line].rowEnd > row) active_[kept++] = a;
            }
            active_.resize(kept);
            while (next < order_.size() && lines_[order_[next]].rowTop <= row) {
                if (lines_[order_[next]].rowEnd > row) active_.push_back({0, order_[next]});
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
    const double ys = (row + 0.5) / s_;
    for (Active& a : active_) {
        const Line& l = lines_[a.line];
        a.x = l.x0 + (ys - l.y0) * l.dxdy;
    }
    // Insertion sort: the order barely changes from one sample row to the next.
    for (std::size_t i = 1; i < active_.size(); ++i) {
        const Active v = active_[i];
        std::size_t j = i;
        while (j > 0 && active_[j - 1].x > v.x) {
            active_[j] = active_[j - 1];
            --j;
        }
        active_[j] = v;
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
    return lines_.capacity() * sizeof(Line) + order_.capacity() * sizeof(std::uint32_t) +
           active_.capacity() * sizeof(Active) + counts_.capacity() * sizeof(std::int32_t) +
           touched_.capacity() * 2 + passing_.capacity() * 2 +
           (events_.capacity() + merged_.capacity()) * sizeof(Event) +
           (activeSpans_.capacity() + pending_.capacity() + cover_.capacity()) *
               sizeof(StyleCoverage) +
           runs_.capacity() * sizeof(CoverageRun);
}

}  // namespace flash::render
