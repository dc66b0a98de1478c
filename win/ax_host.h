// A small OLE container: a child window that holds one windowed ActiveX control, in place
// active and sized to the window. The control is made from the registered class when there is
// one that activates in place, otherwise from a built-in implementation registered for that
// class id (the SWF engine stands in for the Flash control this way).
//
// Dialog templates use the window class kAxHostClass with the class id as the control's text,
// for example CONTROL "{D27CDB6E-AE6D-11CF-96B8-444553540000}", 1011, "VeltranoAxHost", ...
// The process must have initialised OLE (OleInitialize) on the window's thread.
#pragma once

#include <windows.h>

namespace win {

inline constexpr char kAxHostClass[] = "VeltranoAxHost";

// Registers the host window class (once per process; later calls do nothing).
bool RegisterAxHostClass();

using BuiltInControlFactory = HRESULT (*)(REFIID iid, void** object);
// Makes factory the stand-in for clsid when that class is not registered on the system.
void RegisterBuiltInControl(const CLSID& clsid, BuiltInControlFactory factory);

// Takes the stand-in for clsid away again (a host can then only make a registered control).
void RemoveBuiltInControl(const CLSID& clsid);

// Whether registered classes are tried first (the default). Tests turn it off to host the
// built-in control whatever the system has.
void PreferRegisteredControls(bool prefer);

// Creates a host child window holding the control; null when no control could be made.
HWND CreateAxHost(HWND parent, int id, const RECT& rect, const CLSID& clsid, const char* windowName,
                  DWORD style);

// An interface of the hosted control (AddRef'd); E_FAIL when the window holds no control.
HRESULT AxHostQueryControl(HWND host, REFIID iid, void** object);

// True when the host runs a built-in stand-in rather than a registered control.
bool AxHostIsBuiltIn(HWND host);

}  // namespace win
