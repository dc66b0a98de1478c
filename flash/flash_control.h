// The built-in SWF engine as an in-process ActiveX control: IOleObject and IOleInPlaceObject
// for the container, IDispatch with the Flash control's DISPIDs for the programs, a child
// window of its own, and a window timer that plays the movie on the user-interface thread.
#pragma once

#include <windows.h>

namespace flash {

// Makes a new control and returns the requested interface of it.
HRESULT CreateFlashControl(REFIID iid, void** object);

// Makes the built-in control the stand-in for the Flash class id in every control host of
// the process.
void RegisterBuiltInFlashControl();

}  // namespace flash
