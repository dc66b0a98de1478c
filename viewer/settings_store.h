// Moravel's settings: per-user registry values under SettingsKey, and the target folder that
// may live in the key of the sibling product (SharedSaveKey). Every access opens the key,
// reads or writes one value and closes it; nothing is cached. Each operation returns the
// registry error code, 0 on success. Reads replace their output only on success, so the
// caller's prior value is the default. Writes open an existing key and never create one.
#pragma once

#include <windows.h>

#include <string>

#include "base/local_time.h"

namespace viewer {

inline constexpr char kSettingsKey[] = "Software\\Veltrano\\Moravel";
inline constexpr char kSharedSaveKey[] = "Software\\Veltrano\\Brindle";

// Value names, spelled as stored.
inline constexpr char kSourceValue[] = "source";
inline constexpr char kViewFolderValue[] = "CurrViewFolder";
inline constexpr char kSiteFilterValue[] = "siteFilter";
inline constexpr char kDateFilterValue[] = "dateFilter";
inline constexpr char kSaveSiteFilterValue[] = "bSaveSiteFilter";
inline constexpr char kSaveDateFilterValue[] = "bSaveDateFilter";
inline constexpr char kExactDateValue[] = "exactDate";
inline constexpr char kStartDateValue[] = "startDate";
inline constexpr char kEndDateValue[] = "endDate";
inline constexpr char kSavePathValue[] = "SavePath";
inline constexpr char kIeCacheFolderValue[] = "IECacheFolder";
inline constexpr char kFirefoxProfileFolderValue[] = "FirefoxProfileFolder";

// The target folder when neither key holds one.
inline constexpr char kDefaultTargetFolder[] = "C:";

// Texts are read through a buffer of this size; a value of this many bytes or more, the
// terminator included, is too long and reads as missing.
inline constexpr DWORD kStringSettingBuffer = 1024;

// Fails with ERROR_INVALID_DATA when the value is not a REG_DWORD of exactly 4 bytes.
LONG ReadDwordSetting(HKEY root, const char* key, const char* name, DWORD& value);
LONG WriteDwordSetting(HKEY root, const char* key, const char* name, DWORD value);

// REG_SZ or REG_EXPAND_SZ (taken as stored, not expanded) ending in a zero byte, else
// ERROR_INVALID_DATA; ERROR_MORE_DATA when too long.
LONG ReadStringSetting(HKEY root, const char* key, const char* name, std::string& value);
// Stores a REG_SZ of the text's bytes plus the terminating zero.
LONG WriteStringSetting(HKEY root, const char* key, const char* name, const std::string& value);

// A StoredDate read over the fields of the current local time, so a shorter value leaves the
// later fields at now. ERROR_INVALID_DATA when the value is not REG_BINARY or its fields form
// no valid local time; ERROR_MORE_DATA when it is longer than 12 bytes.
LONG ReadDateSetting(HKEY root, const char* key, const char* name, base::Time64& value);
// Stores the 12-byte StoredDate of value as REG_BINARY.
LONG WriteDateSetting(HKEY root, const char* key, const char* name, base::Time64 value);

// Creates SettingsKey (empty) under HKEY_CURRENT_USER when it cannot be opened for reading.
LONG EnsureSettingsKey();

// "SavePath" of SharedSaveKey, else of SettingsKey, else "C:"; used as it stands.
std::string GetTargetFolder();
// Writes a non-empty path to SharedSaveKey when that already holds a non-empty "SavePath",
// else to SettingsKey. An empty path writes nothing.
void SetTargetFolder(const std::string& path);

}  // namespace viewer
