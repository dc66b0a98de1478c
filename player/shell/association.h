// Tessaly as the program that opens ".swf" files, under the file type "FlashMovie" in
// HKEY_CLASSES_ROOT, with the dark (its own) or the light icon. Registry writes and deletes
// that fail are ignored; every change is announced to the shell, so Explorer redraws.
#pragma once

#include <string>

namespace player {

// The running program's file, as the system reports it (at most 260 bytes); empty when it
// cannot be had.
std::string ModulePath();
// ModulePath up to its last backslash; empty without one.
std::string ModuleDirectory();

// on: writes "FlashMovie" with its open command and, for a non-zero icon kind, its icon; sets
// ".swf" unless it names another file type. Off: deletes the icon key, the open, print and
// printto commands and (when it is ours) ".swf", each with the parents that are left without
// subkeys. programPath is the program the command names; the file type's name is the
// seventh field of the document template (string 128).
void RegisterAssociation(bool on, int iconKind, const std::string& programPath = ModulePath());

// The open command of "FlashMovie" names a program file called "tessaly.exe".
bool IsAssociated();

// The first run's step: removes the current user's Explorer choice for ".swf" (its key with
// every subkey, deepest first), so that the file type decides again.
void ForgetExplorerSwfChoice();

}  // namespace player
