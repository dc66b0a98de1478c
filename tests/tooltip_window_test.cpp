// The tooltip window for real under Wine: a host window with controls, the cursor put on them
// with SetCursorPos, the owner's relayed mouse messages, and the tip's own timers sent to it
// as WM_TIMER (no test waits for a delay). What the user sees is read back from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/screen_shot.h"
#include "tooltip/markup_seeds.h"
#include "tooltip/rich_tooltip.h"

namespace {

using namespace tooltip;

constexpr COLORREF kHostColour = RGB(40, 110, 60);  // dark, so that a shadow shows on it

// A top-level window with a button, a disabled button and a drop-down combo box; it answers
// the tooltip's display notification through a function the test sets.
class Host {
public:
    Host() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Host::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(kHostColour);
        wc.lpszClassName = "TipTestHost";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "TipTestHost", "", WS_POPUP | WS_VISIBLE, 200, 200, 500, 300,
                                 nullptr, nullptr, nullptr, nullptr);
        button = Child("BUTTON", "A", WS_CHILD | WS_VISIBLE, 20, 150);
        disabled = Child("BUTTON", "B", WS_CHILD | WS_VISIBLE | WS_DISABLED, 140, 150);
        combo = Child("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 260, 150);
        UpdateWindow(window);
    }
    ~Host() { DestroyWindow(window); }
    HWND Child(const char* cls, const char* text, DWORD style, int x, int y) {
        return CreateWindowExA(0, cls, text, style, x, y, 100, 30, window, nullptr, nullptr,
                               nullptr);
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_NOTIFY && onNotify) {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (header->code == kDisplayNotification) {
                onNotify(*reinterpret_cast<TooltipDisplayInfo*>(lp));
                return 0;
            }
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    static inline std::function<void(TooltipDisplayInfo&)> onNotify;

    HWND window, button, disabled, combo;
};

class TipWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host = new Host; }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    void SetUp() override {
        Host::onNotify = nullptr;
        ASSERT_TRUE(tip.CreateTipWindow(host->window, true));
        tip.SetDelay(delay::kInitial, 1000);
        tip.SetDelay(delay::kAutopop, 30000);
    }

    // The centre of a control, on the screen.
    static POINT CentreOf(HWND control, int dx = 0) {
        RECT r{};
        GetWindowRect(control, &r);
        return {(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
    }
    // The user moves the mouse to p over the window: the cursor goes there and the owner
    // relays the window's mouse move.
    void MoveTo(POINT p, HWND over) {
        SetCursorPos(p.x, p.y);
        POINT client = p;
        ScreenToClient(over, &client);
        Relay(over, WM_MOUSEMOVE, MAKELPARAM(client.x, client.y));
    }
    void Relay(HWND window, UINT message, LPARAM lParam = 0, WPARAM wParam = 0) {
        MSG m{};
        m.hwnd = window;
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
        tip.ForwardMessage(m);
    }
    void Tick(unsigned id) { SendMessageA(tip.Window(), WM_TIMER, id, 0); }
    // Lets the windows catch up with the display (a tip that went away uncovers what lies
    // beneath it only once its owner has handled the exposure), as the message loop would.
    static void Pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    // Rests at p over the window until the initial delay is over.
    void Rest(POINT p, HWND over) {
        MoveTo(p, over);
        Pump();
        Tick(tiptimer::kInitial);
    }
    RECT TipRect() const {
        RECT r{};
        GetWindowRect(tip.Window(), &r);
        return r;
    }
    // A point of the body that neither text nor frame covers: in the margin below the text,
    // half-way across.
    POINT BodyPoint() const {
        const RECT r = TipRect();
        const TipLayout& t = tip.Layout();
        return {r.left + (t.withMargins.left + t.withMargins.right) / 2,
                r.top + t.content.bottom + 3};
    }

    static inline Host* host = nullptr;
    CRichToolTip tip;
};

TEST_F(TipWindow, ARestOverAControlShowsTheBalloonAboveTheCursorPointingAtIt) {
    // The viewer's longest help text: two line breaks, a bold run, Chinese and Latin.
    for (const ViewerTip& t : ViewerTooltipTexts())
        if (t.stringId == 158) tip.RegisterTool(host->button, t.text);
    const POINT p = CentreOf(host->button);
    Pump();
    const tooltip::Picture before = screenshot::Grab({p.x - 40, p.y - 150, p.x + 360, p.y + 40});
    MoveTo(p, host->button);
    EXPECT_FALSE(tip.TipVisible());
    Tick(tiptimer::kInitial);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.State(), DisplayState::Shown);

    // Above the cursor, the anchor at the bottom-left corner on the cursor.
    const TipLayout& t = tip.Layout();
    EXPECT_EQ(t.direction, direction::kBottomLeft);
    const RECT r = TipRect();
    EXPECT_EQ(r.left, p.x - 16);
    EXPECT_EQ(r.top + t.window.cy, p.y);
    EXPECT_EQ(r.right - r.left, t.window.cx + 6);  // and the shadow
    EXPECT_EQ(r.bottom - r.top, t.window.cy + 6);

    Pump();
    const tooltip::Picture after = screenshot::Grab({p.x - 40, p.y - 150, p.x + 360, p.y + 40});
    screenshot::SavePng(after, "tooltip-window-balloon.png", 2);
    const int ox = p.x - 40, oy = p.y - 150;
    // The body in the tooltip colour, the anchor's tip just above the cursor.
    const POINT body = BodyPoint();
    EXPECT_EQ(screenshot::At(after, body.x - ox, body.y - oy), GetSysColor(COLOR_INFOBK));
    EXPECT_NE(screenshot::At(after, p.x + 1 - ox, p.y - 3 - oy), kHostColour);
    // Below and right of the body the host is darkened by the shadow; beyond it, untouched.
    const int sx = r.left + t.window.cx + 2 - ox, sy = r.top + t.window.cy / 2 - oy;
    EXPECT_LT(GetGValue(screenshot::At(after, sx, sy)), GetGValue(screenshot::At(before, sx, sy)));
    EXPECT_EQ(screenshot::At(after, sx + 10, sy), screenshot::At(before, sx + 10, sy));

    Tick(tiptimer::kAutopop);  // 30 seconds later
    EXPECT_FALSE(tip.TipVisible());
    EXPECT_EQ(tip.State(), DisplayState::Hidden);
}

TEST_F(TipWindow, DisabledControlsAndComboEditsExplainThemselves) {
    tip.RegisterTool(host->disabled, "disabled");
    tip.RegisterTool(host->combo, "combo");
    // The system passes a disabled control's mouse to its parent.
    Rest(CentreOf(host->disabled), host->window);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, "disabled");
    // The edit field inside the drop-down combo is the combo's.
    const HWND edit = GetWindow(host->combo, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    Rest(CentreOf(host->combo, -20), edit);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, "combo");
    // The host itself has no tool: moving there hides the tip, and nothing comes.
    const POINT empty{CentreOf(host->button).x, CentreOf(host->button).y - 80};
    MoveTo(empty, host->window);
    EXPECT_FALSE(tip.TipVisible());
    Tick(tiptimer::kInitial);
    EXPECT_FALSE(tip.TipVisible());
}

TEST_F(TipWindow, KeysAndButtonsHideAtOnce) {
    tip.RegisterTool(host->button, "tip");
    const UINT hiding[] = {WM_KEYDOWN,    WM_SYSKEYDOWN,    WM_RBUTTONDOWN,
                           WM_MOUSEWHEEL, WM_NCLBUTTONDOWN, WM_LBUTTONDOWN};
    int dx = 0;
    for (const UINT message : hiding) {
        MoveTo({0, 0}, host->window);  // away, so the tool is not the current one
        Rest(CentreOf(host->button, dx += 2), host->button);
        ASSERT_TRUE(tip.TipVisible()) << message;
        Relay(host->button, message);
        EXPECT_FALSE(tip.TipVisible()) << message;
        EXPECT_EQ(tip.State(), DisplayState::Hidden) << message;
    }
    // A button going up is no reason to hide.
    MoveTo({0, 0}, host->window);
    Rest(CentreOf(host->button), host->button);
    Relay(host->button, WM_LBUTTONUP);
    EXPECT_TRUE(tip.TipVisible());
}

TEST_F(TipWindow, FadingRaisesTheTipsOpacityInStepsOrShowsItAtOnce) {
    tip.RegisterTool(host->button, "fading");
    tip.SetDelay(delay::kFadeIn, 50);
    Rest(CentreOf(host->button), host->button);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.State(), DisplayState::Appearing);
    const POINT body = BodyPoint();
    const auto shown = [&] {
        Pump();
        return screenshot::At(screenshot::Grab({body.x, body.y, body.x + 1, body.y + 1}), 0, 0);
    };
    // Fully transparent first: the host shows through; then 20 % more of the tip per step,
    // over the host darkened by the tip's shadow as far as the tip is already there.
    EXPECT_EQ(shown(), kHostColour);
    const COLORREF info = GetSysColor(COLOR_INFOBK);
    int previous = 0;
    for (int step = 1; step <= 5; ++step) {
        Tick(tiptimer::kFadeIn);
        const int opacity = 20 * step;
        const int under = GetRValue(kHostColour) * ShadowGrey(50, 100 - opacity) / 255;
        const int expected = (GetRValue(info) * opacity + under * (100 - opacity)) / 100;
        const int red = GetRValue(shown());
        EXPECT_NEAR(red, expected, 1) << step;
        EXPECT_GT(red, previous) << step;
        previous = red;
    }
    EXPECT_EQ(tip.State(), DisplayState::Shown);
    EXPECT_EQ(shown(), info);

    tip.HideNow();
    tip.SetDelay(delay::kFadeIn, 0);
    MoveTo({0, 0}, host->window);
    Rest(CentreOf(host->button), host->button);
    EXPECT_EQ(tip.State(), DisplayState::Shown);
    EXPECT_EQ(shown(), info);
}

TEST_F(TipWindow, TheOwnerSuppliesTextAndPointAtDisplayTime) {
    tip.RegisterTool(host->button, "");
    tip.SetNotifyParent(true);
    const POINT p = CentreOf(host->button);
    int asked = 0;
    Host::onNotify = [&](TooltipDisplayInfo& info) {
        ++asked;
        EXPECT_EQ(info.hdr.hwndFrom, tip.Window());
        EXPECT_EQ(info.toolWindow, host->button);
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(info.point->x, cursor.x);  // the cursor's resting place
        if (asked == 1) return;              // left empty: no tip
        info.tool->text = "supplied";
        info.point->y -= 50;
    };
    Rest(p, host->button);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(tip.TipVisible());
    MoveTo({p.x + 3, p.y}, host->button);
    Tick(tiptimer::kInitial);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, "supplied");
    EXPECT_EQ(TipRect().top + tip.Layout().window.cy, p.y - 50);
    // The registered tool keeps its empty text for the next showing.
    EXPECT_EQ(tip.Tools().ToolsOf(reinterpret_cast<WindowKey>(host->button))->front().text, "");
}

TEST_F(TipWindow, NearTheScreensEdgeTheTipTurnsAndStaysOnIt) {
    // The host moved so that the button touches the screen's top-right corner.
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    RECT button{};
    GetWindowRect(host->button, &button);
    RECT hostRect{};
    GetWindowRect(host->window, &hostRect);
    SetWindowPos(host->window, nullptr, screen.right - (button.right - hostRect.left),
                 -(button.top - hostRect.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    tip.RegisterTool(host->button, "A help text long enough to need room on the right");
    Rest(CentreOf(host->button, 40), host->button);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.Layout().direction, direction::kTopRight);
    const RECT r = TipRect();
    EXPECT_LE(r.right - 6, screen.right);
    EXPECT_GE(r.top, screen.top);
    SetWindowPos(host->window, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Run under a display with two monitors of 1024 x 768 side by side (MORAVEL_MONITORS=2): a
// tip that would reach across the seam turns back onto the cursor's monitor, although the
// virtual screen would have room for it.
TEST_F(TipWindow, OnTwoMonitorsATipNearTheSeamStaysOnOneScreen) {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2048);
    tip.RegisterTool(host->button, "A help text long enough to reach across the seam");
    struct Case {
        int cursorX;    // the button's centre
        int preferred;  // the tooltip's default direction
        int used;       // the direction after the flip
        RECT monitor;   // where the tip must lie
    };
    const Case cases[] = {
        {1000, direction::kBottomLeft, direction::kBottomRight, {0, 0, 1024, 768}},
        {1040, direction::kBottomRight, direction::kBottomLeft, {1024, 0, 2048, 768}},
    };
    RECT button{}, hostRect{};
    GetWindowRect(host->button, &button);
    GetWindowRect(host->window, &hostRect);
    const int buttonCentre = (button.left + button.right) / 2 - hostRect.left;
    for (const Case& c : cases) {
        SetWindowPos(host->window, nullptr, c.cursorX - buttonCentre, hostRect.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        tip.SetDefaultDirection(c.preferred);
        MoveTo({0, 0}, host->window);
        Rest(CentreOf(host->button), host->button);
        ASSERT_TRUE(tip.TipVisible()) << c.cursorX;
        EXPECT_EQ(tip.Layout().direction, c.used) << c.cursorX;
        const RECT r = TipRect();
        const int right = r.right - 6;  // less the shadow
        EXPECT_GE(r.left, c.monitor.left) << c.cursorX;
        EXPECT_LE(right, c.monitor.right) << c.cursorX;
        EXPECT_EQ(MonitorFromPoint({r.left, r.top}, MONITOR_DEFAULTTONULL),
                  MonitorFromPoint({right - 1, r.top}, MONITOR_DEFAULTTONULL))
            << c.cursorX;
        EXPECT_EQ(r.left + tip.Layout().anchor.x, CentreOf(host->button).x) << c.cursorX;
    }
    SetWindowPos(host->window, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_F(TipWindow, AHyperlinkOnTheTipTakesTheHandCursor) {
    tip.RegisterTool(host->button, "<a href=\"http://example.com/\">a link</a> and text");
    Rest(CentreOf(host->button), host->button);
    ASSERT_TRUE(tip.TipVisible());
    const LinkArea& link = tip.Drawer().Engine().LinkAreas().at(0);
    const RECT r = TipRect();
    SetCursorPos(r.left + link.area.left + 2, r.top + link.area.top + 2);
    SendMessageA(tip.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(tip.Window()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), tip.Drawer().HandCursor());
    EXPECT_EQ(tip.Drawer().Engine().HotLink(), 0);
    SetCursorPos(r.left + link.area.right + 30, r.top + link.area.top + 2);
    SendMessageA(tip.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(tip.Window()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(tip.Drawer().Engine().HotLink(), kNoHotLink);
}

TEST_F(TipWindow, ToolsByStringAndDestroyingTheWindow) {
    tip.RegisterTool(host->button, 7u);  // "hello" in the test's string table
    tip.RegisterTool(host->disabled, 9999u);
    const auto* tools = tip.Tools().ToolsOf(reinterpret_cast<WindowKey>(host->button));
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->front().text, "hello");
    EXPECT_EQ(tip.Tools().ToolsOf(reinterpret_cast<WindowKey>(host->disabled))->front().text, "");
    char name[32] = {};
    GetClassNameA(tip.Window(), name, sizeof name);
    EXPECT_STREQ(name, "CRichToolTip");
    EXPECT_EQ(GetClassLongA(tip.Window(), GCL_STYLE) & CS_SAVEBITS,
              static_cast<DWORD>(CS_SAVEBITS));
    EXPECT_EQ(GetWindowLongA(tip.Window(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(tip.Window(), GW_OWNER), host->window);
    Rest(CentreOf(host->button), host->button);
    const HWND w = tip.Window();
    tip.DestroyTipWindow();
    EXPECT_FALSE(IsWindow(w));
    MoveTo(CentreOf(host->button, 5), host->button);  // no window: relayed messages do nothing
    EXPECT_EQ(tip.State(), DisplayState::Hidden);

    // An owner that goes first takes its tip window along; the object lets go of it.
    const HWND owner = CreateWindowExA(0, "TipTestHost", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr);
    CRichToolTip orphan;
    ASSERT_TRUE(orphan.CreateTipWindow(owner, false));
    const HWND orphanWindow = orphan.Window();
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(orphanWindow));
    EXPECT_EQ(orphan.Window(), nullptr);
    orphan.HideNow();
}

}  // namespace
