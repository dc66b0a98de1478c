#include "flash/player.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/ansi_text.h"
#include "flash/actions.h"
#include "flash/placement.h"

namespace flash {

namespace {

constexpr std::uint64_t kMicrosPerSecond = 1000000;

std::uint16_t U16(std::span<const std::uint8_t> p, std::size_t at) {
    return static_cast<std::uint16_t>(p[at] | p[at + 1] << 8);
}

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

// Control tags from the start of the timeline to the end of `frame`.
std::size_t TagsThrough(const std::vector<Frame>& frames, std::size_t frame) {
    return std::size_t{frames[frame].tagsBefore} + frames[frame].tags.size();
}

}  // namespace

Player::Player(Movie movie, TraceSink* trace) : movie_(std::move(movie)), trace_(trace) {
    if (movie_.frames.empty()) movie_.frames.emplace_back();
    root_.frames_ = &movie_.frames;
    for (Character& c : movie_.characters) {
        if (c.kind != CharacterKind::Button) continue;
        c.index = static_cast<std::uint32_t>(buttons_.size());
        // An unreadable button still has a definition: it shows nothing and runs nothing.
        Button b = ParseButton(c.tagCode, movie_.bytes, c.body).value_or(Button{});
        b.id = c.id;
        buttons_.push_back(std::move(b));
    }
    // A button's first DefineButtonSound is its own, and a DefineButton's first readable
    // DefineButtonCxform colours all its characters.
    const auto buttonOf = [this](const ByteRange& body) -> const Character* {
        const Character* c = movie_.FindCharacter(U16(movie_.Bytes(body), 0));
        return c != nullptr && c->kind == CharacterKind::Button ? c : nullptr;
    };
    for (const ByteRange& body : movie_.buttonSounds) {
        const Character* c = buttonOf(body);
        if (c != nullptr && buttons_[c->index].sounds.length == 0) buttons_[c->index].sounds = body;
    }
    std::vector<bool> coloured(buttons_.size(), false);
    for (const ByteRange& body : movie_.buttonColorTransforms) {
        const Character* c = buttonOf(body);
        if (c == nullptr || c->tagCode != kDefineButton || coloured[c->index]) continue;
        coloured[c->index] = ApplyButtonColorTransform(buttons_[c->index], movie_.Bytes(body));
    }
    initDone_.assign(movie_.initActionBlocks, false);
    // Sized once, so that playing allocates nothing afterwards in the usual case.
    order_.reserve(64);
    order_.push_back(&root_);
    root_.entries_.reserve(64);
    queue_.reserve(256);
    initQueue_.reserve(16);
    scratch_.reserve(64);
    merged_.reserve(64);
    fresh_.reserve(64);
    slot_.assign(65536, 0);
    stack_.reserve(256);
    constants_.reserve(64);
}

// --- Steps and navigation -------------------------------------------------------------------

void Player::BeginRun(std::size_t work) {
    actionsThisStep_ = 0;
    workBudget_ = work;
    workThisStep_ = 0;
    actionGotos_ = 0;
    stack_.clear();
}

void Player::EndRun() {
    RunQueued();
    // Instances removed in this step may still have been referred to by a running block or
    // the queue: they go back to the pool only now.
    for (Clip* clip : dropped_) {
        entries_ -= clip->entries_.size();
        clip->entries_.clear();
        free_.push_back(clip);
    }
    dropped_.clear();
    order_.erase(
        std::remove_if(order_.begin(), order_.end(), [](const Clip* c) { return c->removed_; }),
        order_.end());
}

void Player::StepFrame() {
    BeginRun(kMaxWorkPerStep);
    if (!root_.entered_) {
        Goto(root_, 0);
    } else {
        // Newest first; instances made during the walk sit beyond its start and wait for the
        // next step.
        for (std::size_t i = order_.size(); i-- > 0;) {
            Clip* clip = order_[i];
            if (!clip->removed_) Advance(*clip);
        }
    }
    EndRun();
}

void Player::Tick(std::chrono::microseconds elapsed) {
    if (!root_.entered_) StepFrame();
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

void Player::Back() {
    root_.playing_ = false;
    BeginRun(kMaxNavigationWork);
    if (root_.current_ > 0) Goto(root_, root_.current_ - 1);
    EndRun();
}

void Player::Forward() {
    root_.playing_ = false;
    BeginRun(kMaxNavigationWork);
    if (root_.current_ + 1 < TotalFrames()) Goto(root_, root_.current_ + 1);
    EndRun();
}

void Player::Rewind() {
    GotoFrame(0);
}

void Player::GotoFrame(std::int64_t frame) {
    root_.playing_ = false;
    BeginRun(kMaxNavigationWork);
    const std::int64_t last = static_cast<std::int64_t>(TotalFrames()) - 1;
    Goto(root_, static_cast<std::size_t>(frame < 0 ? 0 : (frame > last ? last : frame)));
    EndRun();
}

void Player::Advance(Clip& clip) {
    if (!clip.playing_) return;
    const std::size_t frames = clip.frames_->size();
    if (clip.current_ + 1 < frames) {
        Goto(clip, clip.current_ + 1);
    } else if (&clip == &root_) {
        if (frames > 1) {
            if (loop_) {
                Goto(clip, 0);
            } else {
                clip.playing_ = false;
            }
        }
    } else if (clip.sprite_->Loops()) {
        Goto(clip, 0);
    }
}

bool Player::Afford(std::size_t work) {
    if (work > workBudget_ - workThisStep_) {
        limited_ = true;
        return false;
    }
    workThisStep_ += work;
    return true;
}

void Player::ActionGoto(Clip& clip, std::size_t frame) {
    frame = std::min(frame, clip.frames_->size() - 1);
    if (clip.entered_ && frame == clip.current_) return;
    const bool queue = actionGotos_ < kMaxActionGotosPerStep;
    if (queue) {
        ++actionGotos_;
    } else {
        limited_ = true;
    }
    Goto(clip, frame, queue);
}

void Player::Goto(Clip& clip, std::size_t frame, bool runActions) {
    const std::vector<Frame>& frames = *clip.frames_;
    if (frame >= frames.size()) frame = frames.size() - 1;
    // Forward runs the frames after the current one on the current list; entering and going
    // back run the timeline from its start on an empty one.
    const bool forward = clip.entered_ && frame > clip.current_;
    if (clip.entered_ && frame == clip.current_) return;
    const std::size_t first = forward ? clip.current_ + 1 : 0;
    const std::size_t tags = TagsThrough(frames, frame) - frames[first].tagsBefore;
    if (!Afford(tags + clip.entries_.size())) return;
    const bool warn = forward || !clip.entered_;
    const bool stepped = clip.entered_ && frame == clip.current_ + 1;
    clip.entered_ = true;
    clip.current_ = frame;
    RunFrames(clip, first, frame, forward, warn, runActions);
    if (sound_ != nullptr) sound_->FrameEntered(clip, frame, stepped);
}

void Player::RunFrames(Clip& clip, std::size_t first, std::size_t last, bool onCurrentList,
                       bool warn, bool runActions) {
    const std::vector<Frame>& frames = *clip.frames_;
    bool listWork = !onCurrentList && !clip.entries_.empty();
    for (std::size_t f = first; f <= last && !listWork; ++f) listWork = frames[f].placements;
    if (listWork) {
        scratch_.clear();
        if (onCurrentList) {
            for (const DisplayEntry& e : clip.entries_) {
                scratch_.push_back(e);
                slot_[e.depth] = static_cast<std::uint32_t>(scratch_.size());
            }
        }
    }
    for (std::size_t f = first; f <= last; ++f) {
        for (const ControlTag& tag : frames[f].tags) {
            switch (tag.code) {
                case tags::kPlaceObject:
                case tags::kPlaceObject2:
                case tags::kPlaceObject3:
                    ScratchPlace(tag, warn);
                    break;
                case tags::kRemoveObject:  // character id, then depth
                case tags::kRemoveObject2: {
                    const std::span<const std::uint8_t> body = movie_.Bytes(tag.body);
                    const std::size_t at = tag.code == tags::kRemoveObject ? 2 : 0;
                    if (body.size() >= at + 2) ScratchRemove(U16(body, at));
                    break;
                }
                case tags::kDoInitAction:
                    QueueInit(clip, tag);
                    break;
                default:
                    break;
            }
        }
    }
    const Frame* actions = runActions ? &frames[last] : nullptr;
    if (listWork) {
        Commit(clip, actions);
    } else if (actions != nullptr) {
        for (const ControlTag& tag : actions->tags) {
            if (tag.code == tags::kDoAction) Queue(clip, tag.body);
        }
    }
}

void Player::ScratchPlace(const ControlTag& tag, bool warn) {
    Placement p;
    if (!ParsePlaceObject(tag.code, movie_.bytes, tag.body, movie_.header.version, p)) return;
    const std::uint32_t slot = slot_[p.depth];
    DisplayEntry* at = slot != 0 ? &scratch_[slot - 1] : nullptr;
    DisplayEntry added;
    switch (ApplyPlacement(at, p, tag.body.offset, movie_, added)) {
        case PlaceOutcome::Added:
            scratch_.push_back(added);
            slot_[p.depth] = static_cast<std::uint32_t>(scratch_.size());
            break;
        case PlaceOutcome::Occupied:
            if (warn && trace_ != nullptr) {
                char text[64];
                const int n =
                    std::snprintf(text, sizeof text, "Warning: Failed to place object at depth %u.",
                                  unsigned{p.depth});
                trace_->Warning({text, static_cast<std::size_t>(n)});
            }
            break;
        default:
            break;
    }
}

void Player::ScratchRemove(std::uint16_t depth) {
    const std::uint32_t slot = slot_[depth];
    if (slot == 0) return;
    scratch_[slot - 1].character = nullptr;  // gone; dropped when the list is committed
    slot_[depth] = 0;
}

void Player::Commit(Clip& clip, const Frame* actions) {
    for (const DisplayEntry& e : scratch_) slot_[e.depth] = 0;
    std::erase_if(scratch_, [](const DisplayEntry& e) { return e.character == nullptr; });
    std::sort(scratch_.begin(), scratch_.end(),
              [](const DisplayEntry& a, const DisplayEntry& b) { return a.depth < b.depth; });
    // One pass over both lists, in depth order: keep what the same tag made (with the new
    // fields), drop the rest, take in the new.
    std::vector<DisplayEntry>& live = clip.entries_;
    const std::size_t freshBase = fresh_.size();
    merged_.clear();
    std::size_t i = 0;
    for (DisplayEntry& s : scratch_) {
        while (i < live.size() && live[i].depth < s.depth) DropEntry(live[i++]);
        if (i < live.size() && live[i].depth == s.depth) {
            DisplayEntry& e = live[i++];
            if (e.placedBy == s.placedBy && e.characterId == s.characterId) {
                if (CopyPlacementFields(s, e)) ++displayVersion_;
                merged_.push_back(e);
                continue;
            }
            DropEntry(e);
        }
        if (!Accept(clip, s)) continue;
        s.clip = nullptr;
        fresh_.push_back(static_cast<std::uint32_t>(merged_.size()));
        merged_.push_back(s);
        ++entries_;
        ++displayVersion_;
    }
    while (i < live.size()) DropEntry(live[i++]);
    live.assign(merged_.begin(), merged_.end());
    merged_.clear();
    scratch_.clear();

    // New sprite instances start in tag order, the frame's actions among them, so that each
    // one's first-frame actions queue where its PlaceObject stood. A new instance commits its
    // own first frame on top of this one's entries in `fresh_`.
    std::sort(
        fresh_.begin() + static_cast<std::ptrdiff_t>(freshBase), fresh_.end(),
        [&live](std::uint32_t a, std::uint32_t b) { return live[a].placedBy < live[b].placedBy; });
    std::size_t next = freshBase;
    auto startUpTo = [&](std::uint32_t offset) {
        for (; next < fresh_.size() && live[fresh_[next]].placedBy < offset; ++next) {
            const CharacterKind kind = live[fresh_[next]].character->kind;
            if (kind == CharacterKind::Sprite) MakeInstance(clip, fresh_[next]);
            if (kind == CharacterKind::Button) MakeButton(clip, fresh_[next]);
        }
    };
    if (actions != nullptr) {
        for (const ControlTag& tag : actions->tags) {
            if (tag.code != tags::kDoAction) continue;
            startUpTo(tag.body.offset);
            Queue(clip, tag.body);
        }
    }
    startUpTo(UINT32_MAX);
    fresh_.resize(freshBase);
}

bool Player::Accept(const Clip& parent, const DisplayEntry& entry) {
    bool ok = entries_ < kMaxEntries;
    if (ok && entry.character->kind == CharacterKind::Sprite) {
        // The instance's first frame is paid for now, before anything starts.
        const Sprite& sprite = movie_.sprites[entry.character->index];
        ok = parent.nesting_ + 1 < kMaxNesting && Afford(sprite.frames[0].tags.size() + 1);
    } else if (ok && entry.character->kind == CharacterKind::Button) {
        // So is a button's state; buttons that show buttons (themselves, even) nest like
        // sprites and share the step's budget.
        const Button& button = buttons_[entry.character->index];
        ok = parent.nesting_ + 1 < kMaxNesting && Afford(button.records.size() + 1);
    }
    if (!ok) limited_ = true;
    return ok;
}

void Player::DropEntry(DisplayEntry& entry) {
    --entries_;
    ++displayVersion_;
    if (entry.clip != nullptr) Drop(entry.clip);
}

void Player::MakeInstance(Clip& parent, std::size_t index) {
    const Sprite& sprite = movie_.sprites[parent.entries_[index].character->index];
    Clip* child = NewClip();
    child->frames_ = &sprite.frames;
    child->sprite_ = &sprite;
    child->parent_ = &parent;
    child->nesting_ = parent.nesting_ + 1;
    child->entered_ = true;
    parent.entries_[index].clip = child;
    order_.push_back(child);
    // The new instance shows its first frame at once; its actions join the queue.
    RunFrames(*child, 0, 0, false, true, true);
    if (sound_ != nullptr) sound_->FrameEntered(*child, 0, false);
}

void Player::MakeButton(Clip& parent, std::size_t index) {
    Clip* button = NewClip();
    button->button_ = &buttons_[parent.entries_[index].character->index];
    button->parent_ = &parent;
    button->nesting_ = parent.nesting_ + 1;
    button->entered_ = true;
    button->playing_ = false;
    parent.entries_[index].clip = button;
    ShowButtonState(*button);
}

void Player::ShowButtonState(Clip& button) {
    // Records shown in both the old and the new state keep their entries (a sprite goes on
    // playing); the others are dropped and made. An entry's placedBy is its record's index.
    const std::uint8_t shown = ShownStates(button.phase_);
    const std::vector<ButtonRecord>& records = button.button_->records;
    std::vector<DisplayEntry> old;
    old.swap(button.entries_);
    std::vector<std::size_t> fresh;
    std::size_t i = 0;
    for (std::uint32_t k = 0; k < records.size(); ++k) {
        const ButtonRecord& r = records[k];
        if (!(r.states & shown)) continue;
        while (i < old.size() && old[i].placedBy < k) DropEntry(old[i++]);
        if (i < old.size() && old[i].placedBy == k) {
            button.entries_.push_back(old[i++]);
            continue;
        }
        DisplayEntry e;
        e.character = movie_.FindCharacter(r.characterId);
        if (e.character == nullptr) continue;
        e.depth = r.depth;
        e.characterId = r.characterId;
        e.matrix = r.matrix;
        e.colorTransform = r.colorTransform;
        e.filters = r.filters;
        e.blendMode = r.blendMode;
        e.placedBy = k;
        if (!Accept(button, e)) continue;
        ++entries_;
        ++displayVersion_;
        fresh.push_back(button.entries_.size());
        button.entries_.push_back(e);
    }
    while (i < old.size()) DropEntry(old[i++]);
    for (const std::size_t index : fresh) {
        const CharacterKind kind = button.entries_[index].character->kind;
        if (kind == CharacterKind::Sprite) MakeInstance(button, index);
        if (kind == CharacterKind::Button) MakeButton(button, index);
    }
}

void Player::Mouse(const Clip* hit, bool down) {
    // Only a live button of this player's tree counts as one.
    if (hit != nullptr && (hit->button_ == nullptr || hit->removed_)) hit = nullptr;
    changes_.clear();
    tracker_.Update(hit, hit != nullptr && hit->button_->trackAsMenu, down, changes_);
    if (changes_.empty()) return;
    BeginRun(kMaxWorkPerStep);
    for (const ButtonTracker::Change& change : changes_) {
        // The tracker's keys are the clips this player handed out.
        Clip& button = *const_cast<Clip*>(static_cast<const Clip*>(change.button));
        if (button.removed_) continue;
        button.phase_ = change.to;
        ShowButtonState(button);
        const int slot = ButtonSoundSlot(change.from, change.to);
        if (sound_ != nullptr && slot >= 0 && button.button_->sounds.length != 0)
            sound_->ButtonSound(movie_.Bytes(button.button_->sounds), slot);
        const std::uint16_t condition = ConditionOf(change.from, change.to);
        for (const ButtonAction& a : button.button_->actions) {
            if (a.conditions & condition) Queue(*button.parent_, a.actions);
        }
    }
    EndRun();
}

Clip* Player::NewClip() {
    Clip* clip = nullptr;
    if (!free_.empty()) {
        clip = free_.back();
        free_.pop_back();
    } else {
        pool_.push_back(std::make_unique<Clip>());
        clip = pool_.back().get();
    }
    // Reset everything but the entries' storage, which is kept for reuse.
    clip->frames_ = nullptr;
    clip->sprite_ = nullptr;
    clip->button_ = nullptr;
    clip->phase_ = ButtonPhase::Idle;
    clip->parent_ = nullptr;
    clip->current_ = 0;
    clip->nesting_ = 0;
    clip->playing_ = true;
    clip->entered_ = false;
    clip->removed_ = false;
    return clip;
}

void Player::Drop(Clip* clip) {
    if (clip->button_ != nullptr) tracker_.Forget(clip);
    if (sound_ != nullptr && clip->button_ == nullptr) sound_->ClipRemoved(*clip);
    clip->removed_ = true;
    dropped_.push_back(clip);
    for (const DisplayEntry& e : clip->entries_) {
        if (e.clip != nullptr) Drop(e.clip);
    }
}

// --- Actions --------------------------------------------------------------------------------

void Player::Queue(Clip& clip, ByteRange block) {
    if (queue_.size() >= kMaxQueuedBlocks) {
        limited_ = true;
        return;
    }
    queue_.push_back({&clip, block});
}

void Player::QueueInit(Clip& clip, const ControlTag& tag) {
    if (tag.initIndex >= initDone_.size() || initDone_[tag.initIndex]) return;
    initDone_[tag.initIndex] = true;
    initQueue_.push_back({&clip, tag.body});
}

void Player::RunQueued() {
    // Blocks queued while running are appended and run in turn; init actions queued on the
    // way go before the next frame action. Indexes, because running may append.
    std::size_t next = 0;
    std::size_t nextInit = 0;
    for (;;) {
        Queued q{};
        if (nextInit < initQueue_.size()) {
            q = initQueue_[nextInit++];
        } else if (next < queue_.size()) {
            q = queue_[next++];
        } else {
            break;
        }
        // A removed instance's frame actions do not run.
        if (!q.clip->removed_ && actionsThisStep_ < kMaxActionsPerStep) RunBlock(*q.clip, q.block);
    }
    queue_.clear();
    initQueue_.clear();
}

void Player::RunBlock(Clip& base, ByteRange block) {
    Clip* target = &base;
    // The clip the timeline actions act on: none when the target was removed, or is a button,
    // which has no timeline.
    auto live = [&target]() -> Clip* {
        return target != nullptr && !target->removed_ && target->button_ == nullptr ? target
                                                                                    : nullptr;
    };
    ActionReader reader(movie_.Bytes(block));
    ActionRecord a;
    while (reader.Next(a)) {
        if (++actionsThisStep_ > kMaxActionsPerStep) return;
        Clip* t = live();
        switch (static_cast<ActionCode>(a.code)) {
            case ActionCode::Play:
                if (t != nullptr) t->playing_ = true;
                break;
            case ActionCode::Stop:
                if (t != nullptr) t->playing_ = false;
                break;
            case ActionCode::NextFrame:
                if (t != nullptr) {
                    t->playing_ = false;
                    if (t->current_ + 1 < t->TotalFrames()) ActionGoto(*t, t->current_ + 1);
                }
                break;
            case ActionCode::PreviousFrame:
                if (t != nullptr) {
                    t->playing_ = false;
                    if (t->current_ > 0) ActionGoto(*t, t->current_ - 1);
                }
                break;
            case ActionCode::GotoFrame:
                if (a.data.size() >= 2 && t != nullptr) {
                    // The action itself stops; "gotoAndPlay" is this followed by Play.
                    t->playing_ = false;
                    ActionGoto(*t, U16(a.data, 0));
                }
                break;
            case ActionCode::GotoLabel: {
                std::size_t frame = 0;
                if (t != nullptr && FindLabel(*t, CString(a.data), frame)) {
                    t->playing_ = false;
                    ActionGoto(*t, frame);
                }
                break;
            }
            case ActionCode::GotoFrame2:
                if (!a.data.empty()) {
                    const bool biased = (a.data[0] & 2) != 0 && a.data.size() >= 3;
                    GotoFrame2(t, Pop(), (a.data[0] & 1) != 0, biased ? U16(a.data, 1) : 0);
                }
                break;
            case ActionCode::SetTarget:
                target = ResolveTarget(base, CString(a.data));
                break;
            case ActionCode::SetTarget2: {
                char buf[40];
                target = ResolveTarget(base, ValueText(Pop(), buf));
                break;
            }
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

Clip* Player::ResolveTarget(Clip& base, std::string_view path) {
    // A removed clip is off the tree: no path leads anywhere from it.
    if (base.removed_) return nullptr;
    if (path.empty()) return &base;
    Clip* at = &base;
    std::size_t i = 0;
    if (path[0] == '/') {
        at = &root_;
        i = 1;
    }
    while (i < path.size() && at != nullptr) {
        std::size_t end = 0;
        std::string_view part;
        if (path.compare(i, 2, "..") == 0 && (i + 2 == path.size() || path[i + 2] == '/')) {
            // "../" of the slash syntax.
            part = "_parent";
            end = i + 2;
        } else {
            end = std::min(path.find_first_of("/.", i), path.size());
            part = path.substr(i, end - i);
        }
        i = end + 1;
        if (part.empty() || EqualsAsciiNoCase(part, "this")) continue;
        if (EqualsAsciiNoCase(part, "_root") || EqualsAsciiNoCase(part, "_level0")) {
            at = &root_;
        } else if (EqualsAsciiNoCase(part, "_parent")) {
            at = at->parent_;
        } else {
            Clip* child = nullptr;
            for (const DisplayEntry& e : at->entries_) {
                if (e.clip != nullptr && NamesMatch(movie_.Text(e.name), part)) {
                    child = e.clip;
                    break;
                }
            }
            at = child;
        }
    }
    // A path that leads nowhere directs the actions at the main timeline.
    return at != nullptr ? at : &root_;
}

bool Player::NamesMatch(std::string_view a, std::string_view b) const {
    // Names are case-sensitive from version 7. Version 6 texts are UTF-8, whose multi-byte
    // sequences hold no ASCII bytes; older movies store them in the system's ANSI code page.
    const std::uint8_t version = movie_.header.version;
    if (version >= 7) return a == b;
    return version == 6 ? EqualsAsciiNoCase(a, b) : base::EqualsNoCase(a, b);
}

bool Player::FindLabel(const Clip& clip, std::string_view label, std::size_t& frame) const {
    // Labels ignore letter case in every version.
    const bool utf8 = movie_.header.version >= 6;
    const std::vector<Frame>& frames = *clip.frames_;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        for (const ByteRange& r : frames[f].labels) {
            const std::string_view name = movie_.Text(r);
            if (utf8 ? EqualsAsciiNoCase(name, label) : base::EqualsNoCase(name, label)) {
                frame = f;
                return true;
            }
        }
    }
    return false;
}

void Player::GotoFrame2(Clip* target, const Value& v, bool play, std::uint16_t bias) {
    if (target == nullptr) return;
    std::size_t frame = 0;
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
            found = FindLabel(*target, v.text, frame);
        }
    }
    if (isNumber && std::isfinite(number)) {
        // Frame numbers on the stack count from 1.
        const double zeroBased = std::floor(number) - 1 + bias;
        if (zeroBased < 0) return;
        const double last = static_cast<double>(target->TotalFrames() - 1);
        frame = static_cast<std::size_t>(zeroBased > last ? last : zeroBased);
        found = true;
    }
    if (!found) return;
    target->playing_ = play;
    ActionGoto(*target, frame);
}

std::string_view Player::ValueText(const Value& v, char (&buf)[40]) const {
    const bool modern = movie_.header.version >= 7;
    switch (v.kind) {
        case Value::Kind::Undefined:
            return modern ? "undefined" : "";
        case Value::Kind::Null:
            return modern ? "null" : "";
        case Value::Kind::Boolean:
            return v.number != 0 ? "true" : "false";
        case Value::Kind::Number:
            return NumberText(v.number, buf);
        case Value::Kind::String:
            return v.text;
    }
    return {};
}

void Player::Push(const Value& v) {
    if (stack_.size() < kMaxStack) stack_.push_back(v);
}

Player::Value Player::Pop() {
    // An empty stack pops undefined.
    if (stack_.empty()) return Value{};
    const Value v = stack_.back();
    stack_.pop_back();
    return v;
}

void Player::TraceValue(const Value& v) {
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
