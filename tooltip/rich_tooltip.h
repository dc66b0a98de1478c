// CRichToolTip: a pop-up window that shows a mark-up help text beside the cursor when it rests
// over a registered control. It is not the system's tooltip control: it keeps its own tools,
// runs its own show and hide cycle on window timers (tip_machine.h), places itself on the
// cursor's screen (tip_geometry.h), and draws an optional balloon outline with an anchor, a
// soft shadow and fading over what lies beneath it. This file is the thin Win32 edge over
// those pure parts.
//
// The owner creates it with CreateTipWindow, registers tools, and relays every message it
// pre-translates with ForwardMessage (mouse moves and presses drive the cycle).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tooltip/markup_drawer.h"
#include "tooltip/tip_geometry.h"
#include "tooltip/tip_machine.h"
#include "win/unique_handle.h"

namespace tooltip {

// Sent to the notify window as WM_NOTIFY just before a tip is built; lParam points to a
// TooltipDisplayInfo. The receiver may rewrite the tool's text and the point for this showing.
constexpr UINT kDisplayNotification = WM_USER + 100;
// Sent to the tip window (by the mark-up drawer when the hot hyperlink changes): repaint now.
constexpr UINT kRepaintMessage = WM_USER + 101;

struct TooltipDisplayInfo {
    NMHDR hdr;
    HWND toolWindow;
    POINT* point;       // where the tip will point, screen coordinates
    TooltipTool* tool;  // the tool about to be shown
};

// The kinds of SetDelay.
namespace delay {
constexpr int kAutopop = 2;
constexpr int kInitial = 3;
constexpr int kFadeIn = 4;
constexpr int kFadeOut = 5;
constexpr int kAnimation = 6;
}  // namespace delay

class CRichToolTip final : private TipHost {
public:
    // Registers the window class "CRichToolTip" once per process. Should that fail, the
    // object still exists and CreateTipWindow fails: a program goes on without its tips.
    CRichToolTip();
    ~CRichToolTip() override;
    CRichToolTip(const CRichToolTip&) = delete;
    CRichToolTip& operator=(const CRichToolTip&) = delete;

    // Creates the hidden, top-most tip window owned by parent, with the balloon's or the
    // plain tip's corners, margins and anchor. False when the window could not be made.
    bool CreateTipWindow(HWND parent, bool balloon);
    void DestroyTipWindow();
    HWND Window() const { return window_; }

    // kind: delay::kAutopop, kInitial, kFadeIn, kFadeOut (ms), kAnimation (the animation
    // timer's period, 0 stops it). Other kinds are ignored.
    void SetDelay(int kind, int ms);
    // The display notification goes to the parent (true) or nowhere (false).
    void SetNotifyParent(bool notify);
    void SetDefaultBehaviour(unsigned flags) { settings_.defaultBehaviour = flags; }
    void SetDefaultDirection(int d) { settings_.defaultDirection = d; }
    // Every other setting; changes apply from the next showing.
    TipSettings& Settings() { return settings_; }
    const TipSettings& Settings() const { return settings_; }
    MarkupDrawer& Drawer() { return drawer_; }
    // The brush that frames the outline (owned from here on; null for no frame).
    void SetBorder(HBRUSH brush, int width, int height);

    // A tool for window (its whole client area when rect is null). The text may be empty when
    // the notify window supplies it; the second form loads it from the application's string
    // table (an identifier without a string gives an empty text).
    void RegisterTool(HWND window, std::string_view text, const RECT* rect = nullptr, int id = 0);
    void RegisterTool(HWND window, UINT textId, const RECT* rect = nullptr, int id = 0);
    const ToolTable& Tools() const { return tools_; }

    // Every message the owner pre-translates, before it handles it itself.
    void ForwardMessage(const MSG& message);
    // Hides at once, without fading.
    void HideNow();

    // What the tooltip is doing, for its owner and the tests.
    DisplayState State() const { return machine_.State(); }
    int Transparency() const { return machine_.Transparency(); }
    bool TipVisible() const { return window_ && IsWindowVisible(window_); }
    const std::optional<ToolHit>& CurrentTool() const { return machine_.Current(); }
    // The last showing's placement, and the point it was placed at.
    const TipLayout& Layout() const { return layout_; }
    POINT PlacedAt() const { return placedAt_; }

private:
    // TipHost: the machine's view of the window.
    std::optional<ToolHit> ToolAt(Point screen) override;
    bool CursorOverTip(Point screen) override;
    Point CursorPos() override;
    void StartTimer(unsigned id, int ms) override;
    void StopTimer(unsigned id) override;
    bool ShowTip(ToolHit& tool, Point at, int transparency) override;
    void RepaintTip(int transparency) override;
    void HideTip() override;
    void MoveTip(Point screen) override;
    void ClickTip(Point screen) override;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Builds the background, outline, mask and capture of a showing; false when it cannot.
    bool BuildPictures(const EffectiveTool& tool, POINT origin);
    void Paint(HDC dc);
    void FreePictures();

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    HWND notify_ = nullptr;
    int animationPeriod_ = 100;
    TipSettings settings_;
    ToolTable tools_;
    MarkupDrawer drawer_;
    TipMachine machine_{settings_, *this};
    win::UniqueHbrush border_;

    // The current showing.
    TipLayout layout_;
    POINT placedAt_{};
    int transparency_ = 0;
    win::UniqueHrgn region_;         // the outline, window coordinates
    win::UniqueHbitmap background_;  // effect fill and anchor band, window size
    std::vector<char> inside_;       // per pixel of the window size: within the outline
    Picture under_;                  // the screen beneath the tip and its shadow
};

}  // namespace tooltip
