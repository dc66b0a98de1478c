// Tessaly in-process under Wine, shared by the tests of its windows: the application with a
// stand-in program file (the association names it, the viewer is looked for beside it), a
// fixture that starts it with a command line and reads back what a user sees, and a helper
// that answers message boxes as a user would while the test's thread sits in them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
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
#include "tools/swf_writer.h"
#include "win/ansi_wide.h"
#include "win/ax_host.h"
#include "win/doc_view.h"
#include "win/shockwave_flash.h"

namespace playertest {

using win::CommandState;

// A file's bytes; "<missing>" when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(f, nullptr), '\0');
    DWORD read = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(f);
    bytes.resize(read);
    return bytes;
}

// The texts of a message box's static controls, joined by line feeds.
inline std::string BoxText(HWND box) {
    std::string text;
    for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child;
         child = FindWindowExA(box, child, "Static", nullptr)) {
        const std::string part = guidriver::Text(child);
        if (!part.empty()) text += (text.empty() ? "" : "\n") + part;
    }
    return text;
}

// Answers the message boxes of this process in order while the test's thread sits in them,
// keeping their texts. A box beyond the answers is closed too (and kept), so that an
// unexpected box fails the test instead of hanging it. before runs on the helper thread just
// before the first answer, while the first box is up.
class Boxes {
public:
    explicit Boxes(std::vector<int> answers = {}, std::function<void()> before = {})
        : answers_(std::move(answers)), before_(std::move(before)), thread_([this] { Run(); }) {}
    ~Boxes() { Stop(); }

    // Call once the action that could show boxes has returned.
    std::vector<std::string> Seen() {
        Stop();
        return seen_;
    }

private:
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    void Run() {
        std::size_t next = 0;
        while (!stop_) {
            // Message boxes only: a file dialog has a name field.
            const HWND box = guidriver::WaitForDialog(
                [](HWND w) {
                    return FindWindowExA(w, nullptr, "Static", nullptr) != nullptr &&
                           !guidriver::Descendant(w, "Edit") &&
                           !guidriver::Descendant(w, "ComboBox");
                },
                1);
            if (!box) {
                Sleep(20);
                continue;
            }
            seen_.push_back(BoxText(box));
            if (next == 0 && before_) before_();
            int answer = next < answers_.size() ? answers_[next] : 0;
            ++next;
            if (answer == 0)
                answer = GetDlgItem(box, IDOK) ? IDOK : GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDNO;
            guidriver::Press(box, answer);
            for (int i = 0; i < 400 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
        }
    }

    std::vector<int> answers_;
    std::function<void()> before_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> seen_;
    std::thread thread_;
};

class TestApp : public player::CTessalyApp {
public:
    TestApp(std::vector<std::string> args, std::string program, bool withControl)
        : CTessalyApp(GetModuleHandleA(nullptr), std::move(args)),
          program_(std::move(program)),
          withControl_(withControl) {}

protected:
    // The association names a program file called Tessaly.exe in the test's folder.
    std::string ProgramPath() const override { return program_; }
    void EnableControlHosting() override {
        if (withControl_) return CTessalyApp::EnableControlHosting();
        win::RemoveBuiltInControl(win::kShockwaveFlashClsid);
        win::RegisterAxHostClass();
    }

private:
    std::string program_;
    bool withControl_;
};

class TessalyWindow : public PlayerTest {
protected:
    static void SetUpTestSuite() { win::PreferRegisteredControls(false); }

    void SetUp() override {
        PlayerTest::SetUp();
        program_ = Path("bin\\Tessaly.exe");
        disk::WriteBytes(program_, "MZ");
    }
    void TearDown() override {
        app_.reset();
        // Out of the test's folder, which goes now.
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        SetCurrentDirectoryA(temp);
        PlayerTest::TearDown();
    }

    bool Start(std::vector<std::string> args, bool withControl = true) {
        app_.reset();
        app_ = std::make_unique<TestApp>(std::move(args), program_, withControl);
        if (!app_->InitInstance()) return false;
        // The view's position timer runs from the start; the tests tick it themselves, so
        // nothing depends on how long a step takes.
        EXPECT_TRUE(KillTimer(View(), player::kPositionTimer));
        return true;
    }

    // A movie of frames frames at 1/256 frame a second: it never moves on by itself while a
    // test runs, so every frame change comes from a command.
    std::string Movie(const std::string& name, int frames = 10,
                      swfwriter::Compression compression = swfwriter::Compression::None) {
        swfwriter::MovieBuilder movie;
        movie.StagePixels(200, 150).FrameRate88(1).BackgroundColor({0x30, 0x60, 0x90});
        for (int i = 0; i < frames; ++i) movie.ShowFrame();
        const std::string path = Path(name);
        disk::WriteBytes(path, "");
        EXPECT_TRUE(swfwriter::WriteFile(path, movie.Build(compression)));
        return path;
    }

    HWND Frame() const { return app_->MainFrame() ? app_->MainFrame()->Window() : nullptr; }
    HWND View() const { return app_->View()->Window(); }
    win::CShockwaveFlash& Flash() const { return app_->View()->Flash(); }
    HWND Stage() const {
        return FindWindowExA(Flash().Window(), nullptr, "VeltranoFlashStage", nullptr);
    }
    std::string Title() const { return guidriver::Text(Frame()); }
    std::string Pane(int pane) const { return app_->MainFrame()->PaneText(pane); }
    void Pump() { app_->PumpPending(); }

    // The state a user sees when the item's menu opens.
    CommandState MenuState(unsigned id) const {
        const HMENU popup = PopupOf(GetMenu(Frame()), id);
        EXPECT_NE(popup, nullptr) << id;
        SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        const UINT state = GetMenuState(popup, id, MF_BYCOMMAND);
        return CommandState{(state & (MF_GRAYED | MF_DISABLED)) == 0, (state & MF_CHECKED) != 0};
    }
    static HMENU PopupOf(HMENU menu, unsigned id) {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            if (HMENU sub = GetSubMenu(menu, i)) {
                if (HMENU found = PopupOf(sub, id)) return found;
            } else if (GetMenuItemID(menu, i) == id) {
                return menu;
            }
        }
        return nullptr;
    }
    // The File menu's items from the recent-file list on.
    std::vector<std::string> RecentMenu() const {
        const HMENU file = GetSubMenu(GetMenu(Frame()), 0);
        SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        std::vector<std::string> items;
        for (int i = 0; i < GetMenuItemCount(file); ++i) {
            const UINT id = GetMenuItemID(file, i);
            if (id < 57616 || id > 57631) continue;
            char text[512] = {};
            GetMenuStringA(file, i, text, sizeof text, MF_BYPOSITION);
            items.push_back(text);
        }
        return items;
    }
    // A menu item chosen.
    void Choose(unsigned id) {
        SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump();
    }
    // Ctrl and a key, through the thread's pre-translation as typed keys go.
    void CtrlKey(UINT key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageA(Frame(), WM_KEYDOWN, key, 1);
        PostMessageA(Frame(), WM_KEYUP, key, 0xC0000001);
        Pump();
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
        SetKeyboardState(keys);
    }
    void Tick() { SendMessageA(View(), WM_TIMER, player::kPositionTimer, 0); }
    std::string Opened() const { return app_->Doc() ? app_->Doc()->MoviePath() : "<none>"; }
    // A property of the control as it reads back.
    std::string ControlText(DISPID id) const {
        win::ComPtr<IDispatch> control;
        win::AxHostQueryControl(Flash().Window(), IID_IDispatch, control.PutVoid());
        VARIANT result;
        VariantInit(&result);
        DISPPARAMS none{};
        std::string text = "<failed>";
        if (control && SUCCEEDED(control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                 &result, nullptr, nullptr)))
            text = win::AnsiFromBstr(result.bstrVal);
        VariantClear(&result);
        return text;
    }
    std::string Profile(const char* section, const char* name) const {
        return Stored(HKEY_CURRENT_USER,
                      std::string("Software\\Veltrano\\HalvardTessaly\\") + section, name);
    }
    std::string Setting(const char* name) const {
        return Stored(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly\\Settings", name);
    }

    std::string program_;
    std::unique_ptr<TestApp> app_;
};

}  // namespace playertest
