// The framework profile of a program: values under the key
// HKEY_CURRENT_USER\Software\<company>\<application title>\<section>, read and written one at a
// time (the key is opened for each access and closed again), and the recent-file list kept there as
// "File1", "File2",
// ... in the section "Recent File List". A read that fails for any reason (no key, no value,
// another type, a short value) gives the caller's default; writes create missing keys and
// report whether they succeeded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

inline constexpr char kRecentFileSection[] = "Recent File List";
inline constexpr char kRecentFileEntry[] = "File%d";
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kPreviewPagesEntry[] = "PreviewPages";

class AppProfile {
public:
    // A profile without a registry key: reads give their defaults, writes do nothing.
    AppProfile() = default;
    AppProfile(const std::string& company, const std::string& appTitle)
        : key_("Software\\" + company + "\\" + appTitle) {}

    // "Software\company\title", relative to HKEY_CURRENT_USER; empty for no key.
    const std::string& Key() const { return key_; }

    // A REG_DWORD of 4 bytes, as a signed number.
    int GetInt(const char* section, const char* entry, int fallback) const;
    bool WriteInt(const char* section, const char* entry, int value) const;
    // A REG_SZ or REG_EXPAND_SZ (taken as stored), up to its first zero byte.
    std::string GetString(const char* section, const char* entry,
                          const std::string& fallback) const;
    bool WriteString(const char* section, const char* entry, const std::string& value) const;
    // Removes the value; true when it is gone afterwards.
    bool DeleteEntry(const char* section, const char* entry) const;

    // "File1" to "File<count>" in order; entries that cannot be read are left empty.
    std::vector<std::string> ReadRecentFiles(int count) const;
    // Writes the entries as "File1"... and removes the further ones up to "File<count>".
    void WriteRecentFiles(const std::vector<std::string>& entries, int count) const;

private:
    std::string SectionKey(const char* section) const { return key_ + "\\" + section; }
    std::string key_;
};

}  // namespace win
