// Moravel.exe
#include <windows.h>

#include "viewer/viewer_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    viewer::CViewerApp app(instance);
    return app.Run(viewer::ProgramArguments());
}
