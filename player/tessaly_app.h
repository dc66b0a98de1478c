// Tessaly's application object: start-up in its fixed order (settings key, common controls,
// OLE and control hosting, the framework profile with the recent-file list, the command line
// and its switches, the document template, shell open, the first run's association, the
// file named on the command line, pause-on-click, the window shown), the values the player's
// windows share, the association commands of the View menu, starting the viewer and the
// about box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "player/command_line.h"
#include "player/player_settings.h"
#include "player/shell/association.h"
#include "win/application.h"

namespace player {

class CMainFrame;
class CTessalyDoc;
class CTessalyView;

// The framework profile's first-run marker, in its section "Settings".
inline constexpr char kFirstRunValue[] = "firstRun13";
inline constexpr char kCompanyKey[] = "Veltrano";

class CTessalyApp : public win::Application {
public:
    CTessalyApp(HINSTANCE instance, std::vector<std::string> args);
    ~CTessalyApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

    const PlayerSettings& Settings() const { return settings_; }
    bool ClickPause() const { return options_.clickPause; }
    void SetClickPause(bool on) { options_.clickPause = on; }
    bool FullScreenOnLoad() const { return options_.fullScreenOnLoad; }
    void ClearFullScreenOnLoad() { options_.fullScreenOnLoad = false; }
    int ScaleOverride() const { return options_.scaleOverride; }
    void SetScaleOverride(int value) { options_.scaleOverride = value; }

    CMainFrame* Frame() const;
    CTessalyDoc* Doc() const;
    CTessalyView* View() const;

protected:
    void RegisterShellFileTypes(bool on) override;
    // The program the association names, beside which the viewer lives (tests name a
    // stand-in).
    virtual std::string ProgramPath() const { return ModulePath(); }
    // Makes the built-in engine the stand-in for the Flash control (tests may not).
    virtual void EnableControlHosting();

private:
    void FirstRun();
    void Shutdown();

    std::vector<std::string> args_;
    PlayerSettings settings_;
    StartOptions options_;
    bool oleInitialised_ = false;
};

}  // namespace player
