#include "viewer/viewer_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "flash/flash_control.h"
#include "viewer/presentation/command_line.h"
#include "viewer/settings_store.h"
#include "viewer/viewer_dlg.h"
#include "win/ansi_wide.h"
#include "win/ax_host.h"

namespace viewer {

bool CViewerApp::InitialiseUi() {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) return false;
    flash::RegisterBuiltInFlashControl();
    return win::RegisterAxHostClass();
}

int CViewerApp::Run(const std::vector<std::string>& args) {
    if (!InitialiseUi()) return 1;
    EnsureSettingsKey();
    commandLineSite_ = viewer::CommandLineSite(args);
    int result = 0;
    {
        CViewerDlg dialog(instance_, commandLineSite_);
        result = dialog.DoModal(nullptr) == -1 ? 1 : 0;
    }
    OleUninitialize();
    return result;
}

std::vector<std::string> ProgramArguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) args.push_back(win::AnsiFromWide(wide[i]));
    if (wide) LocalFree(wide);
    return args;
}

}  // namespace viewer
