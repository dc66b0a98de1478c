#include "flash/timeline.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/ansi_text.h"
#include "flash/actions.h"

namespace flash {

namespace {

// Frames visited in one step beyond this are not queued: the queue never reallocates.
constexpr std::size_t kMaxQueue = 64;
constexpr std::uint64_t kMicrosPerSecond = 1000000;

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// A number as the player's trace prints it: integers without a fraction, others with up to
// 15 significant digits, exponents without leading zeros ("1e-7", "1e+21").
std::string_view NumberText(double n, char (&buf)[40]) {
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0) return "0";  // also -0
    int length = std::snprintf(buf, sizeof buf, "%.15g", n);
    if (length <= 0) return "NaN";
    char* e = std::strchr(buf, 'e');
    if (e != nullptr) {
        // "1e-07" -> "1e-7"
        char* digits = e + 2;
        char* first = digits;
        while (*first == '0' && first[1] != '\0') ++first;
        std::memmove(digits, first, std::strlen(first) + 1);
        length = static_cast<int>(std::strlen(buf));
    }
    return {buf, static_cast<std::size_t>(length)};
}

}  // namespace

Timeline::Timeline(Movie movie, TraceSink* trace) : movie_(std::move(movie)), trace_(trace) {
    if (movie_.frames.empty()) movie_.frames.emplace_back();
    // Sized once, so that ticking allocates nothing afterwards in the usual case.
    queue_.reserve(kMaxQueue);
    stack_.reserve(256);
    constants_.reserve(64);
}

void Timeline::StepFrame() {
    actionsThisStep_ = 0;
    if (!entered_) {
        Enter(0);
    } else if (playing_ && TotalFrames() > 1) {
        if (current_ + 1 < TotalFrames()) {
            Enter(current_ + 1);
        } else if (loop_) {
            Enter(0);
        } else {
            playing_ = false;
        }
    }
    RunQueued();
}

void Timeline::Tick(std::chrono::microseconds elapsed) {
    if (!entered_) StepFrame();
    const std::uint64_t rate =
        movie_.header.frameRate88 != 0 ? movie_.header.frameRate88 : kZeroRateFallback88;
    const std::uint64_t frameCost = 256 * kMicrosPerSecond;
    const std::uint64_t maxCredit = frameCost * (kMaxStepsPerTick + 1);
    if (elapsed.count() > 0) {
        // Clamp before multiplying: beyond maxCredit the time is dropped anyway.
        const std::uint64_t micros = static_cast<std::uint64_t>(elapsed.count());
        const std::uint64_t add = micros > maxCredit / rate ? maxCredit : micros * rate;
        timeCredit_ = timeCredit_ + add > maxCredit ? maxCredit : timeCredit_ + add;
    }
    for (int steps = 0; timeCredit_ >= frameCost && steps < kMaxStepsPerTick; ++steps) {
        timeCredit_ -= frameCost;
        StepFrame();
    }
    if (timeCredit_ >= frameCost) timeCredit_ %= frameCost;
}

void Timeline::Back() {
    playing_ = false;
    actionsThisStep_ = 0;
    if (current_ > 0) Enter(current_ - 1);
    RunQueued();
}

void Timeline::Forward() {
    playing_ = false;
    actionsThisStep_ = 0;
    if (current_ + 1 < TotalFrames()) Enter(current_ + 1);
    RunQueued();
}

void Timeline::Rewind() {
    GotoFrame(0);
}

void Timeline::GotoFrame(std::int64_t frame) {
    playing_ = false;
    actionsThisStep_ = 0;
    const std::int64_t last = static_cast<std::int64_t>(TotalFrames()) - 1;
    Enter(static_cast<std::size_t>(frame < 0 ? 0 : (frame > last ? last : frame)));
    RunQueued();
}

void Timeline::Enter(std::size_t frame) {
    if (entered_ && frame == current_) return;
    entered_ = true;
    current_ = frame;
    if (!movie_.frames[frame].actions.empty() && queue_.size() < kMaxQueue) {
        queue_.push_back(static_cast<std::uint32_t>(frame));
    }
}

void Timeline::RunQueued() {
    // Blocks queued while running are appended and run in turn. The index walks the queue
    // because Enter may push to it while a block runs.
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        const Frame& frame = movie_.frames[queue_[i]];
        for (const ByteRange& block : frame.actions) {
            if (actionsThisStep_ >= kMaxActionsPerStep) break;
            RunBlock(block);
        }
    }
    queue_.clear();
}

void Timeline::RunBlock(ByteRange block) {
    ActionReader reader(std::span(movie_.bytes).subspan(block.offset, block.length));
    ActionRecord a;
    while (reader.Next(a)) {
        if (++actionsThisStep_ > kMaxActionsPerStep) return;
        switch (static_cast<ActionCode>(a.code)) {
            case ActionCode::Play:
                playing_ = true;
                break;
            case ActionCode::Stop:
                playing_ = false;
                break;
            case ActionCode::NextFrame:
                playing_ = false;
                if (current_ + 1 < TotalFrames()) Enter(current_ + 1);
                break;
            case ActionCode::PreviousFrame:
                playing_ = false;
                if (current_ > 0) Enter(current_ - 1);
                break;
            case ActionCode::GotoFrame:
                if (a.data.size() >= 2) {
                    // The action itself stops; "gotoAndPlay" is this followed by Play.
                    playing_ = false;
                    const std::size_t target = static_cast<std::size_t>(a.data[0] | a.data[1] << 8);
                    Enter(target < TotalFrames() ? target : TotalFrames() - 1);
                }
                break;
            case ActionCode::GotoLabel: {
                std::size_t target = 0;
                if (FindLabel(CString(a.data), target)) {
                    playing_ = false;
                    Enter(target);
                }
                break;
            }
            case ActionCode::GotoFrame2:
                if (!a.data.empty()) {
                    const bool biased = (a.data[0] & 2) != 0 && a.data.size() >= 3;
                    GotoFrame2((a.data[0] & 1) != 0,
                               biased ? static_cast<std::uint16_t>(a.data[1] | a.data[2] << 8) : 0);
                }
                break;
            case ActionCode::ConstantPool: {
                ConstantPoolReader pool(a.data);
                constants_.clear();
                std::string_view text;
                while (pool.Next(text)) constants_.push_back(text);
                break;
            }
            case ActionCode::Push: {
                PushReader values(a.data);
                PushValue pv;
                while (values.Next(pv)) {
                    Value v;
                    switch (pv.kind) {
                        case PushValue::Kind::Undefined:
                            break;
                        case PushValue::Kind::Null:
                            v.kind = Value::Kind::Null;
                            break;
                        case PushValue::Kind::Boolean:
                            v.kind = Value::Kind::Boolean;
                            v.number = pv.number;
                            break;
                        case PushValue::Kind::Number:
                            v.kind = Value::Kind::Number;
                            v.number = pv.number;
                            break;
                        case PushValue::Kind::String:
                            v.kind = Value::Kind::String;
                            v.text = pv.text;
                            break;
                        case PushValue::Kind::Constant:
                            // An index past the pool pushes undefined, as the player does.
                            if (pv.index < constants_.size()) {
                                v.kind = Value::Kind::String;
                                v.text = constants_[pv.index];
                            }
                            break;
                    }
                    Push(v);
                }
                break;
            }
            case ActionCode::Pop:
                Pop();
                break;
            case ActionCode::Trace:
                TraceValue(Pop());
                break;
            default:
                break;  // not run by this engine
        }
    }
}

void Timeline::Push(const Value& v) {
    if (stack_.size() < kMaxStack) stack_.push_back(v);
}

Timeline::Value Timeline::Pop() {
    // An empty stack pops undefined.
    if (stack_.empty()) return Value{};
    const Value v = stack_.back();
    stack_.pop_back();
    return v;
}

bool Timeline::FindLabel(std::string_view label, std::size_t& frame) const {
    // From version 6 labels are UTF-8, whose multi-byte sequences hold no ASCII bytes; older
    // movies store them in the system's ANSI code page.
    const bool utf8 = movie_.header.version >= 6;
    for (std::size_t f = 0; f < movie_.frames.size(); ++f) {
        for (const ByteRange& r : movie_.frames[f].labels) {
            const std::string_view name = movie_.Text(r);
            if (utf8 ? EqualsAsciiNoCase(name, label) : base::EqualsNoCase(name, label)) {
                frame = f;
                return true;
            }
        }
    }
    return false;
}

void Timeline::GotoFrame2(bool play, std::uint16_t bias) {
    const Value v = Pop();
    std::size_t target = 0;
    bool found = false;
    double number = 0;
    bool isNumber = false;
    if (v.kind == Value::Kind::Number || v.kind == Value::Kind::Boolean) {
        number = v.number;
        isNumber = true;
    } else if (v.kind == Value::Kind::String) {
        // A text that is a whole number is a frame number; any other text is a label.
        long long n = 0;
        const char* end = v.text.data() + v.text.size();
        const auto [ptr, ec] = std::from_chars(v.text.data(), end, n);
        if (ec == std::errc() && ptr == end && !v.text.empty()) {
            number = static_cast<double>(n);
            isNumber = true;
        } else {
            found = FindLabel(v.text, target);
        }
    }
    if (isNumber && std::isfinite(number)) {
        // Frame numbers on the stack count from 1.
        const double zeroBased = std::floor(number) - 1 + bias;
        if (zeroBased < 0) return;
        const double last = static_cast<double>(TotalFrames() - 1);
        target = static_cast<std::size_t>(zeroBased > last ? last : zeroBased);
        found = true;
    }
    if (!found) return;
    playing_ = play;
    Enter(target);
}

void Timeline::TraceValue(const Value& v) {
    if (trace_ == nullptr) return;
    char buf[40];
    switch (v.kind) {
        case Value::Kind::Undefined:
            trace_->Trace("undefined");
            break;
        case Value::Kind::Null:
            trace_->Trace("null");
            break;
        case Value::Kind::Boolean:
            trace_->Trace(v.number != 0 ? "true" : "false");
            break;
        case Value::Kind::Number:
            trace_->Trace(NumberText(v.number, buf));
            break;
        case Value::Kind::String:
            trace_->Trace(v.text);
            break;
    }
}

}  // namespace flash
