#include "viewer/viewer_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "flash/flash_control.h"
#include "viewer/presentation/command_line.h"
#include "viewer/resource.h"
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

namespace {

// The main window cannot be made when its preview cannot be embedded: neither the Flash control
// nor the built-in engine could be hosted (every other control of the window is a system
// class). The user sees why in the program's language; the log line carries the details.
void ReportNoMainWindow(HINSTANCE instance, const char* step) {
    const DWORD error = GetLastError();
    char line[160];
    wsprintfA(line, "Moravel: %s failed (error %lu): the Flash control could not be embedded\n",
              step, error);
    OutputDebugStringA(line);
    char text[256] = {};
    LoadStringA(instance, IDS_NO_FLASH_CONTROL, text, sizeof(text));
    MessageBoxA(nullptr, text, "Moravel", MB_OK | MB_ICONERROR);
}

}  // namespace

int CViewerApp::Run(const std::vector<std::string>& args) {
    if (!InitialiseUi()) {
        ReportNoMainWindow(instance_, "initialising OLE and the control host");
        return 1;
    }
    EnsureSettingsKey();
    commandLineSite_ = viewer::CommandLineSite(args);
    const int result = RunMainWindow();
    OleUninitialize();
    return result;
}

int CViewerApp::RunMainWindow() {
    CViewerDlg dialog(instance_, commandLineSite_);
    if (dialog.DoModal(nullptr) != -1) return 0;
    ReportNoMainWindow(instance_, "creating the main window");
    return 1;
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
