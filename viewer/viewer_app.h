// Moravel's application object: the command-line site, and the main window run modally.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace viewer {

class CViewerApp {
public:
    explicit CViewerApp(HINSTANCE instance) : instance_(instance) {}
    // Runs the program to its end; the exit code.
    int Run(const std::vector<std::string>& args);
    // Runs the main window modally once the user interface is initialised: 0 when it ran, 1
    // when it could not be made, after telling the user why (a message box and a log line).
    int RunMainWindow();
    const std::string& CommandLineSite() const { return commandLineSite_; }

    // What every window of the program needs before the first one opens: common controls,
    // OLE (control containment), the control host and the built-in Flash control.
    static bool InitialiseUi();

private:
    HINSTANCE instance_;
    std::string commandLineSite_;
};

// The program's arguments in the ANSI code page, without the program's own name.
std::vector<std::string> ProgramArguments();

}  // namespace viewer
