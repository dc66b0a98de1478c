// Identifiers the frame framework gives meaning to: its standard commands, the windows of a
// frame, and its own strings (win/framework.rc). Programs use these numbers in their menus,
// accelerators and string tables.
#pragma once

namespace win {

// Standard commands.
inline constexpr unsigned kIdFileOpen = 57601;
inline constexpr unsigned kIdFileSaveAs = 57604;
inline constexpr unsigned kIdFileMruFirst = 57616;  // recent file 1; also the placeholder
inline constexpr unsigned kIdFileMruLast = 57631;
inline constexpr unsigned kIdAppAbout = 57664;
inline constexpr unsigned kIdAppExit = 57665;
inline constexpr unsigned kIdViewToolbar = 59392;
inline constexpr unsigned kIdViewStatusBar = 59393;

// Windows of a frame.
inline constexpr int kIdwToolBar = 0xE800;
inline constexpr int kIdwStatusBar = 0xE801;
inline constexpr int kIdwReBar = 0xE804;
inline constexpr int kIdwDialogBar = 0xE805;
inline constexpr int kIdwPaneFirst = 0xE900;  // the view

// Strings: the program supplies its title; the framework's own live in win/framework.rc.
inline constexpr unsigned kIdsAppTitle = 57344;
inline constexpr unsigned kIdsOpenFile = 61440;
inline constexpr unsigned kIdsSaveFile = 61441;
inline constexpr unsigned kIdsAllFilter = 61442;
inline constexpr unsigned kIdsUntitled = 61443;
inline constexpr unsigned kIdsIdleMessage = 61444;
inline constexpr unsigned kIdpFailedToOpenDoc = 61696;

}  // namespace win
