// The names a saved movie may take, and what the save-as dialog's answer means. Pure text
// rules over ANSI paths (code page 936 aware), so they are tested natively as well.
#pragma once

#include <functional>
#include <string>

namespace viewer {

// folder + "\" + base + ".swf" for n == 0, else the base followed by n as at least two digits
// (clip01 ... clip99, clip100). The backslash is always inserted, even after a drive root:
// "D:\\clip.swf" is accepted by the file system.
std::string SaveCandidate(const std::string& folder, const std::string& base, int n);

// The first candidate (n = 0, 1, 2, ...) for which taken(path) is false. taken must answer
// for folders as well as files: a folder named clip.swf blocks that name too.
std::string FreeSaveTarget(const std::string& folder, const std::string& base,
                           const std::function<bool(const std::string&)>& taken);

struct SaveAsChoice {
    std::string base;
    std::string folder;
};

// What a full path chosen in the save-as dialog gives. base: the chosen file name without its
// extension, or fallbackBase when that is empty (the user typed just ".swf"). folder: the path
// cut before its last backslash, or the whole path when it has no backslash or the last one
// is its first or last character. A typed extension is dropped because saving always appends
// ".swf".
SaveAsChoice ParseSaveAsChoice(const std::string& chosenPath, const std::string& fallbackBase);

// The platform dialogs take names and folders in buffers of 260 bytes: the text cut to at
// most 259 bytes, never through the middle of a double-byte character.
inline constexpr std::size_t kPathBufferChars = 260;
std::string CutForPathBuffer(const std::string& text);

}  // namespace viewer
