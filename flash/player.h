// A loaded movie being played: the main timeline and every sprite instance on it, each with
// its own display list, frame and playing flag, and the frame actions, advanced by Tick at
// the movie's frame rate. No clock and no window: the control feeds it timer ticks, tests
// feed it exact intervals. The operations of the control (Play, Stop, Back, Forward, Rewind,
// GotoFrame, CurrentFrame, TotalFrames) act on the main timeline.
//
// One frame step, as Flash Player makes it:
// 1. Every playing clip moves to its next frame, the most recently made instance first and
//    the main timeline last. Entering a frame applies its placements and removals to the
//    clip's display list and queues its DoAction blocks; a sprite instance it makes enters
//    its own first frame there and then, so the instance's actions queue where its
//    PlaceObject stands among the frame's DoAction tags.
// 2. The queued blocks run in the order they were queued, after the init actions (DoInitAction)
//    met on the way, which run once per movie and before any frame action. A goto inside an
//    action moves its timeline at once; what the frame it lands on queues runs after the blocks
//    already queued, in the same step. A goto to the frame a timeline is on does nothing.
// The action stack is shared by every block of a step and starts empty at each step; the
// constant pool lasts until the next ConstantPool action.
//
// Display lists change a frame at a time: the player works out the list a frame's tags make
// and then brings the clip's list to it, keeping every instance that the same PlaceObject
// tag made (a kept sprite instance keeps its own frame and state, and takes the new matrix
// and other fields), dropping the others and making the new ones in tag order, interleaved
// with the frame's DoAction blocks. Going forward by more than one frame runs the control
// tags of the frames in between as one (their DoAction blocks are skipped; an instance placed
// and removed again in between is never made). Going backward - a goto back, Back, Rewind, a
// timeline looping to its start - works the list out from the timeline's start, as Flash
// Player does. Either way the cost is linear in the tags and the list, however the depths
// fall.
//
// The main timeline loops at its end while looping is on (the default); a one-frame movie
// never re-enters its frame, so its actions run once. Sprites loop as swf_movie.h says.
//
// Targets. SetTarget and SetTarget2 direct the timeline actions that follow (Play, Stop,
// the gotos) at another clip, found by a path from the clip whose block runs: slash paths
// ("/a/b", "../b"), dot paths ("_root.a"), "_root", "_level0", "_parent", instance names
// (letter case ignored before version 7), and "" for the clip itself. A path that leads
// nowhere directs them at the main timeline, as Flash Player does; a block whose own clip has
// been removed reaches no clip at all. SetTarget2's undefined is "" before version 7.
//
// Buttons. Every button placed on a display list is an instance (a Clip without frames) that
// shows the characters of its current state; the host tells the player where the mouse is
// and which button lies under it (Mouse), the player moves the buttons through their phases
// (button_mouse.h) and runs the actions each change names at once, in the clip that holds the
// button, as a step of their own. Timeline actions directed at a button do nothing.
//
// Bounds: a step that runs away (gotos chasing each other between frames) is cut off after
// kMaxActionsPerStep actions, kMaxWorkPerStep control tags and entries gone through, or
// kMaxActionGotosPerStep gotos that queue actions, as a player stops a script that hangs; the
// display tree holds at most kMaxEntries entries and kMaxNesting levels of sprite instances. What a
// bound refuses is left out, and Limited() tells.
#pragma once

#include <chrono>
#include <span>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "flash/button.h"
#include "flash/button_mouse.h"
#include "flash/display_list.h"
#include "flash/swf_movie.h"

namespace flash {

// Receives the text of each Trace action, exactly as the movie produced it.
class TraceSink {
public:
    virtual void Trace(std::string_view text) = 0;
    // Flash Player's own warnings, which its log lists among the traces ("Warning: Failed to
    // place object at depth 1."). Dropped unless a sink wants them.
    virtual void Warning(std::string_view text) { (void)text; }

protected:
    ~TraceSink() = default;
};

// What the sound needs to know of the timelines: the frames they enter and the clips that
// leave the stage.
class FrameSound {
public:
    // `clip` entered `frame`: the next one after the frame it was on when `stepped`, else by
    // a jump (its first frame, a goto, a loop back to its start). The frame's sound tags are
    // the listener's to run.
    virtual void FrameEntered(const Clip& clip, std::size_t frame, bool stepped) = 0;
    // `clip` left the stage; its address may later be another instance's.
    virtual void ClipRemoved(const Clip& clip) = 0;
    // A button made the transition `slot` names (ButtonSoundSlot) and has a DefineButtonSound,
    // whose body is `definition`: the listener plays the transition's sound, if it gives one.
    virtual void ButtonSound(std::span<const std::uint8_t> definition, int slot) {
        (void)definition;
        (void)slot;
    }

protected:
    ~FrameSound() = default;
};

class Player {
public:
    static constexpr std::size_t kMaxActionsPerStep = 100000;
    // Control tags run and display entries gone through in one step, gotos' catching up
    // included: a goto that would need more is not made.
    static constexpr std::size_t kMaxWorkPerStep = 1 << 20;
    // The same for one of the host's navigation commands, which may cross a whole movie once.
    static constexpr std::size_t kMaxNavigationWork = kMaxControlTags + (1 << 20);
    static constexpr std::size_t kMaxStack = 65536;
    static constexpr std::size_t kMaxQueuedBlocks = 1 << 16;
    // Gotos made by actions in one step whose landing frame's actions are queued; later ones
    // still move their timeline, but what they land on runs no actions.
    static constexpr std::size_t kMaxActionGotosPerStep = 64;
    // Entries in all display lists together (those of instances removed in the running step
    // count until it ends).
    static constexpr std::size_t kMaxEntries = 1 << 15;
    // Sprite instances inside sprite instances; a deeper one is not placed.
    static constexpr std::size_t kMaxNesting = 64;
    // Frames one Tick may advance; time beyond that is dropped, so a long stall of the host
    // does not make the movie race through frames afterwards.
    static constexpr int kMaxStepsPerTick = 120;
    // A frame rate of 0 is played at this rate (8.8 fixed point: 12 fps).
    static constexpr std::uint16_t kZeroRateFallback88 = 12 * 256;

    // The movie is playing on frame 0, whose actions run at the first StepFrame or Tick. The
    // player refers into its movie, so it stays where it is made.
    explicit Player(Movie movie, TraceSink* trace = nullptr);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    const Movie& GetMovie() const { return movie_; }
    std::size_t TotalFrames() const { return movie_.frames.size(); }
    std::size_t CurrentFrame() const { return root_.current_; }
    bool IsPlaying() const { return root_.playing_; }
    bool Looping() const { return loop_; }
    void SetLooping(bool loop) { loop_ = loop; }

    // One frame interval: the first one enters frame 0; later ones move every playing clip
    // to its next frame (the main timeline to frame 0 after its last while looping, else it
    // stops on the last).
    void StepFrame();
    // Advances by `elapsed` at the movie's frame rate; the first call enters frame 0 at once.
    void Tick(std::chrono::microseconds elapsed);

    void Play() { root_.playing_ = true; }
    void Stop() { root_.playing_ = false; }
    // The navigation commands leave the movie stopped on the new frame (the new frame's
    // actions may start it again). Back on the first and Forward on the last frame only stop.
    void Back();
    void Forward();
    void Rewind();
    // Frames past the last go to the last; negative frames go to frame 0.
    void GotoFrame(std::int64_t frame);

    // The mouse is over `hit` (a button instance of this player's display tree, null for none)
    // with its primary button `down`: the buttons change phase and their actions run.
    void Mouse(const Clip* hit, bool down);
    // The definition of a button character of this movie; null for other characters.
    const Button* ButtonOf(const Character& c) const {
        return c.kind == CharacterKind::Button && c.index < buttons_.size() ? &buttons_[c.index]
                                                                            : nullptr;
    }
    // The button the mouse is over, pressed or dragged off; null when every button is idle.
    const Clip* ActiveButton() const { return static_cast<const Clip*>(tracker_.Active()); }

    // The display tree to draw: the main timeline's entries in depth order, a sprite
    // instance's own entries through DisplayEntry::clip.
    const Clip& Root() const { return root_; }
    // Counts changes to any display list: equal values mean the same picture.
    std::uint64_t DisplayVersion() const { return displayVersion_; }
    // Tells `sound` (null: nobody) of every frame entered and clip removed from now on.
    void SetFrameSound(FrameSound* sound) { sound_ = sound; }

    // True once a bound refused something (see the note at the top).
    bool Limited() const { return limited_; }

private:
    struct Value {
        enum class Kind : std::uint8_t { Undefined, Null, Boolean, Number, String };
        Kind kind = Kind::Undefined;
        double number = 0;
        std::string_view text;  // into the movie's bytes
    };
    struct Queued {
        Clip* clip;
        ByteRange block;
    };

    void BeginRun(std::size_t work);
    void EndRun();
    void Advance(Clip& clip);
    void ActionGoto(Clip& clip, std::size_t frame);
    void Goto(Clip& clip, std::size_t frame, bool runActions = true);
    bool Afford(std::size_t work);
    void RunFrames(Clip& clip, std::size_t first, std::size_t last, bool onCurrentList, bool warn,
                   bool runActions);
    void ScratchPlace(const ControlTag& tag, bool warn);
    void ScratchRemove(std::uint16_t depth);
    void Commit(Clip& clip, const Frame* actions);
    bool Accept(const Clip& parent, const DisplayEntry& entry);
    void DropEntry(DisplayEntry& entry);
    void MakeInstance(Clip& parent, std::size_t index);
    void MakeButton(Clip& parent, std::size_t index);
    // Brings a button instance's entries to what its phase shows.
    void ShowButtonState(Clip& button);
    void Drop(Clip* clip);
    Clip* NewClip();
    void Queue(Clip& clip, ByteRange block);
    void QueueInit(Clip& clip, const ControlTag& tag);
    void RunQueued();
    void RunBlock(Clip& base, ByteRange block);
    Clip* ResolveTarget(Clip& base, std::string_view path);
    bool NamesMatch(std::string_view a, std::string_view b) const;
    bool FindLabel(const Clip& clip, std::string_view label, std::size_t& frame) const;
    void GotoFrame2(Clip* target, const Value& v, bool play, std::uint16_t bias);
    std::string_view ValueText(const Value& v, char (&buf)[40]) const;
    void Push(const Value& v);
    Value Pop();
    void TraceValue(const Value& v);

    Movie movie_;
    // The movie's buttons, read when the player is made; Character::index points here.
    std::vector<Button> buttons_;
    ButtonTracker tracker_;
    std::vector<ButtonTracker::Change> changes_;
    TraceSink* trace_;
    FrameSound* sound_ = nullptr;
    Clip root_;
    bool loop_ = true;
    bool limited_ = false;
    std::uint64_t displayVersion_ = 0;
    std::uint64_t timeCredit_ = 0;  // microseconds x frame rate (8.8) not yet spent on frames
    std::size_t actionsThisStep_ = 0;
    std::size_t workBudget_ = 0;
    std::size_t workThisStep_ = 0;
    std::size_t actionGotos_ = 0;
    std::size_t entries_ = 0;  // see kMaxEntries

    // Sprite instances: owned by the pool, reused from `free_`; `order_` holds the live ones
    // (and the root) oldest first; `dropped_` those removed in the running step.
    std::vector<std::unique_ptr<Clip>> pool_;
    std::vector<Clip*> free_;
    std::vector<Clip*> order_;
    std::vector<Clip*> dropped_;

    std::vector<Queued> queue_;
    std::vector<Queued> initQueue_;
    std::vector<bool> initDone_;
    // The list a frame's tags make, worked out before the clip's list is brought to it:
    // `slot_` finds an entry of `scratch_` by depth (index + 1; 0 for none).
    std::vector<DisplayEntry> scratch_;
    std::vector<std::uint32_t> slot_;
    std::vector<DisplayEntry> merged_;
    std::vector<std::uint32_t> fresh_;  // new entries to start, a segment per commit
    std::vector<Value> stack_;
    std::vector<std::string_view> constants_;
};

}  // namespace flash
