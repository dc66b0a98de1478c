// Tessaly in-process under Wine: start-up with its command line and first run, the menus and
// their states as a user opens them, accelerators, prompts and tooltips, the framework's open
// path with bad input, recent files, drops, the shell's DDE request, the common dialogs, and
// the playback commands on movies from our SWF writer. Message boxes and dialogs are answered
// from a helper thread while the test's thread sits in them, as a user would.
#include <windows.h>
#include <commctrl.h>
#include <ddeml.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "player/main_frame.h"
#include "player/resource.h"
#include "player/tessaly_app.h"
#include "player/tessaly_doc.h"
#include "player/tessaly_view.h"
#include "tests/dialog_driver.h"
#include "tests/player_fixture.h"
#include "tests/tessaly_window_fixture.h"
#include "tools/swf_writer.h"
#include "win/ansi_wide.h"
#include "win/ax_host.h"
#include "win/doc_view.h"
#include "win/shockwave_flash.h"

namespace {

using playertest::Ansi;
using playertest::Boxes;
using playertest::ReadAll;
using playertest::Stored;
using playertest::TessalyWindow;
using win::CommandState;

const std::string kCheng = "\xD5\x5C";  // 誠, trail byte '\'

std::string LoadAnsi(UINT id) {
    const wchar_t* text = nullptr;
    const int n = LoadStringW(GetModuleHandleA(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? win::AnsiFromWide(std::wstring_view(text, n)) : std::string();
}

// --- the resources --------------------------------------------------------------------------

// The menu as text: "title[item=id,...]" with separators as "-".
std::string MenuTree(HMENU menu) {
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (i) out += ",";
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        const UINT id = GetMenuItemID(menu, i);
        if (HMENU sub = GetSubMenu(menu, i))
            out += std::string(text) + "[" + MenuTree(sub) + "]";
        else if (id == 0)
            out += "-";
        else
            out += std::string(text) + "=" + std::to_string(id);
    }
    return out;
}

TEST(TessalyResources, MenuAcceleratorsAndStringsAreTheSystemsOwnTexts) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    const HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(
        MenuTree(menu),
        Ansi("文件(&F)[打开(&O)...\tCtrl+O=57601,另存为(&A)...\tCtrl+S=57604,-,最近文件=57616,-,"
             "退出(&X)=57665],"
             "查看(&V)[工具栏(&T)=59392,状态栏(&S)=59393,-,全屏(&F)=137,背景(&C)...=130,"
             "查看 SWF 缓存...=138,-,全部显示=139,精确适合=140,无边框=141,无缩放=142,-,"
             "单击暂停=32798,关联 SWF 文件=32802,图标[加深图标=32800,加亮图标=32801]],"
             "播放[片头\tCtrl + Z=131,倒退\tCtrl + Left=132,播放\tCtrl + L=133,"
             "暂停\tCtrl + P=134,前进\tCtrl + Right=135,片尾\tCtrl + X=136,-,自动重放=32806],"
             "帮助(&H)[关于 Tessaly...=57664]"));
    EXPECT_TRUE(GetMenuState(GetSubMenu(menu, 0), 57616, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);

    const HACCEL accel = LoadAcceleratorsA(self, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ACCEL entries[16] = {};
    const int n = CopyAcceleratorTableA(accel, entries, 16);
    std::map<WORD, WORD> keys;  // key -> command, all with Ctrl
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(entries[i].fVirt & ~FNOINVERT, FVIRTKEY | FCONTROL) << entries[i].key;
        keys[entries[i].key] = entries[i].cmd;
    }
    EXPECT_EQ(keys, (std::map<WORD, WORD>{{'O', 57601},
                                          {'S', 57604},
                                          {'Z', 131},
                                          {'X', 136},
                                          {VK_LEFT, 132},
                                          {VK_RIGHT, 135},
                                          {'L', 133},
                                          {'P', 134}}));

    // The strings the behaviour tests below do not show already.
    const std::pair<UINT, const char*> strings[] = {
        {128, "Tessaly\n\nTessaly\nMacromedia Flash 文件 (*.swf)\n.swf\nFlashMovie\nFlash 影片"},
        {130, "选择背景颜色\n选择背景颜色"},
        {132, "倒退\n倒退"},
        {133, "播放\n播放"},
        {134, "暂停\n暂停"},
        {135, "前进\n前进"},
        {136, "转至片尾\n转至片尾"},
        {137, "全屏模式 (按下 ESC 返回窗口模式)\n全屏模式 (按下 ESC 返回窗口模式)"},
        {138, "打开 Moravel\n打开 Moravel"},
        {139, "缩放模式: 全部显示\n缩放模式: 全部显示"},
        {140, "缩放模式: 精确适合\n缩放模式: 精确适合"},
        {141, "缩放模式: 无边框\n缩放模式: 无边框"},
        {32798, "左键单击时暂停/继续\n左键单击时暂停/继续"},
        {32800, "SWF 文件使用深色图标\nSWF 文件使用深色图标"},
        {32801, "SWF 文件使用浅色图标\nSWF 文件使用浅色图标"},
        {32802, "使用 Tessaly 打开 Flash 影片\n使用 Tessaly 打开 Flash 影片"},
        {57344, "HalvardTessaly"},
    };
    for (const auto& [id, utf8] : strings) EXPECT_EQ(LoadAnsi(id), Ansi(utf8)) << id;
}

// --- the shell and the user on a helper thread -----------------------------------------------

// The shell's side of an open request: a DDE conversation with service on the topic
// "System" and one execute; true when the server acknowledged it.
bool DdeExecute(const std::string& service, const std::string& command) {
    DWORD instance = 0;
    if (DdeInitializeA(
            &instance,
            [](UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) -> HDDEDATA {
                return nullptr;
            },
            APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    const HSZ serviceName = DdeCreateStringHandleA(instance, service.c_str(), CP_WINANSI);
    const HSZ topic = DdeCreateStringHandleA(instance, "System", CP_WINANSI);
    bool ok = false;
    if (const HCONV conversation = DdeConnect(instance, serviceName, topic, nullptr)) {
        DWORD result = 0;
        ok = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
                                  static_cast<DWORD>(command.size() + 1), conversation, nullptr, 0,
                                  XTYP_EXECUTE, 20000, &result) != nullptr;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, serviceName);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    return ok;
}

// A drop list as the shell hands it to the window that accepts files.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& p : paths) list += p + '\0';
    list += '\0';
    const HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// Mouse messages each window received, counted by a subclass.
std::map<std::pair<HWND, UINT>, int> g_received;
std::map<HWND, WNDPROC> g_original;
LRESULT CALLBACK Counting(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ++g_received[{w, m}];
    return CallWindowProcA(g_original[w], w, m, wp, lp);
}
void CountMouse(HWND w) {
    g_original[w] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Counting)));
}

// --- the framework with a toolbar -----------------------------------------------------------

// A frame with a toolbar of three buttons above the view, on the bare framework.
class ToolbarFrame : public win::FrameWindow {
public:
    using FrameWindow::FrameWindow;
    HWND toolBar = nullptr;

protected:
    bool OnCreateBars() override {
        toolBar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                  WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                                  0, 0, 0, 0, Window(), reinterpret_cast<HMENU>(0xE800),
                                  GetModuleHandleA(nullptr), nullptr);
        if (!toolBar) return false;
        SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[3] = {};
        const int ids[3] = {131, 133, 32806};
        for (int i = 0; i < 3; ++i) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = ids[i];
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = i == 2 ? BTNS_CHECK : BTNS_BUTTON;
        }
        SendMessageA(toolBar, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
        AddTopBar(toolBar);
        SetToolBar(toolBar, toolBar);
        return CreateStatusBar({0}, {});
    }
};

class ToolbarApp : public win::Application {
public:
    ToolbarApp() : Application(GetModuleHandleA(nullptr)) {
        Commands().On(131, [this] { ++started; });
        Commands().OnUpdate(131, [this] { return CommandState{canStart, false}; });
        Commands().On(32806, [this] { replay = !replay; });
        Commands().OnUpdate(32806, [this] { return CommandState{true, replay}; });
    }
    bool InitInstance() override {
        AddDocTemplate(std::make_unique<win::DocTemplate>(
            *this, IDR_MAINFRAME, [this] { return std::make_unique<win::Document>(*this); },
            [this] { return std::make_unique<ToolbarFrame>(*this); },
            [] { return std::make_unique<win::View>(); }));
        return Template()->OpenDocumentFile(nullptr) != nullptr;
    }
    bool canStart = false;
    bool replay = false;
    int started = 0;
};

TEST(FrameToolbar, ButtonsFollowTheirCommandsAtIdleAndCarryOutOnlyEnabledOnes) {
    ToolbarApp app;
    ASSERT_TRUE(app.InitInstance());
    const HWND frame = app.MainFrame()->Window();
    const HWND toolBar = static_cast<ToolbarFrame*>(app.MainFrame())->toolBar;
    ShowWindow(frame, SW_SHOW);
    auto state = [&](int id) {
        return static_cast<int>(SendMessageA(toolBar, TB_GETSTATE, id, 0)) &
               (TBSTATE_ENABLED | TBSTATE_CHECKED);
    };
    auto click = [&](int id) {
        SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(toolBar));
        app.PumpPending();
    };
    app.PumpPending();
    // 133 has no handler anywhere: disabled like 131, whose rule says no.
    EXPECT_EQ(state(131), 0);
    EXPECT_EQ(state(133), 0);
    EXPECT_EQ(state(32806), TBSTATE_ENABLED);
    click(131);
    EXPECT_EQ(app.started, 0);
    app.canStart = true;
    click(32806);
    EXPECT_EQ(state(131), TBSTATE_ENABLED);
    EXPECT_EQ(state(32806), TBSTATE_ENABLED | TBSTATE_CHECKED);
    click(131);
    EXPECT_EQ(app.started, 1);
    // The untitled document's title, and the view laid out under the toolbar.
    EXPECT_EQ(guidriver::Text(frame), Ansi("无标题 - Tessaly"));
    RECT bar{}, view{};
    GetWindowRect(toolBar, &bar);
    GetWindowRect(app.Template()->GetView()->Window(), &view);
    EXPECT_EQ(view.top, bar.bottom);
    // Command 59392 shows and hides the toolbar; the view takes its place.
    SendMessageA(frame, WM_COMMAND, 59392, 0);
    EXPECT_FALSE(IsWindowVisible(toolBar));
    GetWindowRect(app.Template()->GetView()->Window(), &view);
    EXPECT_EQ(view.top, bar.top);
    // The tooltip of a button: the second part of its command's string.
    NMTTDISPINFOW tip{};
    tip.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(toolBar, TB_GETTOOLTIPS, 0, 0));
    tip.hdr.code = TTN_GETDISPINFOW;
    tip.hdr.idFrom = 131;
    SendMessageA(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(win::AnsiFromWide(tip.lpszText ? tip.lpszText : L""), Ansi("转至片头"));
}

TEST_F(TessalyWindow, FirstStartAssociatesOnceAndShowsAnUntitledPlayer) {
    playertest::PutText(HKEY_CURRENT_USER,
                        std::string(playertest::kExplorerSwfKey) + "\\OpenWithList", "a",
                        "other.exe");
    playertest::PutText(HKEY_CURRENT_USER,
                        std::string(playertest::kExplorerSwfKey) + "\\UserChoice", "Progid",
                        "Other");
    ASSERT_TRUE(Start({}));
    EXPECT_TRUE(IsWindowVisible(Frame()));
    EXPECT_EQ(Title(), Ansi("无标题 - Tessaly"));
    EXPECT_EQ(GetDlgCtrlID(Flash().Window()), 101);
    RECT view{}, control{};
    GetClientRect(View(), &view);
    GetClientRect(Flash().Window(), &control);
    EXPECT_GT(view.right, 0);
    EXPECT_EQ(std::make_pair(control.right, control.bottom),
              std::make_pair(view.right, view.bottom));
    EXPECT_EQ(guidriver::Text(Flash().Window()), "Flash player");
    EXPECT_EQ(Profile("Settings", "firstRun13"), "dword:1");
    EXPECT_FALSE(playertest::KeyExists(HKEY_CURRENT_USER, playertest::kExplorerSwfKey));
    EXPECT_EQ(Stored(HKEY_CLASSES_ROOT, "FlashMovie\\DefaultIcon", nullptr),
              "sz:" + program_ + ",0");
    EXPECT_EQ(Setting("icon"), "<missing>");

    // Without a movie nothing plays or saves; the toggles are there.
    for (unsigned id : {131u, 132u, 133u, 134u, 135u, 136u, 57604u})
        EXPECT_EQ(MenuState(id), (CommandState{false, false})) << id;
    EXPECT_EQ(MenuState(32806), (CommandState{true, false}));
    EXPECT_EQ(MenuState(32798), (CommandState{true, false}));
    EXPECT_EQ(MenuState(59393), (CommandState{true, true}));
    EXPECT_EQ(MenuState(32802), (CommandState{true, true}));
    EXPECT_EQ(MenuState(32800), (CommandState{true, true}));
    EXPECT_EQ(MenuState(32801), (CommandState{true, false}));
    EXPECT_EQ(RecentMenu(), (std::vector<std::string>{Ansi("最近文件")}));
    EXPECT_EQ(MenuState(57616), (CommandState{false, false}));

    // The counter, and a tick without a movie writes nothing.
    EXPECT_EQ(Pane(1), Ansi("帧数: 0/0"));
    Tick();
    EXPECT_EQ(Pane(1), Ansi("帧数: 0/0"));
    // Prompts while a menu item is highlighted, the idle text once the menu closes.
    SendMessageA(Frame(), WM_MENUSELECT, MAKEWPARAM(57601, MF_STRING), 1);
    EXPECT_EQ(Pane(0), Ansi("打开"));
    SendMessageA(Frame(), WM_MENUSELECT, MAKEWPARAM(142, MF_STRING), 1);
    EXPECT_EQ(Pane(0), Ansi("S缩放模式: 无缩放"));
    SendMessageA(Frame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(Pane(0), Ansi("就绪"));
    // A toolbar button's tooltip, asked for as the tooltip control asks.
    NMTTDISPINFOA tip{};
    tip.hdr.code = TTN_GETDISPINFOA;
    tip.hdr.idFrom = 57604;
    SendMessageA(Frame(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::string(tip.lpszText ? tip.lpszText : ""), Ansi("将 Flash 另存为.."));
    // The status bar toggles.
    Choose(59393);
    EXPECT_FALSE(IsWindowVisible(app_->MainFrame()->StatusBar()));
    EXPECT_EQ(MenuState(59393), (CommandState{true, false}));

    // The user removes the association: the icon items go grey and, on the next start, the
    // first run does not bring it back.
    Choose(32802);
    EXPECT_FALSE(player::IsAssociated());
    EXPECT_FALSE(playertest::KeyExists(HKEY_CLASSES_ROOT, "FlashMovie"));
    EXPECT_EQ(MenuState(32802), (CommandState{true, false}));
    EXPECT_EQ(MenuState(32800), (CommandState{false, true}));
    ASSERT_TRUE(Start({}));
    EXPECT_FALSE(player::IsAssociated());
    // The light icon then: written as the setting and as the association.
    Choose(32802);
    Choose(32801);
    EXPECT_EQ(Setting("icon"), "dword:2");
    EXPECT_EQ(Stored(HKEY_CLASSES_ROOT, "FlashMovie\\DefaultIcon", nullptr),
              "sz:" + Path("bin\\TessalyLight.ico"));
    EXPECT_EQ(MenuState(32801), (CommandState{true, true}));
    EXPECT_EQ(MenuState(32800), (CommandState{true, false}));
}

TEST_F(TessalyWindow, SwitchesAndSettingsDecidePauseOnClickScaleAndBackground) {
    const std::string a = Movie("a.swf"), b = Movie("b.swf");
    playertest::PutText(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly\\Settings", "ScaleMode",
                        "NoBorder");
    playertest::PutDword(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly\\Settings", "bgColor",
                         0x0000FF);
    // ef beats sa whatever their order; the file stands among the switches.
    ASSERT_TRUE(Start({"/click", "-ef", a, "/sa", "/SA"}));
    EXPECT_EQ(Opened(), a);
    EXPECT_EQ(ControlText(win::kDispidScale), "ExactFit");
    EXPECT_EQ(ControlText(win::kDispidBgColor), "FF0000");
    EXPECT_EQ(MenuState(32798), (CommandState{true, true}));
    Choose(32798);
    EXPECT_EQ(Setting("clickPause"), "dword:0");
    EXPECT_EQ(MenuState(32798), (CommandState{true, false}));
    // The override holds for every movie of this run.
    ASSERT_EQ(app_->OpenDocumentFile(b), win::Application::OpenResult::Opened);
    EXPECT_EQ(ControlText(win::kDispidScale), "ExactFit");

    // Without switches: the stored mode; pause-on-click from the setting; the stored
    // recent files and the framework's standard setting are read at start-up.
    playertest::PutDword(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly\\Settings", "clickPause",
                         7);
    playertest::PutText(HKEY_CURRENT_USER, "Software\\Veltrano\\HalvardTessaly\\Recent File List",
                        "File1", Path("old.swf"));
    playertest::PutDword(HKEY_CURRENT_USER, "Software\\Veltrano\\HalvardTessaly\\Settings",
                         "PreviewPages", 3);
    ASSERT_TRUE(Start({a}));
    EXPECT_EQ(app_->RecentFiles().Entries(), (std::vector<std::string>{a, Path("old.swf")}));
    EXPECT_EQ(app_->PreviewPages(), 3);
    EXPECT_EQ(ControlText(win::kDispidScale), "NoBorder");
    EXPECT_TRUE(app_->ClickPause());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly\\Settings", "ScaleMode");
    ASSERT_EQ(app_->OpenDocumentFile(b), win::Application::OpenResult::Opened);
    EXPECT_EQ(ControlText(win::kDispidScale), "ExactFit");
}

TEST_F(TessalyWindow, OpensThroughTheFrameworkPathAndKeepsRecentFiles) {
    const std::string a = Movie("a.swf"), c = Movie("c.swf"), d = Movie("d.swf");
    disk::MakeFolders(Path(kCheng));
    const std::string dbcs = Movie(kCheng + "\\" + kCheng + ".swf");
    const std::string b = Movie("links\\b.swf");
    ASSERT_TRUE(Start({}));

    // Quotes as the shell leaves them, a path relative to the current folder; the title and
    // the recent-file list follow.
    SetCurrentDirectoryA(root_.c_str());
    ASSERT_EQ(app_->OpenDocumentFile("\"a.swf\""), win::Application::OpenResult::Opened);
    EXPECT_EQ(Opened(), a);
    EXPECT_EQ(Title(), "a.swf - Tessaly");
    EXPECT_EQ(ControlText(win::kDispidMovie), a);
    EXPECT_TRUE(Flash().IsPlaying());
    EXPECT_EQ(MenuState(57604), (CommandState{true, false}));
    Tick();
    EXPECT_EQ(Pane(1), Ansi("帧数: 1/10"));
    // A name whose trail byte is '\'.
    ASSERT_EQ(app_->OpenDocumentFile(dbcs), win::Application::OpenResult::Opened);
    EXPECT_EQ(Title(), kCheng + ".swf - Tessaly");
    // A shortcut opens its target.
    {
        win::ComPtr<IShellLinkA> link;
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IShellLinkA, link.PutVoid()));
        link->SetPath(b.c_str());
        ASSERT_HRESULT_SUCCEEDED(
            link.As<IPersistFile>()->Save(win::WideFromAnsi(Path("b.lnk")).c_str(), TRUE));
    }
    ASSERT_EQ(app_->OpenDocumentFile(Path("b.lnk")), win::Application::OpenResult::Opened);
    EXPECT_EQ(Opened(), b);
    EXPECT_EQ(Title(), "b.swf - Tessaly");

    // The open file again, in other letters: nothing reloads (the stopped frame stays).
    Flash().GotoFrame(3);
    std::string upper = b;
    for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    ASSERT_EQ(app_->OpenDocumentFile(upper), win::Application::OpenResult::Opened);
    EXPECT_EQ(Flash().CurrentFrame(), 3);
    EXPECT_FALSE(Flash().IsPlaying());

    // The recent files, most recent first, in the File menu and the framework profile.
    const std::vector<std::string> recent = RecentMenu();
    ASSERT_EQ(recent.size(), 3u);
    EXPECT_EQ(recent[0].substr(0, 3), "&1 ");
    EXPECT_NE(recent[0].find("b.swf"), std::string::npos);
    EXPECT_NE(recent[1].find(kCheng + ".swf"), std::string::npos);
    EXPECT_NE(recent[2].find("a.swf"), std::string::npos);
    EXPECT_EQ(Profile("Recent File List", "File1"), "sz:" + b);
    EXPECT_EQ(Profile("Recent File List", "File3"), "sz:" + a);
    Choose(57618);
    EXPECT_EQ(Title(), "a.swf - Tessaly");
    // A recent file that has gone: the framework's message, and the entry leaves the list.
    DeleteFileA(dbcs.c_str());
    {
        Boxes boxes;
        Choose(57618);
        EXPECT_EQ(boxes.Seen(), (std::vector<std::string>{Ansi("打开文档失败。")}));
    }
    EXPECT_EQ(RecentMenu().size(), 2u);
    EXPECT_EQ(Profile("Recent File List", "File3"), "<missing>");

    // Dropped files open in the order of the drop list; the last accepted one stays open.
    {
        Boxes boxes;
        PostMessageA(Frame(), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({c, Path("gone.swf"), d})), 0);
        Pump();
        EXPECT_EQ(boxes.Seen(), (std::vector<std::string>{Ansi("打开文档失败。")}));
    }
    EXPECT_EQ(Title(), "d.swf - Tessaly");
    EXPECT_EQ(Profile("Recent File List", "File1"), "sz:" + d);
    EXPECT_EQ(Profile("Recent File List", "File2"), "sz:" + c);
}

TEST_F(TessalyWindow, BadFilesEndInAMessageAndKeepThePreviousMovie) {
    const std::string good = Movie("good.swf");
    disk::MakeFolders(Path("folder.swf"));
    disk::WriteBytes(Path("empty.swf"), "");
    disk::WriteBytes(Path("three.swf"), "FWS");
    disk::WriteBytes(Path("page.swf"), "<html><body>not a movie</body></html>");
    disk::WriteBytes(Path("cut.swf"), std::string("FWS\x0A\x40\x00\x00\x00\x78", 9));
    disk::WriteBytes(Path("lower.swf"), "fws\x0A and then nothing a movie holds");
    const std::string zws = Movie("lzma.swf", 4, swfwriter::Compression::Lzma);
    disk::WriteBytes(Path("locked.swf"), "FWS\x0A");
    const HANDLE writer = CreateFileA(Path("locked.swf").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    const std::string failed = Ansi("打开文档失败。");
    const std::string notFlash = Ansi("此文件不是一个 flash 影片。继续吗？");
    auto cannotPlay = [&](const char* name) {
        return Path(name) + "\r\n\r\n" + Ansi("无法播放此文件：它已损坏，或不是 flash 影片。");
    };
    const struct {
        const char* name;
        std::vector<int> answers;
        std::vector<std::string> boxes;
    } cases[] = {
        {"gone.swf", {}, {failed}},
        {"folder.swf", {}, {failed}},
        {"locked.swf", {}, {failed}},
        // Too short to check: no question, but the control cannot play it.
        {"empty.swf", {}, {cannotPlay("empty.swf")}},
        {"three.swf", {}, {cannotPlay("three.swf")}},
        {"page.swf", {IDNO}, {notFlash}},
        {"page.swf", {IDYES}, {notFlash, cannotPlay("page.swf")}},
        {"cut.swf", {}, {cannotPlay("cut.swf")}},
        // A lower-case signature passes the check; the engine decides.
        {"lower.swf", {}, {cannotPlay("lower.swf")}},
    };
    ASSERT_TRUE(Start({good}));
    Flash().GotoFrame(4);
    for (const auto& c : cases) {
        Boxes boxes(c.answers);
        EXPECT_EQ(app_->OpenDocumentFile(Path(c.name)), win::Application::OpenResult::Refused)
            << c.name;
        EXPECT_EQ(boxes.Seen(), c.boxes) << c.name;
        EXPECT_EQ(Title(), "good.swf - Tessaly") << c.name;
        EXPECT_EQ(Opened(), good) << c.name;
        EXPECT_EQ(ControlText(win::kDispidMovie), good) << c.name;
        EXPECT_EQ(Flash().CurrentFrame(), 4) << c.name;
        EXPECT_EQ(Profile("Recent File List", "File1"), "sz:" + good) << c.name;
        EXPECT_EQ(Profile("Recent File List", "File2"), "<missing>") << c.name;
    }
    CloseHandle(writer);
    // An LZMA-compressed movie is a movie: no question.
    {
        Boxes boxes;
        EXPECT_EQ(app_->OpenDocumentFile(zws), win::Application::OpenResult::Opened);
        EXPECT_TRUE(boxes.Seen().empty());
    }
    EXPECT_EQ(Flash().TotalFrames(), 4);
}

TEST_F(TessalyWindow, ARefusedStartEndsWithoutAWindow) {
    disk::WriteBytes(Path("page.swf"), "<html>");
    {
        Boxes boxes({IDNO});
        EXPECT_FALSE(Start({Path("page.swf")}));
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    EXPECT_EQ(app_->MainFrame(), nullptr);
    EXPECT_EQ(FindWindowA("VeltranoFrame", nullptr), nullptr);
    {
        Boxes boxes;
        EXPECT_FALSE(Start({Path("gone.swf")}));
        EXPECT_EQ(boxes.Seen(), (std::vector<std::string>{Ansi("打开文档失败。")}));
    }
    EXPECT_EQ(FindWindowA("VeltranoFrame", nullptr), nullptr);
    // Without any control the view cannot be made: its message, and the program ends.
    {
        Boxes boxes;
        EXPECT_FALSE(Start({}, false));
        EXPECT_EQ(boxes.Seen(),
                  (std::vector<std::string>{Ansi(
                      "创建 flash player 失败！\r\n请确认您已安装 Macromedia Flash Player！")}));
    }
    EXPECT_EQ(FindWindowA("VeltranoFrame", nullptr), nullptr);
    // The framework's registration switches act and end at once; printing ends too.
    EXPECT_FALSE(Start({"/Unregister"}));
    EXPECT_FALSE(player::IsAssociated());
    EXPECT_FALSE(Start({"/regserver"}));
    EXPECT_TRUE(player::IsAssociated());
    EXPECT_FALSE(Start({"/p", Movie("a.swf")}));
    EXPECT_EQ(FindWindowA("VeltranoFrame", nullptr), nullptr);
}

TEST_F(TessalyWindow, PlaybackCommandsFollowTheFrameAndKeepThePlayState) {
    ASSERT_TRUE(Start({Movie("ten.swf")}));
    auto at = [&](long frame, bool playing) {
        return Flash().CurrentFrame() == frame && Flash().IsPlaying() == playing;
    };
    ASSERT_TRUE(at(0, true));
    EXPECT_EQ(MenuState(131), (CommandState{false, false}));
    EXPECT_EQ(MenuState(132), (CommandState{false, false}));
    EXPECT_EQ(MenuState(133), (CommandState{false, false}));
    EXPECT_EQ(MenuState(134), (CommandState{true, false}));
    EXPECT_EQ(MenuState(136), (CommandState{true, false}));
    // A disabled command does nothing, not even from its accelerator: "to the start" would
    // have stopped the movie.
    CtrlKey('Z');
    EXPECT_TRUE(at(0, true));
    CtrlKey(VK_RIGHT);
    EXPECT_TRUE(at(1, true));
    CtrlKey('P');
    EXPECT_TRUE(at(1, false));
    CtrlKey(VK_RIGHT);
    EXPECT_TRUE(at(2, false));
    CtrlKey(VK_LEFT);
    EXPECT_TRUE(at(1, false));
    CtrlKey('L');
    CtrlKey(VK_LEFT);
    EXPECT_TRUE(at(0, true));
    // The end passes the frame count; the control stops on the last frame.
    CtrlKey('X');
    EXPECT_TRUE(at(9, false));
    EXPECT_EQ(MenuState(135), (CommandState{false, false}));
    EXPECT_EQ(MenuState(136), (CommandState{false, false}));
    EXPECT_EQ(MenuState(131), (CommandState{true, false}));
    EXPECT_EQ(MenuState(133), (CommandState{true, false}));
    CtrlKey(VK_RIGHT);
    EXPECT_TRUE(at(9, false));
    CtrlKey('Z');
    EXPECT_TRUE(at(0, false));

    // The slider's seek and the click's toggle keep or flip the play state.
    PostMessageA(View(), player::WM_SEEK_FRAME, 5, 0);
    Pump();
    EXPECT_TRUE(at(5, false));
    Flash().Play();
    PostMessageA(View(), player::WM_SEEK_FRAME, 2, 0);
    Pump();
    EXPECT_TRUE(at(2, true));
    PostMessageA(View(), player::WM_TOGGLE_PLAY, 0, 0);
    Pump();
    EXPECT_TRUE(at(2, false));

    // Automatic replay: the command flips the stored value; the tick on the last frame plays.
    Choose(32806);
    EXPECT_EQ(Setting("AutoReplay"), "dword:1");
    EXPECT_EQ(MenuState(32806), (CommandState{true, true}));
    CtrlKey('X');
    Tick();
    EXPECT_EQ(Pane(1), Ansi("帧数: 10/10"));
    EXPECT_TRUE(Flash().IsPlaying());
    Choose(32806);
    EXPECT_EQ(Setting("AutoReplay"), "dword:0");
    CtrlKey('P');
    Tick();
    EXPECT_FALSE(Flash().IsPlaying());
}

TEST_F(TessalyWindow, PauseOnClickTakesOnlyTheButtonDownInsideTheView) {
    ASSERT_TRUE(Start({"/click"}));
    CountMouse(Stage());
    CountMouse(app_->MainFrame()->StatusBar());
    auto click = [&](HWND target, UINT message) {
        PostMessageA(target, message, MK_LBUTTON, MAKELPARAM(10, 5));
        Pump();
        return g_received[{target, message}];
    };
    // Without a movie the click is still taken, and nothing else happens.
    EXPECT_EQ(click(Stage(), WM_LBUTTONDOWN), 0);

    ASSERT_EQ(app_->OpenDocumentFile(Movie("m.swf")), win::Application::OpenResult::Opened);
    ASSERT_TRUE(Flash().IsPlaying());
    EXPECT_EQ(click(Stage(), WM_LBUTTONDOWN), 0);
    EXPECT_FALSE(Flash().IsPlaying());
    EXPECT_EQ(click(Stage(), WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(Flash().IsPlaying());
    // Everything else passes: other buttons, and clicks outside the view.
    EXPECT_EQ(click(Stage(), WM_LBUTTONUP), 1);
    EXPECT_EQ(click(Stage(), WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(click(Stage(), WM_RBUTTONDOWN), 1);
    EXPECT_EQ(click(app_->MainFrame()->StatusBar(), WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(Flash().IsPlaying());
    // Switched off: the control gets its click.
    Choose(32798);
    EXPECT_EQ(click(Stage(), WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(Flash().IsPlaying());
}

TEST_F(TessalyWindow, TheShellsDdeOpenAndOpensThatWaitForAnEarlierOne) {
    const std::string a = Movie("a.swf"), b = Movie("b.swf");
    ASSERT_TRUE(Start({"/dde"}));
    EXPECT_EQ(Title(), Ansi("无标题 - Tessaly"));
    EXPECT_TRUE(IsWindowVisible(Frame()));
    auto execute = [&](const std::string& command) {
        std::atomic<bool> done{false};
        bool ok = false;
        std::thread shell([&] {
            ok = DdeExecute(app_->DdeServiceName(), command);
            done = true;
        });
        while (!done) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        shell.join();
        Pump();
        return ok;
    };
    EXPECT_TRUE(execute("[open(\"" + a + "\")]"));
    EXPECT_EQ(Title(), "a.swf - Tessaly");
    EXPECT_FALSE(execute("[print(\"" + b + "\")]"));
    EXPECT_EQ(Title(), "a.swf - Tessaly");

    // A file dropped while the question about another is up opens once that one is done.
    disk::WriteBytes(Path("page.swf"), "<html>");
    {
        // Sent, so the drop is handled inside the question's own message loop.
        Boxes boxes({IDNO}, [&] {
            SendMessageA(Frame(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({b})), 0);
        });
        EXPECT_EQ(app_->OpenDocumentFile(Path("page.swf")), win::Application::OpenResult::Refused);
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    EXPECT_EQ(Title(), "a.swf - Tessaly");
    Pump();
    EXPECT_EQ(Title(), "b.swf - Tessaly");
}

TEST_F(TessalyWindow, OpenAndSaveAsDialogs) {
    const std::string a = Movie("a.swf"), b = Movie("b.swf");
    ASSERT_TRUE(Start({a}));
    // The user types a name into a file dialog and confirms it.
    std::vector<std::string> filters;  // the file types the dialog offered
    auto answerDialog = [&filters](std::string title, std::string name) {
        return guidriver::User([title, name, &filters] {
            const HWND dialog =
                guidriver::WaitForDialog([&](HWND w) { return guidriver::Text(w) == title; });
            if (!dialog) return false;
            const HWND types = GetDlgItem(dialog, 0x470);
            for (int i = 0; i < SendMessageA(types, CB_GETCOUNT, 0, 0); ++i) {
                char text[256] = {};
                SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                filters.push_back(text);
            }
            const HWND field = guidriver::FileNameField(dialog);
            if (!field) return false;
            SetWindowTextA(field, name.c_str());
            guidriver::Press(dialog, IDOK);
            return true;
        });
    };
    std::thread user = answerDialog(Ansi("打开"), b);
    CtrlKey('O');
    user.join();
    EXPECT_EQ(Title(), "b.swf - Tessaly");
    EXPECT_EQ(filters, (std::vector<std::string>{Ansi("Macromedia Flash 文件 (*.swf)"),
                                                 Ansi("所有文件 (*.*)")}));
    filters.clear();

    // Saved under a name without extension: ".swf" is added, the bytes are the movie's.
    user = answerDialog(Ansi("另存为"), Path("copy"));
    CtrlKey('S');
    user.join();
    EXPECT_EQ(ReadAll(Path("copy.swf")), ReadAll(b));
    EXPECT_EQ(ReadAll(b).substr(0, 3), "FWS");

    // The movie's file has gone: the copy fails with the system's error code.
    DeleteFileA(b.c_str());
    {
        Boxes boxes;
        user = answerDialog(Ansi("另存为"), Path("again.swf"));
        CtrlKey('S');
        user.join();
        EXPECT_EQ(boxes.Seen(), (std::vector<std::string>{"I/O Error CopyFile: 2"}));
    }
}

}  // namespace
