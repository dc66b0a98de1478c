// The tooltip's show and hide cycle, without <windows.h>: a state machine fed with the mouse
// positions and button and key presses its owner relays, and with its own timer events. What
// it needs of the world (which tool lies under a point, the cursor, timers, the tip window)
// comes through TipHost, which the window implements with Win32 and the tests with a script.
#pragma once

#include <optional>

#include "tooltip/tip_model.h"

namespace tooltip {

// Timer ids on the tip window.
namespace tiptimer {
constexpr unsigned kInitial = 256;    // the initial delay is over: show
constexpr unsigned kAutopop = 257;    // the tip has been shown long enough: hide
constexpr unsigned kFadeIn = 258;     // one fade-in step
constexpr unsigned kFadeOut = 259;    // one fade-out step
constexpr unsigned kAnimation = 260;  // animated images advance
}  // namespace tiptimer

enum class DisplayState { Hidden = 0, Appearing = 1, Shown = 2, Disappearing = 3 };

// A tool with the window it belongs to.
struct ToolHit {
    WindowKey window = 0;
    TooltipTool tool;
    // Same window and equal rectangle: the same tool.
    bool SameTool(const ToolHit& other) const {
        return window == other.window && tool.rect == other.tool.rect;
    }
};

class TipHost {
public:
    virtual ~TipHost() = default;
    // The tool under a screen point; none when the point is over no registered tool.
    virtual std::optional<ToolHit> ToolAt(Point screen) = 0;
    // Whether the tip window is what lies under the point.
    virtual bool CursorOverTip(Point screen) = 0;
    virtual Point CursorPos() = 0;
    virtual void StartTimer(unsigned id, int ms) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // Builds the tip of the tool for a cursor at the point and shows it at the transparency.
    // The owner may rewrite the tool's text (and the point) first. False when there is nothing
    // to show (an empty text): the window then stays hidden.
    virtual bool ShowTip(ToolHit& tool, Point at, int transparency) = 0;
    virtual void RepaintTip(int transparency) = 0;
    virtual void HideTip() = 0;
    // Moves the shown tip so that its anchor points at the cursor.
    virtual void MoveTip(Point screen) = 0;
    // A click on the tip at a screen point (its hyperlinks).
    virtual void ClickTip(Point screen) = 0;
};

class TipMachine {
public:
    // Both must outlive the machine; the settings are read at every event.
    TipMachine(const TipSettings& settings, TipHost& host) : settings_(settings), host_(host) {}

    // The mouse at a screen point. A move to the last position seen does nothing.
    void MouseMove(Point screen);
    // A left button press: a click on the tip goes to its links; any press hides at once.
    void LeftButtonDown(Point screen);
    // Hides at once, with no fading, and forgets any show that was waiting for the hide.
    void HideNow();
    // A timer of the tip window (256 ... 259); others are not the machine's.
    void Timer(unsigned id);

    DisplayState State() const { return state_; }
    int Transparency() const { return transparency_; }
    bool Visible() const { return visible_; }
    // The tool whose tip is (or was last) shown, and the one a show request named.
    const std::optional<ToolHit>& Current() const { return current_; }
    const std::optional<ToolHit>& Pending() const { return pending_; }
    std::optional<Point> LastPosition() const { return last_; }

private:
    EffectiveTool Effective(const ToolHit& hit) const { return Resolve(hit.tool, settings_); }
    unsigned CurrentBehaviour() const {
        return current_ ? Effective(*current_).behaviour : settings_.defaultBehaviour;
    }
    void RequestShow(ToolHit tool, bool delayed);
    void StartHiding();
    void HidingStep();
    void ShowStep();
    void FadeInStep();
    void FadeOutStep();
    void StartAutopop();
    void ForgetCurrentIfReshowing();
    void StopInitialDelay();

    const TipSettings& settings_;
    TipHost& host_;
    DisplayState state_ = DisplayState::Hidden;
    bool visible_ = false;
    std::optional<Point> last_;
    std::optional<ToolHit> current_;
    std::optional<ToolHit> pending_;
    bool showArmed_ = false;  // the initial delay runs: a tick of timer 256 shows
    bool pendingShow_ = false;
    bool pendingShowDelayed_ = false;
    int transparency_ = 0;
};

}  // namespace tooltip
