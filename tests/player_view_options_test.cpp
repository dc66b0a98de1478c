// Tessaly's window in-process under Wine: the bars and their ids, the frame counter and the
// progress slider fed by the position timer (ticked by the tests), seeking, automatic replay,
// the scale modes, full screen, the background colour dialog, the window placement kept in
// the registry, starting Moravel and the about box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "player/main_frame.h"
#include "player/shell/about_dlg.h"
#include "tests/dialog_driver.h"
#include "tests/player_fixture.h"
#include "tests/tessaly_window_fixture.h"
#include "win/ansi_wide.h"
#include "win/tool_bar.h"

namespace {

using playertest::Ansi;
using playertest::Boxes;
using playertest::TessalyWindow;
using win::CommandState;

constexpr char kSettingsKey[] = "Software\\Veltrano\\Tessaly\\Settings";

// The messages of interest a window received, with their wParam, seen through a subclass.
class MessageSpy {
public:
    MessageSpy(HWND window, std::vector<UINT> messages)
        : window_(window), messages_(std::move(messages)) {
        SetWindowSubclass(window_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~MessageSpy() { RemoveWindowSubclass(window_, Proc, 1); }
    int Count(UINT message) const {
        const auto it = seen_.find(message);
        return it == seen_.end() ? 0 : static_cast<int>(it->second.size());
    }
    std::vector<WPARAM> Params(UINT message) const {
        const auto it = seen_.find(message);
        return it == seen_.end() ? std::vector<WPARAM>{} : it->second;
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
        auto* spy = reinterpret_cast<MessageSpy*>(self);
        for (UINT wanted : spy->messages_)
            if (m == wanted) spy->seen_[m].push_back(wp);
        return DefSubclassProc(w, m, wp, lp);
    }
    HWND window_;
    std::vector<UINT> messages_;
    std::map<UINT, std::vector<WPARAM>> seen_;
};

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}
std::vector<LONG> Edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT r = WindowRectOf(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class TessalyFrame : public TessalyWindow {
protected:
    player::CMainFrame& MainFrame() const { return *app_->Frame(); }
    HWND ReBar() const { return GetDlgItem(Frame(), 0xE804); }
    HWND ToolBar() const { return FindWindowExA(ReBar(), nullptr, TOOLBARCLASSNAMEA, nullptr); }
    HWND Slider() const { return MainFrame().Slider().Window(); }
    std::vector<LONG> FrameRect() const { return Edges(WindowRectOf(Frame())); }
    void PutPlacement(int left, int top, int right, int bottom, int max = 0) {
        const std::pair<const char*, int> values[] = {
            {"left", left}, {"top", top}, {"right", right}, {"bottom", bottom}, {"max", max}};
        for (const auto& [name, value] : values)
            playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<DWORD>(value));
    }
    std::vector<std::string> StoredPlacement() const {
        std::vector<std::string> values;
        for (const char* name : {"left", "top", "right", "bottom", "max"})
            values.push_back(Setting(name));
        return values;
    }
    void Close() {
        SendMessageA(Frame(), WM_CLOSE, 0, 0);
        Pump();
    }
    // A key as typed: posted, through the thread's pre-translation.
    void Key(HWND target, UINT key) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        Pump();
    }
};

TEST_F(TessalyFrame, BarsTheirIdsAndLayoutAndTheToolbarsPrompts) {
    ASSERT_TRUE(Start({}));
    // The rebar holds the toolbar and the progress bar, each in a band with a gripper.
    const HWND reBar = ReBar();
    ASSERT_NE(reBar, nullptr);
    EXPECT_TRUE(GetWindowLongPtrA(reBar, GWL_STYLE) & RBS_BANDBORDERS);
    ASSERT_EQ(SendMessageA(reBar, RB_GETBANDCOUNT, 0, 0), 2);
    const int bandIds[] = {0xE800, 0xE805};
    for (int band = 0; band < 2; ++band) {
        REBARBANDINFOA info{};
        info.cbSize = REBARBANDINFOA_V3_SIZE;
        info.fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_ID;
        ASSERT_TRUE(SendMessageA(reBar, RB_GETBANDINFOA, band, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(GetDlgCtrlID(info.hwndChild), bandIds[band]);
        EXPECT_EQ(info.fStyle & (RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP),
                  static_cast<UINT>(RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP));
    }

    // The toolbar: flat, with tooltips, its buttons in order, one 16 x 15 image each.
    const HWND tools = ToolBar();
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(tools, GWL_STYLE) & (TBSTYLE_FLAT | TBSTYLE_TOOLTIPS),
              TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);
    std::vector<int> ids, images;
    for (int i = 0; i < SendMessageA(tools, TB_BUTTONCOUNT, 0, 0); ++i) {
        TBBUTTON button{};
        SendMessageA(tools, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        ids.push_back((button.fsStyle & BTNS_SEP) ? 0 : button.idCommand);
        if (!(button.fsStyle & BTNS_SEP)) images.push_back(button.iBitmap);
    }
    EXPECT_EQ(ids, (std::vector<int>{57601, 57604, 0, 131, 132, 133, 134, 135, 136, 0, 130, 137, 0,
                                     139, 140, 141, 142}));
    EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(tools, TB_GETIMAGELIST, 0, 0));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(std::make_pair(cx, cy), std::make_pair(16, 15));
    EXPECT_EQ(ImageList_GetImageCount(list), 14);
    // A toolbar resource that does not exist adds nothing.
    win::UniqueHimagelist none;
    const HWND scratch = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD, 0, 0, 0, 0, Frame(),
                                         nullptr, nullptr, nullptr);
    EXPECT_FALSE(win::LoadToolBar(scratch, GetModuleHandleA(nullptr), 999, 0, none));
    EXPECT_EQ(SendMessageA(scratch, TB_BUTTONCOUNT, 0, 0), 0);
    DestroyWindow(scratch);

    // The progress bar: its label, and the slider at its fixed place, disabled, no tab stop.
    const HWND bar = GetDlgItem(reBar, 0xE805);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(guidriver::Text(FindWindowExA(bar, nullptr, "Static", nullptr)), Ansi("进度:"));
    const HWND slider = GetDlgItem(bar, 103);
    ASSERT_EQ(slider, Slider());
    EXPECT_EQ(Edges(RectInParent(slider)), (std::vector<LONG>{40, 5, 250, 25}));
    const LONG_PTR sliderStyle = GetWindowLongPtrA(slider, GWL_STYLE);
    EXPECT_EQ(sliderStyle & (TBS_BOTH | TBS_NOTICKS | TBS_VERT | WS_TABSTOP),
              TBS_BOTH | TBS_NOTICKS);
    EXPECT_FALSE(IsWindowEnabled(slider));

    // The status bar: the message pane, then the counter, 120 pixels wide, at the right.
    const HWND status = GetDlgItem(Frame(), 0xE801);
    ASSERT_EQ(status, app_->MainFrame()->StatusBar());
    int edges[4] = {};
    ASSERT_EQ(SendMessageA(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
    RECT statusClient{};
    GetClientRect(status, &statusClient);
    EXPECT_EQ(edges[0], statusClient.right - 120);
    EXPECT_EQ(edges[1], -1);
    EXPECT_EQ(Pane(1), Ansi("帧数: 0/0"));
    // The view between the rebar and the status bar.
    EXPECT_EQ(RectInParent(View()).top, RectInParent(reBar).bottom);
    EXPECT_EQ(RectInParent(View()).bottom, RectInParent(status).top);

    // A button's tooltip, as the toolbar's tooltip control asks for it: through the toolbar,
    // which now lives in the rebar, to the frame.
    const auto tips = reinterpret_cast<HWND>(SendMessageA(tools, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    wchar_t tipText[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = tools;
    tool.uId = 137;
    tool.lpszText = tipText;
    SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(win::AnsiFromWide(tipText), Ansi("全屏模式 (按下 ESC 返回窗口模式)"));

    // Fly-by: the pointer over a button shows its prompt; leaving the toolbar, the idle text.
    RECT button{};
    SendMessageA(tools, TB_GETRECT, 137, reinterpret_cast<LPARAM>(&button));
    PostMessageA(tools, WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 4, button.top + 4));
    Pump();
    EXPECT_EQ(Pane(0), Ansi("全屏模式 (按下 ESC 返回窗口模式)"));
    PostMessageA(tools, WM_MOUSELEAVE, 0, 0);
    Pump();
    EXPECT_EQ(Pane(0), Ansi("就绪"));

    // Command 59392 hides the toolbar's band; the rebar closes up and the view follows.
    const LONG fullHeight = RectInParent(reBar).bottom;
    Choose(59392);
    EXPECT_FALSE(IsWindowVisible(tools));
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_LT(RectInParent(reBar).bottom, fullHeight);
    EXPECT_EQ(RectInParent(View()).top, RectInParent(reBar).bottom);
    EXPECT_EQ(MenuState(59392), (CommandState{true, false}));
    Choose(59392);
    EXPECT_TRUE(IsWindowVisible(tools));
    EXPECT_EQ(RectInParent(reBar).bottom, fullHeight);
}

TEST_F(TessalyFrame, CounterAndSliderFollowTheMovieWriteOnlyOnChangeAndSeek) {
    ASSERT_TRUE(Start({}));
    const HWND status = app_->MainFrame()->StatusBar();
    MessageSpy statusSpy(status, {SB_SETTEXTA, SB_SETTEXTW});
    MessageSpy sliderSpy(Slider(), {TBM_SETPOS});
    MessageSpy viewSpy(View(), {player::WM_SEEK_FRAME});
    auto writes = [&] {
        return std::make_pair(statusSpy.Count(SB_SETTEXTA) + statusSpy.Count(SB_SETTEXTW),
                              sliderSpy.Count(TBM_SETPOS));
    };
    const win::Trackbar slider = MainFrame().Slider();

    // Without a movie a tick writes nothing and the slider stays disabled.
    Tick();
    EXPECT_EQ(writes(), std::make_pair(0, 0));
    EXPECT_EQ(Pane(1), Ansi("帧数: 0/0"));
    EXPECT_FALSE(IsWindowEnabled(Slider()));

    ASSERT_EQ(app_->OpenDocumentFile(Movie("ten.swf", 10)), win::Application::OpenResult::Opened);
    EXPECT_FALSE(IsWindowEnabled(Slider()));  // until the next tick
    Tick();
    EXPECT_TRUE(IsWindowEnabled(Slider()));
    EXPECT_EQ(std::make_pair(slider.RangeMin(), slider.RangeMax()), std::make_pair(0, 10));
    EXPECT_EQ(Pane(1), Ansi("帧数: 1/10"));
    EXPECT_EQ(slider.Pos(), 0);
    EXPECT_EQ(writes(), std::make_pair(1, 1));
    Tick();
    Tick();
    EXPECT_EQ(writes(), std::make_pair(1, 1));
    Flash().GotoFrame(4);
    Tick();
    EXPECT_EQ(Pane(1), Ansi("帧数: 5/10"));
    EXPECT_EQ(slider.Pos(), 4);
    EXPECT_EQ(writes(), std::make_pair(2, 2));

    // The user takes the slider to its right end: the seek asks for the frame count itself,
    // and the control stops on the last frame; Home goes back to the first.
    SendMessageA(Slider(), WM_KEYDOWN, VK_END, 0);
    Pump();
    EXPECT_EQ(viewSpy.Params(player::WM_SEEK_FRAME), (std::vector<WPARAM>{10}));
    EXPECT_EQ(Flash().CurrentFrame(), 9);
    Tick();
    EXPECT_EQ(Pane(1), Ansi("帧数: 10/10"));
    SendMessageA(Slider(), WM_KEYDOWN, VK_HOME, 0);
    Pump();
    EXPECT_EQ(Flash().CurrentFrame(), 0);

    // Automatic replay: Play at every tick that finds the last frame, with the setting read
    // at each of them.
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "AutoReplay", 1);
    Flash().GotoFrame(9);
    for (int round = 0; round < 3; ++round) {
        Flash().Stop();
        ASSERT_FALSE(Flash().IsPlaying());
        Tick();
        EXPECT_TRUE(Flash().IsPlaying()) << round;
    }
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "AutoReplay", 0);
    Flash().Stop();
    Tick();
    EXPECT_FALSE(Flash().IsPlaying());

    // A later movie with another frame count gets its own range.
    ASSERT_EQ(app_->OpenDocumentFile(Movie("twenty.swf", 20)),
              win::Application::OpenResult::Opened);
    Tick();
    EXPECT_EQ(slider.RangeMax(), 20);
    EXPECT_EQ(Pane(1), Ansi("帧数: 1/20"));
}

TEST_F(TessalyFrame, FullSwitchGoesToFullScreenOnceAtTheFirstTickWithAMovie) {
    const std::string a = Movie("a.swf");
    ASSERT_TRUE(Start({"/full", a}));
    const std::vector<LONG> windowed = FrameRect();
    EXPECT_FALSE(MainFrame().InFullScreen());
    Tick();
    ASSERT_TRUE(MainFrame().InFullScreen());
    EXPECT_FALSE(app_->FullScreenOnLoad());
    // The client area alone covers the screen; the bars are hidden.
    RECT client{};
    GetClientRect(Frame(), &client);
    MapWindowPoints(Frame(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(Edges(client), (std::vector<LONG>{0, 0, GetSystemMetrics(SM_CXSCREEN),
                                                GetSystemMetrics(SM_CYSCREEN)}));
    EXPECT_FALSE(IsWindowVisible(ReBar()));
    EXPECT_FALSE(IsWindowVisible(app_->MainFrame()->StatusBar()));
    // The largest size the window may take is the full-screen one.
    MINMAXINFO limits{};
    SendMessageA(Frame(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const RECT& full = MainFrame().FullScreenRect();
    EXPECT_EQ(limits.ptMaxTrackSize.x, full.right - full.left);
    EXPECT_EQ(limits.ptMaxSize.y, full.bottom - full.top);

    // Escape leaves full screen and still reaches the window it was typed in.
    MessageSpy keys(View(), {WM_KEYDOWN});
    Key(View(), VK_ESCAPE);
    EXPECT_FALSE(MainFrame().InFullScreen());
    EXPECT_EQ(keys.Params(WM_KEYDOWN), (std::vector<WPARAM>{VK_ESCAPE}));
    EXPECT_EQ(FrameRect(), windowed);
    EXPECT_TRUE(IsWindowVisible(ReBar()));
    EXPECT_TRUE(IsWindowVisible(app_->MainFrame()->StatusBar()));
    // Once only: later ticks and later movies stay windowed.
    Tick();
    ASSERT_EQ(app_->OpenDocumentFile(Movie("b.swf")), win::Application::OpenResult::Opened);
    Tick();
    EXPECT_FALSE(MainFrame().InFullScreen());
}

TEST_F(TessalyFrame, FullScreenCommandAndClosingInItStoresTheWindowedRectangle) {
    PutPlacement(100, 50, 700, 550);
    ASSERT_TRUE(Start({Movie("a.swf")}));
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{100, 50, 700, 550}));
    EXPECT_EQ(MenuState(137), (CommandState{true, false}));
    // Escape while windowed changes nothing.
    Key(View(), VK_ESCAPE);
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{100, 50, 700, 550}));
    Choose(137);
    ASSERT_TRUE(MainFrame().InFullScreen());
    const std::vector<LONG> full = FrameRect();
    EXPECT_EQ(full, Edges(MainFrame().FullScreenRect()));
    // Again while in full screen: nothing, not even a new saved placement to return to.
    Choose(137);
    EXPECT_EQ(FrameRect(), full);
    Key(View(), VK_ESCAPE);
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{100, 50, 700, 550}));

    Choose(137);
    ASSERT_TRUE(MainFrame().InFullScreen());
    Close();
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_EQ(StoredPlacement(), (std::vector<std::string>{"dword:100", "dword:50", "dword:700",
                                                           "dword:550", "dword:0"}));
}

TEST_F(TessalyFrame, PlacementIsReadClampedAndStoredWhereTheWindowReturnsTo) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const std::string a = Movie("a.swf");
    // Stored while minimised by an earlier version: far off the screen, clamped to it.
    PutPlacement(-32000, -32000, -31840, -31976);
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{0, 0, w, h}));
    // Inverted: the default rectangle.
    Close();
    PutPlacement(500, 0, 100, 537);
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{0, 0, 603, 537}));

    // Closed minimised: the rectangle it would return to is kept, not the icon's place.
    SetWindowPos(Frame(), nullptr, 120, 80, 500, 400, SWP_NOZORDER);
    ShowWindow(Frame(), SW_MINIMIZE);
    Close();
    EXPECT_EQ(StoredPlacement(), (std::vector<std::string>{"dword:120", "dword:80", "dword:620",
                                                           "dword:480", "dword:0"}));
    // Closed maximised: "max", and the next start shows the window maximised.
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(FrameRect(), (std::vector<LONG>{120, 80, 620, 480}));
    ShowWindow(Frame(), SW_MAXIMIZE);
    Close();
    EXPECT_EQ(Setting("max"), "dword:1");
    ASSERT_TRUE(Start({a}));
    EXPECT_TRUE(IsZoomed(Frame()));

    // A start refused over its file never placed a window: the stored placement stays.
    Close();
    PutPlacement(100, 50, 700, 550);
    disk::WriteBytes(Path("page.swf"), "<html>");
    {
        Boxes boxes({IDNO});
        EXPECT_FALSE(Start({Path("page.swf")}));
    }
    EXPECT_EQ(StoredPlacement(), (std::vector<std::string>{"dword:100", "dword:50", "dword:700",
                                                           "dword:550", "dword:0"}));
}

TEST_F(TessalyFrame, ScaleModesWriteSetTheControlAndClearTheOverride) {
    playertest::PutText(HKEY_CURRENT_USER, kSettingsKey, "ScaleMode", "NoScale");
    ASSERT_TRUE(Start({"/nb"}));
    auto checked = [&] {
        std::vector<unsigned> ids;
        for (unsigned id = 139; id <= 142; ++id)
            if (MenuState(id).checked) ids.push_back(id);
        return ids;
    };
    EXPECT_EQ(checked(), (std::vector<unsigned>{141}));
    // Without a movie the control still takes the mode.
    Choose(139);
    EXPECT_EQ(Setting("ScaleMode"), "sz:ShowAll");
    EXPECT_EQ(ControlText(win::kDispidScale), "ShowAll");
    EXPECT_EQ(app_->ScaleOverride(), 0);
    EXPECT_EQ(checked(), (std::vector<unsigned>{139}));
    // The stored mode decides the next movie's scale now.
    ASSERT_EQ(app_->OpenDocumentFile(Movie("a.swf")), win::Application::OpenResult::Opened);
    EXPECT_EQ(ControlText(win::kDispidScale), "ShowAll");
    // Compared exactly: another letter case checks nothing.
    playertest::PutText(HKEY_CURRENT_USER, kSettingsKey, "ScaleMode", "noscale");
    EXPECT_EQ(checked(), (std::vector<unsigned>{}));
}

// The colour dialog's red, green and blue fields.
constexpr int kColourFields[] = {706, 707, 708};

TEST_F(TessalyFrame, BackgroundColourDialogConfirmedOrCancelled) {
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "bgColor", 0x563412);
    ASSERT_TRUE(Start({Movie("a.swf")}));
    // The colour the movie shows in the middle of the view.
    auto shown = [&] {
        RECT client{};
        GetClientRect(Stage(), &client);
        const HDC dc = GetDC(Stage());
        const COLORREF colour = GetPixel(dc, client.right / 2, client.bottom / 2);
        ReleaseDC(Stage(), dc);
        return colour;
    };
    // The user finds the dialog at the stored colour, types another one and confirms, or
    // cancels.
    auto answer = [](std::vector<std::string>& shown, const std::vector<std::string>& typed,
                     int button) {
        return guidriver::User([&shown, typed, button] {
            const HWND dialog = guidriver::WaitForDialog(
                [](HWND w) { return GetDlgItem(w, kColourFields[0]) != nullptr; });
            if (!dialog) return false;
            for (int i = 0; i < 3; ++i) {
                shown.push_back(guidriver::Text(GetDlgItem(dialog, kColourFields[i])));
                if (!typed.empty())
                    SendMessageA(GetDlgItem(dialog, kColourFields[i]), WM_SETTEXT, 0,
                                 reinterpret_cast<LPARAM>(typed[i].c_str()));
            }
            guidriver::Press(dialog, button);
            return true;
        });
    };
    EXPECT_EQ(shown(), RGB(0x12, 0x34, 0x56));
    std::vector<std::string> fields;
    std::thread user = answer(fields, {"255", "128", "0"}, IDOK);
    Choose(130);
    user.join();
    EXPECT_EQ(fields, (std::vector<std::string>{"18", "52", "86"}));
    EXPECT_EQ(Setting("bgColor"), "dword:" + std::to_string(RGB(255, 128, 0)));
    EXPECT_EQ(ControlText(win::kDispidBgColor), "FF8000");
    EXPECT_EQ(shown(), RGB(255, 128, 0));

    fields.clear();
    user = answer(fields, {"1", "2", "3"}, IDCANCEL);
    Choose(130);
    user.join();
    EXPECT_EQ(fields, (std::vector<std::string>{"255", "128", "0"}));
    EXPECT_EQ(Setting("bgColor"), "dword:" + std::to_string(RGB(255, 128, 0)));
    EXPECT_EQ(shown(), RGB(255, 128, 0));
}

TEST_F(TessalyFrame, ViewCacheStartsMoravelBesideThePlayerOrNothing) {
    ASSERT_TRUE(Start({}));
    // No viewer beside the player: no message, and the player goes on.
    {
        Boxes boxes;
        Choose(138);
        EXPECT_TRUE(boxes.Seen().empty());
    }
    EXPECT_TRUE(IsWindowVisible(Frame()));
    EXPECT_EQ(MenuState(138), (CommandState{true, false}));

    // A stand-in viewer records how it was started.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string recorder = self;
    recorder = recorder.substr(0, recorder.rfind('\\')) + "\\shell_open_recorder.exe";
    const std::string viewer = Path("bin\\Moravel.exe");
    ASSERT_TRUE(CopyFileA(recorder.c_str(), viewer.c_str(), FALSE));
    Choose(138);
    std::string log = "<missing>";
    for (int i = 0; i < 400 && log == "<missing>"; ++i) {
        Sleep(50);
        log = playertest::ReadAll(viewer + ".log");
    }
    EXPECT_NE(log.find("Moravel.exe"), std::string::npos) << log;
    // Nothing follows the program's name: no arguments.
    const std::size_t end = log.rfind("Moravel.exe");
    EXPECT_EQ(log.substr(end + 11).find_first_not_of("\" \r\n"), std::string::npos) << log;
}

TEST_F(TessalyFrame, AboutBoxShowsOnlyItsVisibleControlsAndHyperlinks) {
    ASSERT_TRUE(Start({}));
    std::vector<std::string> visible, hidden;
    std::thread user = guidriver::User([&] {
        const HWND dialog =
            guidriver::WaitForDialog([](HWND w) { return guidriver::Text(w) == Ansi("关于"); });
        if (!dialog) return false;
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            const bool icon = std::string(cls) == "Static" &&
                              (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
            const std::string what =
                std::string(cls) + ":" + (icon ? "<icon>" : guidriver::Text(child));
            (IsWindowVisible(child) ? visible : hidden).push_back(what);
        }
        guidriver::Press(dialog, IDOK);
        return true;
    });
    Choose(57664);
    user.join();
    EXPECT_EQ(visible,
              (std::vector<std::string>{"Static:<icon>", "Static:Tessaly 6.8",
                                        Ansi("Static:Tessaly 播放 Flash 影片 (SWF 文件)。\n\n"
                                             "意见和建议: tessaly@example.com"),
                                        Ansi("Button:确定")}));
    EXPECT_EQ(hidden, (std::vector<std::string>{Ansi("Static:邮箱:"), Ansi("Static:网站:"),
                                                "Button:tessaly@example.com",
                                                "Button:http://www.example.org/tessaly/"}));

    // The link buttons, looked at in a box of their own: where they lead, the hand cursor,
    // and text drawn in the hot-track colour over an underline.
    player::CAboutDlg about(GetModuleHandleA(nullptr));
    ASSERT_TRUE(about.CreateForTest(Frame()));
    EXPECT_EQ(about.LinkTarget(1077), "mailto:tessaly@example.com?subject=Tessaly");
    EXPECT_EQ(about.LinkTarget(1078), "http://www.example.org/tessaly/");
    const HWND link = GetDlgItem(about.Window(), 1077);
    EXPECT_EQ(GetWindowLongPtrA(link, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_TRUE(SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));

    RECT box{};
    GetClientRect(link, &box);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, box.right, box.bottom);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{ODT_BUTTON, 1077, 0, ODA_DRAWENTIRE, 0, link, dc, box, 0};
    SendMessageA(about.Window(), WM_DRAWITEM, 1077, reinterpret_cast<LPARAM>(&item));
    const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
    int hotPixels = 0, longestRun = 0;
    for (int y = 0; y < box.bottom; ++y) {
        int run = 0;
        for (int x = 0; x < box.right; ++x) {
            const bool isHot = GetPixel(dc, x, y) == hot;
            hotPixels += isHot;
            run = isHot ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_GT(hotPixels, 0);
    // The underline runs under the whole address, far longer than any stroke of a letter.
    EXPECT_GT(longestRun, box.right / 2);
}

}  // namespace
