#include "flash/sound/mixer.h"

#include <algorithm>

namespace flash::sound {
namespace {

constexpr std::uint64_t kUnit = std::uint64_t{1} << 32;

std::uint64_t StepFor(std::uint32_t rate, std::uint32_t outRate) {
    return (std::uint64_t{rate} << 32) / outRate;
}

std::int32_t Level(std::uint16_t stored) {
    return std::min<std::int32_t>(stored, kFullLevel);
}

std::int32_t Lerp(std::int32_t a, std::int32_t b, std::uint64_t at, std::uint64_t span) {
    return a + static_cast<std::int32_t>((std::int64_t{b} - a) * static_cast<std::int64_t>(at) /
                                         static_cast<std::int64_t>(span));
}

}  // namespace

PlayRange RangeOf(const SoundInfo& info, std::uint32_t rate, std::size_t frames) {
    PlayRange r;
    r.plays = info.Plays();
    // Rounded: 5.5 kHz is 5512 Hz here, just short of an eighth of 44.1 kHz.
    const auto toFrames = [rate](std::uint32_t pos44) {
        return static_cast<std::size_t>((std::uint64_t{pos44} * rate + 22050) / 44100);
    };
    r.begin = info.inPoint ? std::min(toFrames(*info.inPoint), frames) : 0;
    r.end = info.outPoint ? std::min(toFrames(*info.outPoint), frames) : frames;
    if (r.end < r.begin) r.end = r.begin;
    return r;
}

Levels EnvelopeAt(std::span<const EnvelopePoint> envelope, std::uint64_t pos44) {
    if (envelope.empty()) return {};
    if (pos44 <= envelope.front().pos44) {
        return {Level(envelope.front().left), Level(envelope.front().right)};
    }
    for (std::size_t i = 1; i < envelope.size(); ++i) {
        const EnvelopePoint& a = envelope[i - 1];
        const EnvelopePoint& b = envelope[i];
        if (pos44 < b.pos44 && pos44 >= a.pos44) {
            const std::uint64_t span = b.pos44 - a.pos44;
            const std::uint64_t at = pos44 - a.pos44;
            return {Lerp(Level(a.left), Level(b.left), at, span),
                    Lerp(Level(a.right), Level(b.right), at, span)};
        }
    }
    // Past the last point, or points out of order (which a well-made file never has).
    return {Level(envelope.back().left), Level(envelope.back().right)};
}

Mixer::Mixer(std::uint32_t outRate) : outRate_(outRate == 0 ? kOutputRate : outRate) {}

Mixer::Channel* Mixer::FreeSlot() {
    for (Channel& c : channels_) {
        if (!c.active) return &c;
    }
    return nullptr;
}

bool Mixer::Play(std::shared_ptr<const Pcm> pcm, const SoundInfo& info, std::uint32_t tag) {
    if (!pcm || pcm->rate == 0 || (pcm->channels != 1 && pcm->channels != 2)) return false;
    const PlayRange range = RangeOf(info, pcm->rate, pcm->Frames());
    if (range.begin == range.end) return false;
    Channel* c = FreeSlot();
    if (c == nullptr) return false;
    *c = Channel{};  // lets go of what the slot held before (here, not while mixing)
    c->tag = tag;
    c->rate = pcm->rate;
    c->channels = pcm->channels;
    c->step = StepFor(pcm->rate, outRate_);
    c->run = pcm->samples.data() + range.begin * pcm->channels;
    c->runFrames = range.end - range.begin;
    c->playsLeft = range.plays - 1;
    c->in44 = info.inPoint.value_or(0);
    c->envelope = info.envelope;
    c->pcm = std::move(pcm);
    c->active = true;
    return true;
}

bool Mixer::PlayStream(FrameSource& source, std::uint32_t tag) {
    Channel* c = FreeSlot();
    if (c == nullptr) return false;
    *c = Channel{};
    c->tag = tag;
    c->stream = &source;
    c->active = true;
    return true;
}

void Mixer::Stop(std::uint32_t tag) {
    for (Channel& c : channels_) {
        if (c.tag == tag) c = Channel{};
    }
}

void Mixer::StopAll() {
    for (Channel& c : channels_) c = Channel{};
}

bool Mixer::IsPlaying(std::uint32_t tag) const {
    return std::any_of(channels_.begin(), channels_.end(),
                       [tag](const Channel& c) { return c.active && c.tag == tag; });
}

std::size_t Mixer::ActiveChannels() const {
    return static_cast<std::size_t>(std::count_if(channels_.begin(), channels_.end(),
                                                  [](const Channel& c) { return c.active; }));
}

// The next run of the channel's frames: the same range again while plays are left, or the
// stream's next run (whose format may differ from the last one's).
bool Mixer::Refill(Channel& c) {
    if (c.stream == nullptr) {
        if (c.playsLeft == 0) return false;
        --c.playsLeft;
        c.runPos = 0;
        return true;
    }
    // A source that keeps returning runs too short to hold a frame is at its end in effect.
    for (int tries = 0; tries < 16; ++tries) {
        const std::span<const std::int16_t> run = c.stream->NextRun();
        if (run.empty()) return false;
        const unsigned channels = c.stream->Channels();
        const std::uint32_t rate = c.stream->Rate();
        if ((channels != 1 && channels != 2) || rate == 0) return false;
        c.channels = channels;
        if (rate != c.rate) {
            // A new rate begins from silence: the frame before it is not comparable.
            c.rate = rate;
            c.step = StepFor(rate, outRate_);
            c.frac = 0;
            c.aLeft = c.aRight = 0;
        }
        c.run = run.data();
        c.runFrames = run.size() / channels;
        c.runPos = 0;
        if (c.runFrames > 0) return true;
    }
    return false;
}

// The first frames of a channel; resampling starts with the first frame taken as `a`.
bool Mixer::Begin(Channel& c) {
    c.started = true;
    if (c.stream != nullptr && !Refill(c)) return false;
    if (c.runFrames == 0) return false;
    if (c.step != kUnit) {
        c.aLeft = c.run[0];
        c.aRight = c.run[c.channels - 1];
        c.runPos = 1;
    }
    return true;
}

Levels Mixer::LevelsAt(const Channel& c, std::uint64_t played) const {
    return EnvelopeAt(c.envelope, c.in44 + played * 44100 / outRate_);
}

void Mixer::MixChannel(Channel& c, std::int32_t* acc, std::size_t frames) {
    if (!c.started && !Begin(c)) {
        c.active = false;
        return;
    }
    std::size_t done = 0;
    int idle = 0;
    while (done < frames && c.active) {
        std::size_t n = frames - done;
        std::size_t cellPos = 0;
        Levels a;
        Levels b;
        if (!c.envelope.empty()) {
            const std::uint64_t cell = c.played - c.played % kLevelStep;
            cellPos = static_cast<std::size_t>(c.played - cell);
            n = std::min(n, kLevelStep - cellPos);
            a = LevelsAt(c, cell);
            b = LevelsAt(c, cell + kLevelStep);
        }
        const std::size_t made = c.step == kUnit
                                     ? CopyPiece(c, acc + 2 * done, n, a, b, cellPos)
                                     : ResamplePiece(c, acc + 2 * done, n, a, b, cellPos);
        done += made;
        c.played += made;
        // A piece cut short by a change of rate continues in the other path; one that
        // makes nothing twice in a row is stuck and ends.
        idle = made == 0 ? idle + 1 : 0;
        if (idle >= 2) c.active = false;
    }
}

namespace {

// The level `at` output frames into a kLevelStep cell that ramps from `a` to `b`.
inline std::int32_t CellLevel(std::int32_t a, std::int32_t b, std::size_t at) {
    static_assert(Mixer::kLevelStep == 64);
    return a + (((b - a) * static_cast<std::int32_t>(at)) >> 6);
}

// Frames at one level per side, the common case. The loops are kept simple enough for the
// compiler to vectorise: full level adds, other levels multiply 16 by 16 bits.
void AddFlat(std::int32_t* dst, const std::int16_t* src, std::size_t frames, unsigned channels,
             Levels levels) {
    if (channels == 2 && levels.left == levels.right) {
        const std::size_t n = 2 * frames;
        if (levels.left == kFullLevel) {
            for (std::size_t i = 0; i < n; ++i) dst[i] += src[i];
        } else {
            const auto g = static_cast<std::int16_t>(levels.left);
            for (std::size_t i = 0; i < n; ++i) dst[i] += (src[i] * g) >> 15;
        }
        return;
    }
    const std::int32_t gl = levels.left;
    const std::int32_t gr = levels.right;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::int32_t l = src[i * channels];
        const std::int32_t r = src[i * channels + channels - 1];
        dst[2 * i] += (l * gl) >> 15;
        dst[2 * i + 1] += (r * gr) >> 15;
    }
}

}  // namespace

// Same rate as the output: each source frame is one output frame.
std::size_t Mixer::CopyPiece(Channel& c, std::int32_t* acc, std::size_t frames, Levels a, Levels b,
                             std::size_t cellPos) {
    const bool flat = a.left == b.left && a.right == b.right;
    std::size_t k = 0;
    while (k < frames) {
        if (c.runPos >= c.runFrames) {
            if (!Refill(c)) {
                c.active = false;
                break;
            }
            if (c.step != kUnit) break;
        }
        const std::size_t m = std::min(frames - k, c.runFrames - c.runPos);
        const std::int16_t* src = c.run + c.runPos * c.channels;
        std::int32_t* dst = acc + 2 * k;
        if (flat) {
            AddFlat(dst, src, m, c.channels, a);
        } else {
            for (std::size_t i = 0; i < m; ++i) {
                const std::int32_t gl = CellLevel(a.left, b.left, cellPos + k + i);
                const std::int32_t gr = CellLevel(a.right, b.right, cellPos + k + i);
                dst[2 * i] += (src[i * c.channels] * gl) >> 15;
                dst[2 * i + 1] += (src[i * c.channels + c.channels - 1] * gr) >> 15;
            }
        }
        c.runPos += m;
        k += m;
        // An event sound ends with its last frame, so that it no longer counts as playing.
        if (c.runPos >= c.runFrames && c.stream == nullptr && c.playsLeft == 0) {
            c.active = false;
            break;
        }
    }
    return k;
}

// Another rate: straight-line interpolation between the frame last taken (a) and the next one
// (b). After the last frame, b is a: the last frame lasts its full time, then the channel ends.
// The state lives in locals while frames are made (the compiler cannot keep the channel's
// fields in registers across the writes to the accumulator) and is put back for a refill.
std::size_t Mixer::ResamplePiece(Channel& c, std::int32_t* acc, std::size_t frames, Levels a,
                                 Levels b, std::size_t cellPos) {
    const bool flat = a.left == b.left && a.right == b.right;
    std::int32_t aLeft = c.aLeft;
    std::int32_t aRight = c.aRight;
    std::uint64_t frac = c.frac;
    std::size_t pos = c.runPos;
    const std::int16_t* run = c.run;
    std::size_t runFrames = c.runFrames;
    unsigned last = c.channels - 1;
    const auto store = [&] {
        c.aLeft = aLeft;
        c.aRight = aRight;
        c.frac = frac;
        c.runPos = pos;
    };
    // Makes sure b exists, refilling at the end of a run; false when the rate changed to the
    // output's and the copying path takes over.
    const auto haveNext = [&] {
        if (c.ending || pos < runFrames) return true;
        store();
        if (!Refill(c)) {
            c.ending = true;
            return true;
        }
        aLeft = c.aLeft;
        aRight = c.aRight;
        frac = c.frac;
        pos = c.runPos;
        run = c.run;
        runFrames = c.runFrames;
        last = c.channels - 1;
        return c.step != kUnit;
    };
    const std::uint64_t step = c.step;
    std::size_t k = 0;
    while (k < frames) {
        if (!haveNext() || c.step != step) break;
        std::int64_t bl = aLeft;
        std::int64_t br = aRight;
        if (!c.ending) {
            const std::int16_t* next = run + pos * (last + 1);
            bl = next[0];
            br = next[last];
        }
        const auto f = static_cast<std::int64_t>(frac);
        const std::int32_t l = aLeft + static_cast<std::int32_t>(((bl - aLeft) * f) >> 32);
        const std::int32_t r = aRight + static_cast<std::int32_t>(((br - aRight) * f) >> 32);
        if (flat) {
            acc[2 * k] += (l * a.left) >> 15;
            acc[2 * k + 1] += (r * a.right) >> 15;
        } else {
            acc[2 * k] += (l * CellLevel(a.left, b.left, cellPos + k)) >> 15;
            acc[2 * k + 1] += (r * CellLevel(a.right, b.right, cellPos + k)) >> 15;
        }
        ++k;
        frac += step;
        // Past b: it becomes a, and the frame after it is needed.
        while (frac >= kUnit) {
            if (c.ending) {
                store();
                c.active = false;
                return k;
            }
            frac -= kUnit;
            aLeft = static_cast<std::int32_t>(bl);
            aRight = static_cast<std::int32_t>(br);
            ++pos;
            if (frac >= kUnit) {
                if (!haveNext()) {
                    store();
                    return k;
                }
                if (!c.ending) {
                    const std::int16_t* next = run + pos * (last + 1);
                    bl = next[0];
                    br = next[last];
                }
            }
        }
    }
    store();
    return k;
}

void Mixer::Mix(std::int16_t* out, std::size_t frames) {
    // Most of the time nothing plays: the output still asks for every buffer.
    if (ActiveChannels() == 0) {
        std::fill_n(out, 2 * frames, 0);
        mixed_ += frames;
        return;
    }
    while (frames > 0) {
        const std::size_t n = std::min(frames, kBlockFrames);
        std::fill_n(acc_.begin(), 2 * n, 0);
        for (Channel& c : channels_) {
            if (c.active) MixChannel(c, acc_.data(), n);
        }
        for (std::size_t i = 0; i < 2 * n; ++i) {
            out[i] = static_cast<std::int16_t>(std::clamp(acc_[i], -32768, 32767));
        }
        out += 2 * n;
        frames -= n;
        mixed_ += n;
    }
}

}  // namespace flash::sound
