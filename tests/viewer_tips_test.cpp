// Moravel's controls explaining themselves, for real under Wine: the main window shown on the
// virtual display, the cursor put on its controls and rows, the mouse messages relayed by the
// window's pre-translation, and the tips' timers sent to them as WM_TIMER. The pictures are
// kept in the build tree.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

// This program's one copy of the PNG writer that screen_shot.h uses.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "tests/screen_shot.h"

#include "tests/disk_fixture.h"
#include "tooltip/markup_seeds.h"
#include "tooltip/markup_text.h"
#include "viewer/resource.h"
#include "viewer/settings_store.h"
#include "viewer/viewer_app.h"
#include "viewer/viewer_dlg.h"
#include "win/ax_host.h"
#include "win/resource_text.h"

namespace {

using tooltip::CRichToolTip;
using tooltip::DisplayState;
using tooltip::tiptimer::kAutopop;
using tooltip::tiptimer::kInitial;

std::string Res(UINT id) {
    return win::LoadResourceString(GetModuleHandleA(nullptr), id);
}

constexpr char kLongName[] = "the first movie whose name the narrow column cuts & more";

class ViewerTips : public DiskTest {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(viewer::CViewerApp::InitialiseUi());
        win::PreferRegisteredControls(false);
    }
    void SetUp() override {
        DiskTest::SetUp();
        // The custom folder source over a folder of our own: nothing else is scanned.
        disk::WriteBytes(Path("movies\\" + std::string(kLongName) + ".swf"), disk::Movie());
        disk::WriteBytes(Path("movies\\b.swf"), disk::Movie());
        viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 136);
        SetSetting("CurrViewFolder", Path("movies"));
    }
    void TearDown() override {
        dialog_.reset();
        DiskTest::TearDown();
    }

    void Open() {
        dialog_ = std::make_unique<viewer::CViewerDlg>(GetModuleHandleA(nullptr), "");
        ASSERT_TRUE(dialog_->CreateForTest(nullptr));
        SetWindowPos(dialog_->Window(), HWND_TOP, 60, 160, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dialog_->Window(), id); }
    // The window's loop at work: messages dispatched, the display caught up.
    void Pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    // The user moves the mouse to p over the window: the cursor goes there and the mouse
    // message passes the main window's pre-translation, as its loop hands it over.
    void MoveTo(POINT p, HWND over) { Relay(over, WM_MOUSEMOVE, p); }
    void Relay(HWND over, UINT message, POINT p = {}) {
        if (message == WM_MOUSEMOVE) SetCursorPos(p.x, p.y);
        ScreenToClient(over, &p);
        MSG m{};
        m.hwnd = over;
        m.message = message;
        m.lParam = MAKELPARAM(p.x, p.y);
        dialog_->PreTranslateMessage(m);
    }
    // The initial delay is over (a second of rest).
    static void Rested(const CRichToolTip& tip) {
        SendMessageA(tip.Window(), WM_TIMER, kInitial, 0);
    }
    static POINT CentreOf(HWND w, int dx = 0, int dy = 0) {
        RECT r{};
        GetWindowRect(w, &r);
        return {(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2 + dy};
    }
    static RECT RectOf(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    int RowOf(const std::string& name) const {
        const HWND list = Item(IDC_MOVIE_LIST);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            char text[256] = {};
            ListView_GetItemText(list, i, 0, text, sizeof text);
            if (name == text) return i;
        }
        return -1;
    }
    // A row's bounds on the screen.
    RECT RowRect(int row) const {
        RECT r{};
        ListView_GetItemRect(Item(IDC_MOVIE_LIST), row, &r, LVIR_BOUNDS);
        MapWindowPoints(Item(IDC_MOVIE_LIST), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::unique_ptr<viewer::CViewerDlg> dialog_;
};

TEST_F(ViewerTips, EveryControlHasItsHelpText) {
    Open();
    const tooltip::ToolTable& tools = dialog_->ControlTips().Tools();
    const auto& texts = tooltip::ViewerTooltipTexts();
    const int controls[] = {IDC_SOURCE,        IDC_VIEW_FOLDER, IDC_CHOOSE_VIEW_FOLDER,
                            IDC_SITE_FILTER,   IDC_DATE_FILTER, IDC_CHOOSE_DATE,
                            IDC_REFRESH,       IDC_DELETE,      IDC_VIEW,
                            IDC_SAVE,          IDC_SAVE_AS,     IDC_SAVE_ALL,
                            IDC_CHOOSE_TARGET, IDC_OPEN_TARGET};
    ASSERT_EQ(texts.size(), std::size(controls));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto* list = tools.ToolsOf(reinterpret_cast<tooltip::WindowKey>(Item(controls[i])));
        ASSERT_NE(list, nullptr) << controls[i];
        ASSERT_EQ(list->size(), 1u);
        EXPECT_TRUE(list->front().rect.Empty());
        EXPECT_EQ(list->front().text, Res(texts[i].stringId)) << controls[i];
        EXPECT_EQ(list->front().text, texts[i].text) << texts[i].stringId;  // code page 936
    }
    // The list's tool has no text of its own: the window supplies it row by row.
    const auto* list = dialog_->ListTips().Tools().ToolsOf(
        reinterpret_cast<tooltip::WindowKey>(Item(IDC_MOVIE_LIST)));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->front().text, "");
    // The balloon shows after a second of rest for thirty seconds; the list's tip after a
    // second for the default five, and again at each new resting place.
    const tooltip::TipSettings& balloon = dialog_->ControlTips().Settings();
    const tooltip::TipSettings& rows = dialog_->ListTips().Settings();
    EXPECT_EQ(balloon.shape, tooltip::BalloonShape());
    EXPECT_EQ(std::make_tuple(balloon.initialDelay, balloon.autopopDelay, balloon.defaultBehaviour),
              std::make_tuple(1000, 30000, 0u));
    EXPECT_EQ(rows.shape, tooltip::PlainShape());
    EXPECT_EQ(std::make_tuple(rows.initialDelay, rows.autopopDelay, rows.defaultBehaviour),
              std::make_tuple(1000, 5000, tooltip::behaviour::kReshowOnMove));
}

TEST_F(ViewerTips, TheRefreshButtonExplainsItselfInABalloonForThirtySeconds) {
    Open();
    const CRichToolTip& tip = dialog_->ControlTips();
    const POINT p = CentreOf(Item(IDC_REFRESH));
    MoveTo(p, Item(IDC_REFRESH));
    Pump();
    EXPECT_FALSE(tip.TipVisible());
    Rested(tip);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, Res(IDS_TIP_REFRESH));
    EXPECT_EQ(Res(IDS_TIP_REFRESH), "\xCB\xA2\xD0\xC2\xD3\xB0\xC6\xAC\xC1\xD0\xB1\xED\xA1\xA3");

    // Above the cursor, the anchor at its bottom-left corner pointing at the cursor.
    const tooltip::TipLayout& t = tip.Layout();
    EXPECT_EQ(t.direction, tooltip::direction::kBottomLeft);
    const RECT r = RectOf(tip.Window());
    EXPECT_EQ(r.left + t.anchor.x, p.x);
    EXPECT_EQ(r.top + t.anchor.y, p.y);
    EXPECT_EQ(t.anchor, (tooltip::Point{16, t.window.cy}));

    // What the user sees: the body in the tooltip colour with the text drawn in it.
    Pump();
    const RECT window = RectOf(dialog_->Window());
    const RECT area{std::min(window.left, r.left), std::min(window.top, r.top),
                    std::max(window.right, r.right), std::max(window.bottom, r.bottom)};
    const tooltip::Picture shot = screenshot::Grab(area);
    screenshot::SavePng(shot, "moravel-tip-refresh.png");
    screenshot::SavePng(screenshot::Grab(r), "moravel-tip-refresh-3x.png", 3);
    const COLORREF info = GetSysColor(COLOR_INFOBK);
    int inked = 0;
    for (int y = r.top + t.content.top; y < r.top + t.content.bottom; ++y)
        for (int x = r.left + t.content.left; x < r.left + t.content.right; ++x)
            inked += screenshot::At(shot, x - area.left, y - area.top) != info;
    EXPECT_GT(inked, 100);  // seven characters
    EXPECT_EQ(screenshot::At(shot, r.left + t.content.left - 4 - area.left,
                             r.top + t.content.top - area.top),
              info);

    SendMessageA(tip.Window(), WM_TIMER, kAutopop, 0);  // thirty seconds later
    EXPECT_FALSE(tip.TipVisible());
    // Moving inside the button brings nothing back until the mouse has left it.
    MoveTo(CentreOf(Item(IDC_REFRESH), 3), Item(IDC_REFRESH));
    Rested(tip);
    EXPECT_FALSE(tip.TipVisible());
}

TEST_F(ViewerTips, AKeyPressHidesTheTipAndADisabledButtonStillExplainsItself) {
    Open();
    const CRichToolTip& tip = dialog_->ControlTips();
    // With an empty selection "查看" is disabled: its mouse goes to the main window.
    ASSERT_FALSE(IsWindowEnabled(Item(IDC_VIEW)));
    MoveTo(CentreOf(Item(IDC_VIEW)), dialog_->Window());
    Rested(tip);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, Res(IDS_TIP_VIEW));
    Relay(Item(IDC_MOVIE_LIST), WM_KEYDOWN);
    EXPECT_FALSE(tip.TipVisible());
    EXPECT_EQ(tip.State(), DisplayState::Hidden);
}

TEST_F(ViewerTips, ARowShowsItsWholeNameOverItselfAndTheEmptyAreaNothing) {
    Open();
    const CRichToolTip& tip = dialog_->ListTips();
    const HWND list = Item(IDC_MOVIE_LIST);
    const int row = RowOf(kLongName);
    ASSERT_GE(row, 0);
    const RECT bounds = RowRect(row);
    MoveTo({bounds.left + 60, (bounds.top + bounds.bottom) / 2}, list);
    Rested(tip);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, tooltip::EscapeMarkup(kLongName));
    // Over the row: its corner one pixel inside the row's, wider than the column.
    const RECT r = RectOf(tip.Window());
    EXPECT_EQ(r.left, bounds.left + 1);
    EXPECT_EQ(r.top, bounds.top + 1);
    EXPECT_GT(tip.Layout().window.cx, ListView_GetColumnWidth(list, 0));
    Pump();
    screenshot::SavePng(
        screenshot::Grab({RectOf(list).left, r.top - 30, r.right + 20, r.bottom + 30}),
        "moravel-tip-row.png");

    // Another row: the tip goes at once and comes back with that row after the delay.
    const int other = RowOf("b");
    ASSERT_GE(other, 0);
    const RECT second = RowRect(other);
    MoveTo({second.left + 20, second.bottom - 2}, list);
    MoveTo({second.left + 21, second.bottom - 2}, list);  // past the tip's shadow
    EXPECT_FALSE(tip.TipVisible());
    Rested(tip);
    ASSERT_TRUE(tip.TipVisible());
    EXPECT_EQ(tip.CurrentTool()->tool.text, "b");
    EXPECT_EQ(RectOf(tip.Window()).top, second.top + 1);

    // Below the last row there is nothing to show.
    const RECT listRect = RectOf(list);
    MoveTo({listRect.left + 30, listRect.bottom - 10}, list);
    EXPECT_FALSE(tip.TipVisible());
    Rested(tip);
    EXPECT_FALSE(tip.TipVisible());
    EXPECT_EQ(tip.State(), DisplayState::Hidden);
}

// The whole road once through the window's own modal loop: posted mouse and key messages
// reach the tip through the loop's pre-translation, driven from a second thread.
TEST_F(ViewerTips, TheModalLoopRelaysMouseAndKeys) {
    viewer::CViewerDlg dialog(GetModuleHandleA(nullptr), "");
    bool shown = false, hidden = false;
    std::thread user([&] {
        HWND main = nullptr;
        for (int i = 0; i < 2400 && !(main && IsWindowVisible(main)); ++i, Sleep(50))
            main = FindWindowA(nullptr, "Moravel");
        if (main) {
            const HWND balloon = dialog.ControlTips().Window();  // made before the window shows
            const HWND refresh = GetDlgItem(main, IDC_REFRESH);
            const POINT p = CentreOf(refresh);
            POINT client = p;
            ScreenToClient(refresh, &client);
            SetCursorPos(p.x, p.y);
            PostMessageA(refresh, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
            // The second of rest: posted behind the move, so the loop takes it after the move.
            PostMessageA(balloon, WM_TIMER, kInitial, 0);
            for (int i = 0; i < 200 && !IsWindowVisible(balloon); ++i) Sleep(50);
            shown = IsWindowVisible(balloon);
            PostMessageA(refresh, WM_KEYDOWN, VK_SPACE, 0);
            for (int i = 0; i < 200 && IsWindowVisible(balloon); ++i) Sleep(50);
            hidden = !IsWindowVisible(balloon);
        }
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    dialog.DoModal(nullptr);
    user.join();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(hidden);
}

}  // namespace
