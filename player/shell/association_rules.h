// The text rules of Tessaly's ".swf" association: the open command it registers, the icon
// value, when the ".swf" key counts as its own, and how a registered command is recognised
// as Tessaly's. Texts are ANSI in the system code page.
#pragma once

#include <string>
#include <string_view>

namespace player {

inline constexpr char kFileTypeId[] = "FlashMovie";
inline constexpr char kSwfExtension[] = ".swf";
inline constexpr char kLightIconFile[] = "TessalyLight.ico";

// IconKind: the setting "icon".
inline constexpr int kIconDark = 1;
inline constexpr int kIconLight = 2;

// The open command: the program's path, then a space and "%1" in double quotes. A path with
// spaces (one whose short form could not be had) is quoted, so the command still names it.
std::string OpenCommandText(std::string_view programPath);

// The "DefaultIcon" value: for the dark icon the program's own first icon ("path,0"); for
// any other non-zero kind the light icon file in the program's folder; empty for kind 0 or
// when the path it needs is unknown (nothing is written then).
std::string IconValue(int iconKind, std::string_view modulePath, std::string_view moduleDirectory);

// The ".swf" key is Tessaly's to set or remove when it could not be read, is empty, or names
// the file type "FlashMovie" (letter case ignored, as the registry's own key names).
bool SwfKeyIsOurs(bool readOk, std::string_view value);

// The program path of an open command: every "%1" in double quotes removed, then double
// quotes and spaces trimmed from the right end, then from the left.
std::string CommandProgramPath(std::string_view command);
// A program path names Tessaly when it is not empty and contains "tessaly.exe", letter case
// ignored: a copy of the program in another folder counts too.
bool NamesTessaly(std::string_view programPath);

// The folder of a path: up to, not including, its last backslash; empty without one.
std::string DirectoryOf(std::string_view path);

}  // namespace player
