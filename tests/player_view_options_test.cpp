// Tessaly's window in-process under Wine: the bars and their ids, the frame counter and the
// progress slider fed by the position timer (ticked by the tests), seeking, automatic replay,
// the scale modes, full screen, the background colour dialog, the window placement kept in
// the registry, starting Moravel and the about box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "player/main_frame.h"
#include "player/shell/about_dlg.h"
#include "tests/dialog_driver.h"
#include "tests/player_fixture.h"
#include "tests/tessaly_window_fixture.h"

namespace {

using playertest::Ansi;
using playertest::Boxes;
using win::CommandState;
using Ints = std::vector<LONG>;

constexpr char kSettingsKey[] = "Software\\Veltrano\\Tessaly\\Settings";

// The messages of interest a window receives, with their wParam, seen through a subclass.
class MessageSpy {
public:
    MessageSpy(HWND window, std::vector<UINT> messages) : window_(window), wanted_(messages) {
        SetWindowSubclass(window_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~MessageSpy() { RemoveWindowSubclass(window_, Proc, 1); }
    std::vector<WPARAM> operator[](UINT message) { return seen_[message]; }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
        auto* spy = reinterpret_cast<MessageSpy*>(self);
        for (UINT wanted : spy->wanted_)
            if (m == wanted) spy->seen_[m].push_back(wp);
        return DefSubclassProc(w, m, wp, lp);
    }
    HWND window_;
    std::vector<UINT> wanted_;
    std::map<UINT, std::vector<WPARAM>> seen_;
};

// A window's rectangle on the screen, or in its parent's client area.
Ints Edges(HWND window, bool inParent = false) {
    RECT r{};
    GetWindowRect(window, &r);
    if (inParent) MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

class TessalyFrame : public playertest::TessalyWindow {
protected:
    player::CMainFrame& Main() const { return *app_->Frame(); }
    HWND ReBar() const { return GetDlgItem(Frame(), 0xE804); }
    HWND Status() const { return Main().StatusBar(); }
    HWND Slider() const { return Main().Slider().Window(); }
    void PutPlacement(Ints values) {
        const char* names[] = {"left", "top", "right", "bottom", "max"};
        for (std::size_t i = 0; i < values.size(); ++i)
            playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, names[i],
                                 static_cast<DWORD>(values[i]));
    }
    Ints StoredPlacement() const {
        Ints values;
        for (const char* name : {"left", "top", "right", "bottom", "max"})
            values.push_back(static_cast<LONG>(std::stoul(Setting(name).substr(6))));
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

TEST_F(TessalyFrame, BarsTheirIdsAndLayoutAndFlyByPrompts) {
    ASSERT_TRUE(Start({}));
    // The rebar holds the toolbar and the progress bar, each a band with a gripper.
    const HWND reBar = ReBar();
    ASSERT_EQ(SendMessageA(reBar, RB_GETBANDCOUNT, 0, 0), 2);
    HWND bands[2] = {};
    for (int i = 0; i < 2; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = REBARBANDINFOA_V3_SIZE;
        band.fMask = RBBIM_CHILD | RBBIM_STYLE;
        SendMessageA(reBar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        EXPECT_EQ(band.fStyle & (RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP),
                  UINT{RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP});
        bands[i] = band.hwndChild;
    }
    EXPECT_EQ(GetDlgCtrlID(bands[0]), 0xE800);
    EXPECT_EQ(GetDlgCtrlID(bands[1]), 0xE805);
    // The toolbar's buttons in order, each with its own 16 x 15 image.
    const HWND tools = bands[0];
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
    int cx = 0, cy = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(tools, TB_GETIMAGELIST, 0, 0)),
                          &cx, &cy);
    EXPECT_EQ(std::make_pair(cx, cy), std::make_pair(16, 15));
    // The slider at its fixed place in the progress bar, disabled, out of the tab order.
    ASSERT_EQ(GetDlgItem(bands[1], 103), Slider());
    EXPECT_EQ(Edges(Slider(), true), (Ints{40, 5, 250, 25}));
    EXPECT_EQ(GetWindowLongPtrA(Slider(), GWL_STYLE) & (TBS_BOTH | TBS_NOTICKS | WS_TABSTOP),
              TBS_BOTH | TBS_NOTICKS);
    EXPECT_FALSE(IsWindowEnabled(Slider()));
    // The status bar's counter pane: 120 pixels at the right end.
    int edges[4] = {};
    ASSERT_EQ(SendMessageA(Status(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
    RECT status{};
    GetClientRect(Status(), &status);
    EXPECT_EQ(std::make_pair(edges[0], edges[1]), std::make_pair(int(status.right) - 120, -1));
    EXPECT_EQ(GetDlgCtrlID(Status()), 0xE801);
    // The view between the rebar and the status bar.
    EXPECT_EQ(Edges(View(), true)[1], Edges(reBar, true)[3]);
    EXPECT_EQ(Edges(View(), true)[3], Edges(Status(), true)[1]);

    // The toolbar's own tooltip control asks for a button's text, through the toolbar, which
    // lives in the rebar, up to the frame: the tooltip part of the command's string.
    const HWND tips = reinterpret_cast<HWND>(SendMessageA(tools, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    wchar_t tip[128] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = tools;
    tool.uId = 142;
    tool.lpszText = tip;
    SendMessageW(tips, TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(win::AnsiFromWide(tip), Ansi("缩放模式: 无缩放"));

    // Fly-by: the pointer over a button shows its prompt; leaving, the idle text.
    RECT button{};
    SendMessageA(tools, TB_GETRECT, 137, reinterpret_cast<LPARAM>(&button));
    PostMessageA(tools, WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 4, button.top + 4));
    Pump();
    EXPECT_EQ(Pane(0), Ansi("全屏模式 (按下 ESC 返回窗口模式)"));
    PostMessageA(tools, WM_MOUSELEAVE, 0, 0);
    Pump();
    EXPECT_EQ(Pane(0), Ansi("就绪"));
    // Command 59392 hides the toolbar's band: the rebar closes up, the view follows.
    const LONG barsBottom = Edges(reBar, true)[3];
    Choose(59392);
    EXPECT_FALSE(IsWindowVisible(tools));
    EXPECT_LT(Edges(reBar, true)[3], barsBottom);
    EXPECT_EQ(Edges(View(), true)[1], Edges(reBar, true)[3]);
    Choose(59392);
    EXPECT_EQ(Edges(reBar, true)[3], barsBottom);
}

TEST_F(TessalyFrame, CounterAndSliderWriteOnlyOnChangeSeekAndReplay) {
    ASSERT_TRUE(Start({}));
    MessageSpy status(Status(), {SB_SETTEXTA, SB_SETTEXTW});
    MessageSpy slider(Slider(), {TBM_SETPOS});
    MessageSpy view(View(), {player::WM_SEEK_FRAME});
    auto writes = [&] {
        return std::make_pair(status[SB_SETTEXTA].size() + status[SB_SETTEXTW].size(),
                              slider[TBM_SETPOS].size());
    };
    const win::Trackbar bar = Main().Slider();
    Tick();  // without a movie: nothing
    EXPECT_EQ(writes(), std::make_pair(std::size_t{0}, std::size_t{0}));
    EXPECT_EQ(Pane(1), Ansi("帧数: 0/0"));
    EXPECT_FALSE(IsWindowEnabled(Slider()));

    ASSERT_EQ(app_->OpenDocumentFile(Movie("ten.swf", 10)), win::Application::OpenResult::Opened);
    Tick();
    EXPECT_TRUE(IsWindowEnabled(Slider()));
    EXPECT_EQ(std::make_pair(bar.RangeMin(), bar.RangeMax()), std::make_pair(0, 10));
    EXPECT_EQ(Pane(1), Ansi("帧数: 1/10"));
    Tick();
    EXPECT_EQ(writes(),
              std::make_pair(std::size_t{1}, std::size_t{1}));  // the second tick changed nothing
    Flash().GotoFrame(4);
    Tick();
    EXPECT_EQ(std::make_pair(Pane(1), bar.Pos()), std::make_pair(Ansi("帧数: 5/10"), 4));
    EXPECT_EQ(writes(), std::make_pair(std::size_t{2}, std::size_t{2}));

    // The slider taken to its right end seeks to the frame count itself; the control stops
    // on the last frame.
    SendMessageA(Slider(), WM_KEYDOWN, VK_END, 0);
    Pump();
    EXPECT_EQ(view[player::WM_SEEK_FRAME], (std::vector<WPARAM>{10}));
    EXPECT_EQ(Flash().CurrentFrame(), 9);

    // Automatic replay: Play at every tick on the last frame, the setting read each time.
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "AutoReplay", 1);
    for (int round = 0; round < 3; ++round) {
        Flash().Stop();
        Tick();
        EXPECT_TRUE(Flash().IsPlaying()) << round;
    }
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "AutoReplay", 0);
    Flash().Stop();
    Tick();
    EXPECT_FALSE(Flash().IsPlaying());

    // A later movie with another frame count gets its own range.
    ASSERT_EQ(app_->OpenDocumentFile(Movie("b.swf", 20)), win::Application::OpenResult::Opened);
    Tick();
    EXPECT_EQ(std::make_pair(Pane(1), bar.RangeMax()), std::make_pair(Ansi("帧数: 1/20"), 20));
}

TEST_F(TessalyFrame, FullSwitchGoesToFullScreenOnceAndEscapeComesBack) {
    ASSERT_TRUE(Start({"/full", Movie("a.swf")}));
    const Ints windowed = Edges(Frame());
    EXPECT_FALSE(Main().InFullScreen());
    Tick();
    ASSERT_TRUE(Main().InFullScreen());
    // The client area alone covers the screen, without the bars.
    RECT client{};
    GetClientRect(Frame(), &client);
    MapWindowPoints(Frame(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ((Ints{client.left, client.top, client.right, client.bottom}),
              (Ints{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
    EXPECT_FALSE(IsWindowVisible(ReBar()) || IsWindowVisible(Status()));

    // Escape leaves full screen and still reaches the window it was typed in.
    MessageSpy keys(View(), {WM_KEYDOWN});
    Key(View(), VK_ESCAPE);
    EXPECT_FALSE(Main().InFullScreen());
    EXPECT_EQ(keys[WM_KEYDOWN], (std::vector<WPARAM>{VK_ESCAPE}));
    EXPECT_EQ(Edges(Frame()), windowed);
    EXPECT_TRUE(IsWindowVisible(ReBar()) && IsWindowVisible(Status()));
    // Once only: later ticks and later movies stay windowed.
    ASSERT_EQ(app_->OpenDocumentFile(Movie("b.swf")), win::Application::OpenResult::Opened);
    Tick();
    EXPECT_FALSE(Main().InFullScreen());
}

TEST_F(TessalyFrame, FullScreenCommandAndClosingInItStoresTheWindowedRectangle) {
    const Ints placed{100, 50, 700, 550};
    PutPlacement(placed);
    ASSERT_TRUE(Start({Movie("a.swf")}));
    EXPECT_EQ(Edges(Frame()), placed);
    Key(View(), VK_ESCAPE);  // windowed: nothing
    EXPECT_EQ(Edges(Frame()), placed);
    // The user hid the status bar before: coming back from full screen keeps it hidden.
    Choose(59393);
    auto maxTrack = [&] {
        MINMAXINFO info{};
        info.ptMaxTrackSize = POINT{1, 1};
        SendMessageA(Frame(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return Ints{info.ptMaxSize.x, info.ptMaxSize.y, info.ptMaxTrackSize.x,
                    info.ptMaxTrackSize.y};
    };
    const Ints windowedLimits = maxTrack();
    Choose(137);
    const Ints full = Edges(Frame());
    EXPECT_NE(full, placed);
    // The size limits are the full-screen window's, which is larger than the screen.
    const LONG fullW = full[2] - full[0], fullH = full[3] - full[1];
    EXPECT_EQ(maxTrack(), (Ints{fullW, fullH, fullW, fullH}));
    EXPECT_GT(fullH, GetSystemMetrics(SM_CYSCREEN));
    // Again in full screen: nothing, not even a new placement to return to.
    Choose(137);
    EXPECT_EQ(Edges(Frame()), full);
    Key(View(), VK_ESCAPE);
    EXPECT_EQ(Edges(Frame()), placed);
    EXPECT_EQ(maxTrack(), windowedLimits);
    EXPECT_TRUE(IsWindowVisible(ReBar()));
    EXPECT_FALSE(IsWindowVisible(Status()));

    Choose(137);
    Close();
    EXPECT_EQ(StoredPlacement(), (Ints{100, 50, 700, 550, 0}));
}

TEST_F(TessalyFrame, PlacementIsClampedOnOpeningAndStoredWhereTheWindowReturnsTo) {
    const std::string a = Movie("a.swf");
    PutPlacement({-32000, -32000, -31840, -31976});  // a minimised window's place
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(Edges(Frame()),
              (Ints{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));

    // Closed minimised: the rectangle it returns to, not the icon's place.
    SetWindowPos(Frame(), nullptr, 120, 80, 500, 400, SWP_NOZORDER);
    ShowWindow(Frame(), SW_MINIMIZE);
    Close();
    EXPECT_EQ(StoredPlacement(), (Ints{120, 80, 620, 480, 0}));
    // Closed maximised: "max", and the next start is maximised.
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(Edges(Frame()), (Ints{120, 80, 620, 480}));
    ShowWindow(Frame(), SW_MAXIMIZE);
    Close();
    EXPECT_EQ(StoredPlacement()[4], 1);
    ASSERT_TRUE(Start({a}));
    EXPECT_TRUE(IsZoomed(Frame()));

    // A start refused over its file never placed its window and stores nothing.
    Close();
    PutPlacement({100, 50, 700, 550, 0});
    disk::WriteBytes(Path("page.swf"), "<html>");
    {
        Boxes boxes({IDNO});
        EXPECT_FALSE(Start({Path("page.swf")}));
    }
    EXPECT_EQ(StoredPlacement(), (Ints{100, 50, 700, 550, 0}));
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
    EXPECT_EQ(checked(), (std::vector<unsigned>{141}));  // the override first
    Choose(139);  // without a movie, the control takes the mode all the same
    EXPECT_EQ(Setting("ScaleMode"), "sz:ShowAll");
    EXPECT_EQ(ControlText(win::kDispidScale), "ShowAll");
    EXPECT_EQ(checked(), (std::vector<unsigned>{139}));
    ASSERT_EQ(app_->OpenDocumentFile(Movie("a.swf")), win::Application::OpenResult::Opened);
    EXPECT_EQ(ControlText(win::kDispidScale), "ShowAll");
    // Compared exactly: another letter case checks nothing.
    playertest::PutText(HKEY_CURRENT_USER, kSettingsKey, "ScaleMode", "noscale");
    EXPECT_EQ(checked(), (std::vector<unsigned>{}));
}

TEST_F(TessalyFrame, BackgroundColourDialogConfirmedOrCancelled) {
    playertest::PutDword(HKEY_CURRENT_USER, kSettingsKey, "bgColor", RGB(0x12, 0x34, 0x56));
    ASSERT_TRUE(Start({Movie("a.swf")}));
    // The user reads the dialog's red, green and blue fields, types others and presses button.
    auto choose = [&](std::vector<std::string> typed, int button) {
        std::vector<std::string> fields;
        std::thread user = guidriver::User([&fields, typed, button] {
            const HWND dialog =
                guidriver::WaitForDialog([](HWND w) { return GetDlgItem(w, 706) != nullptr; });
            for (int i = 0; dialog && i < 3; ++i) {
                fields.push_back(guidriver::Text(GetDlgItem(dialog, 706 + i)));
                SetDlgItemTextA(dialog, 706 + i, typed[i].c_str());
            }
            if (dialog) guidriver::Press(dialog, button);
            return dialog != nullptr;
        });
        Choose(130);
        user.join();
        return fields;
    };
    EXPECT_EQ(choose({"255", "128", "0"}, IDOK), (std::vector<std::string>{"18", "52", "86"}));
    EXPECT_EQ(Setting("bgColor"), "dword:" + std::to_string(RGB(255, 128, 0)));
    EXPECT_EQ(ControlText(win::kDispidBgColor), "FF8000");
    EXPECT_EQ(choose({"1", "2", "3"}, IDCANCEL), (std::vector<std::string>{"255", "128", "0"}));
    EXPECT_EQ(Setting("bgColor"), "dword:" + std::to_string(RGB(255, 128, 0)));
}

TEST_F(TessalyFrame, ViewCacheStartsMoravelBesideThePlayerOrNothing) {
    ASSERT_TRUE(Start({}));
    {
        Boxes boxes;  // no viewer beside the player: no message, the player goes on
        Choose(138);
        EXPECT_TRUE(boxes.Seen().empty());
    }
    EXPECT_TRUE(IsWindowVisible(Frame()));
    // A stand-in viewer records how it was started: its name and no arguments.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string recorder =
        std::string(self, strrchr(self, '\\')) + "\\shell_open_recorder.exe";
    const std::string viewer = Path("bin\\Moravel.exe");
    ASSERT_TRUE(CopyFileA(recorder.c_str(), viewer.c_str(), FALSE));
    Choose(138);
    std::string log = "<missing>";
    for (int i = 0; i < 400 && log == "<missing>"; ++i) {
        Sleep(50);  // another process's work: no seam to drive it
        log = playertest::ReadAll(viewer + ".log");
    }
    const std::size_t name = log.rfind("Moravel.exe");
    ASSERT_NE(name, std::string::npos) << log;
    EXPECT_EQ(log.find_first_not_of("\" \r\n", name + 11), std::string::npos) << log;
}

TEST_F(TessalyFrame, AboutBoxShowsOnlyItsVisibleControls) {
    ASSERT_TRUE(Start({}));
    std::vector<std::string> visible, hidden;
    std::thread user = guidriver::User([&] {
        const HWND dialog =
            guidriver::WaitForDialog([](HWND w) { return guidriver::Text(w) == Ansi("关于"); });
        for (HWND c = dialog ? GetWindow(dialog, GW_CHILD) : nullptr; c;
             c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(c, cls, sizeof cls);
            const bool icon = (GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                              std::string(cls) == "Static";
            (IsWindowVisible(c) ? visible : hidden)
                .push_back(std::string(cls) + ":" + (icon ? "<icon>" : guidriver::Text(c)));
        }
        if (dialog) guidriver::Press(dialog, IDOK);
        return dialog != nullptr;
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
    // Escape, typed on OK, closes it too.
    bool closedByEscape = false;
    user = guidriver::User([&] {
        const HWND dialog =
            guidriver::WaitForDialog([](HWND w) { return guidriver::Text(w) == Ansi("关于"); });
        if (!dialog) return false;
        PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
        for (int i = 0; i < 400 && IsWindow(dialog); ++i) Sleep(10);
        closedByEscape = !IsWindow(dialog);
        return closedByEscape;
    });
    Choose(57664);
    user.join();
    EXPECT_TRUE(closedByEscape);

    // The hidden links are bound all the same: owner-drawn, the hand cursor, their targets.
    player::CAboutDlg about(GetModuleHandleA(nullptr));
    ASSERT_TRUE(about.CreateForTest(Frame()));
    const HWND mail = GetDlgItem(about.Window(), 1077);
    EXPECT_EQ(GetWindowLongPtrA(mail, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    SendMessageA(mail, WM_SETCURSOR, reinterpret_cast<WPARAM>(mail), HTCLIENT);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(about.LinkTarget(1077), "mailto:tessaly@example.com?subject=Tessaly");
    EXPECT_EQ(about.LinkTarget(1078), "http://www.example.org/tessaly/");

    // Drawn as a link, asked through the dialog as the system asks: the text in the hot-track
    // colour with a line under it, and no button frame around it.
    RECT box{};
    GetClientRect(mail, &box);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, box.right, box.bottom);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{ODT_BUTTON, 1077, 0, ODA_DRAWENTIRE, 0, mail, dc, box, 0};
    SendMessageA(about.Window(), WM_DRAWITEM, 1077, reinterpret_cast<LPARAM>(&item));
    const COLORREF link = GetSysColor(COLOR_HOTLIGHT), face = GetSysColor(COLOR_BTNFACE);
    // Smoothed glyph edges mix the link colour into the face: each channel lies between.
    auto between = [](int v, int a, int b) {
        return v >= std::min(a, b) - 8 && v <= std::max(a, b) + 8;
    };
    auto linkInk = [&](COLORREF c) {
        return c != face && between(GetRValue(c), GetRValue(face), GetRValue(link)) &&
               between(GetGValue(c), GetGValue(face), GetGValue(link)) &&
               between(GetBValue(c), GetBValue(face), GetBValue(link));
    };
    int ink = 0, otherInk = 0, longestRun = 0, frame = 0;
    for (int y = 0; y < box.bottom; ++y) {
        for (int x = 0, run = 0; x < box.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            ink += linkInk(c);
            otherInk += c != face && !linkInk(c);
            run = c == link ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
            const bool edge = x == 0 || y == 0 || x == box.right - 1 || y == box.bottom - 1;
            frame += edge && c != face;
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    // The text and its line in the link colour, and nothing in any other.
    EXPECT_GT(ink, 2 * longestRun);
    EXPECT_EQ(otherInk, 0);
    // Only an underline runs unbroken under several characters.
    EXPECT_GT(longestRun, 30);
    // A frame would colour the whole border; a glyph may touch it at a pixel or two.
    EXPECT_LT(frame, 8);
}

}  // namespace
