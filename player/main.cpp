// Tessaly.exe
#include <windows.h>

#include "player/tessaly_app.h"
#include "win/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    player::CTessalyApp app(instance, win::ProgramArguments());
    return app.Run();
}
