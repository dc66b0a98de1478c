// What the sources learn from a file on disk, and where the shell keeps its folders.
#pragma once

#include <optional>
#include <string>

#include "base/local_time.h"

namespace viewer {

// True when the file exists, is longer than 3 bytes and begins with "FWS" or "CWS" in any
// letter case. Reads 3 bytes; a file that cannot be opened is no movie.
bool HasSwfSignature(const std::string& path);

// What a movie record takes from a file: its size text and creation time, both read from the
// file's directory entry at once (no need to open the file, so a file that another program
// holds open for writing is still measured).
struct FileFacts {
    std::string sizeText;                  // empty for an empty file
    std::optional<base::Time64> creation;  // as FileCreationTime gives it
};
// Empty when the file is missing or a folder.
std::optional<FileFacts> ReadFileFacts(const std::string& path);

// The file's size with its digits grouped by spaces ("1 234 567"); empty when the file is
// missing, a folder, or empty.
std::string SizeText(const std::string& path);

// The file's creation time, its UTC clock fields read as local time (so the clock time that
// the details show is the UTC clock time of creation); 0 for a year before 1900. False, with
// time unchanged, when the file or its times cannot be read.
bool FileCreationTime(const std::string& path, base::Time64& time);

// The file-system path of a shell special folder (a CSIDL number), trying in turn the shell,
// the "Shell Folders" registry values, the Windows and system directories, shfolder.dll and
// shell32.dll. Empty when none answers.
std::string SpecialFolderPath(int csidl);

// The "Shell Folders" registry fallback alone: the value of HKCU or HKLM that stands for
// csidl, or the Windows or system directory. Empty when csidl has no fallback or the value
// is missing.
std::string ShellFoldersFallback(int csidl);

// What the program drive is when it cannot be determined; a folder scan of it finds nothing.
inline constexpr char kNoProgramDrive[] = "Unable to determine current drive letter!";

// The first 3 bytes of the program's own path ("C:\"), or kNoProgramDrive.
std::string ProgramDrive();

}  // namespace viewer
