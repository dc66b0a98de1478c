#include "player/tessaly_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "flash/flash_control.h"
#include "player/main_frame.h"
#include "player/playback_rules.h"
#include "player/resource.h"
#include "player/shell/about_dlg.h"
#include "player/shell/association_rules.h"
#include "player/shell/viewer_launch.h"
#include "player/tessaly_doc.h"
#include "player/tessaly_view.h"
#include "win/app_profile.h"
#include "win/ax_host.h"
#include "win/doc_view.h"
#include "win/framework_ids.h"

namespace player {

CTessalyApp::CTessalyApp(HINSTANCE instance, std::vector<std::string> args)
    : win::Application(instance), args_(std::move(args)) {
    const auto iconSetting = [this] { return settings_.GetInt(kSettings, kIconValue, kIconDark); };
    Commands().On(kIdAssociate, [=, this] {
        RegisterAssociation(!IsAssociated(), iconSetting(), ProgramPath());
    });
    Commands().On(kIdDarkIcon, [this] {
        settings_.WriteInt(kSettings, kIconValue, kIconDark);
        RegisterAssociation(true, kIconDark, ProgramPath());
    });
    Commands().On(kIdLightIcon, [this] {
        settings_.WriteInt(kSettings, kIconValue, kIconLight);
        RegisterAssociation(true, kIconLight, ProgramPath());
    });
    // The viewer beside the player, started as a process of its own; the player carries on
    // whatever comes of it.
    Commands().On(kIdViewCache, [this] { ShellOpen(ViewerPathBeside(ProgramPath())); });
    Commands().On(win::kIdAppAbout, [this] {
        CAboutDlg about(Instance());
        const win::FrameWindow* frame = MainFrame();
        about.DoModal(frame ? frame->Window() : nullptr);
    });
    // Read from the registry at every update, so the menu shows the real state even when
    // another program changed it, or a write here failed.
    for (unsigned id : {kIdAssociate, kIdDarkIcon, kIdLightIcon})
        Commands().OnUpdate(
            id, [=] { return AssociationCommandState(id, IsAssociated(), iconSetting()); });
}

CTessalyApp::~CTessalyApp() {
    Shutdown();
}

void CTessalyApp::Shutdown() {
    // The windows and the control go before OLE does.
    AddDocTemplate(nullptr);
    if (oleInitialised_) OleUninitialize();
    oleInitialised_ = false;
}

void CTessalyApp::EnableControlHosting() {
    flash::RegisterBuiltInFlashControl();
    win::RegisterAxHostClass();
}

bool CTessalyApp::InitInstance() {
    EnsureProductKey();
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) {
        ShowMessage(LoadString(IDS_OLE_FAILED), MB_OK | MB_ICONSTOP);
        return false;
    }
    oleInitialised_ = true;
    EnableControlHosting();
    SetRegistryKey(kCompanyKey);
    LoadStdProfileSettings(5);

    CPlayerCommandLineInfo info;
    info.Parse(args_);
    options_ = ApplyPlayerSwitches(info, options_);

    AddDocTemplate(std::make_unique<win::DocTemplate>(
        *this, IDR_MAINFRAME, [this] { return std::make_unique<CTessalyDoc>(*this); },
        [this] { return std::make_unique<CMainFrame>(*this); },
        [this] { return std::make_unique<CTessalyView>(*this); }));
    EnableShellOpen();
    FirstRun();

    if (!ProcessShellCommand(info)) return false;

    if (!options_.clickPause)
        options_.clickPause = settings_.GetInt(kSettings, kClickPauseValue, 0) != 0;
    const HWND frame = MainFrame()->Window();
    ShowWindow(frame, settings_.GetInt(kSettings, kMaxValue, 0) != 0 ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(frame);
    DragAcceptFiles(frame, TRUE);
    return true;
}

int CTessalyApp::ExitInstance() {
    const int code = win::Application::ExitInstance();
    Shutdown();
    return code;
}

void CTessalyApp::FirstRun() {
    if (Profile().GetInt(win::kSettingsSection, kFirstRunValue, 0) != 0) return;
    Profile().WriteInt(win::kSettingsSection, kFirstRunValue, 1);
    ForgetExplorerSwfChoice();
    // The setting "icon" stays unwritten: it reads as the dark icon.
    RegisterAssociation(true, kIconDark, ProgramPath());
}

void CTessalyApp::RegisterShellFileTypes(bool on) {
    RegisterAssociation(on, settings_.GetInt(kSettings, kIconValue, kIconDark), ProgramPath());
}

CMainFrame* CTessalyApp::Frame() const {
    return static_cast<CMainFrame*>(MainFrame());
}
CTessalyDoc* CTessalyApp::Doc() const {
    return static_cast<CTessalyDoc*>(ActiveDocument());
}
CTessalyView* CTessalyApp::View() const {
    return Template() ? static_cast<CTessalyView*>(Template()->GetView()) : nullptr;
}

}  // namespace player
