#include "win/app_profile.h"

#include <cstdio>
#include <cstring>

#include "win/unique_handle.h"

namespace win {
namespace {

// Reads one value whole, whatever its size; false when the key or value cannot be read.
bool ReadValue(const std::string& key, const char* name, DWORD& type, std::string& data) {
    UniqueHkey hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS)
        return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        const LONG rc =
            RegQueryValueExA(hkey.get(), name, nullptr, &type,
                             data.empty() ? nullptr : reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_SUCCESS && size <= data.size()) {
            data.resize(size);
            return true;
        }
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return false;
        data.resize(size);  // grown meanwhile, or the first query for the size
    }
    return false;
}

bool WriteValue(const std::string& key, const char* name, DWORD type, const void* data,
                DWORD size) {
    UniqueHkey hkey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, hkey.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(hkey.get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

std::string EntryName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, kRecentFileEntry, number);
    return name;
}

}  // namespace

int AppProfile::GetInt(const char* section, const char* entry, int fallback) const {
    if (key_.empty()) return fallback;
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadValue(SectionKey(section), entry, type, data) || type != REG_DWORD ||
        data.size() != sizeof(DWORD))
        return fallback;
    DWORD value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return static_cast<int>(value);
}

bool AppProfile::WriteInt(const char* section, const char* entry, int value) const {
    if (key_.empty()) return false;
    const DWORD data = static_cast<DWORD>(value);
    return WriteValue(SectionKey(section), entry, REG_DWORD, &data, sizeof data);
}

std::string AppProfile::GetString(const char* section, const char* entry,
                                  const std::string& fallback) const {
    if (key_.empty()) return fallback;
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadValue(SectionKey(section), entry, type, data) ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    // Up to the first zero byte; a value stored without its terminator still reads whole.
    return std::string(data.c_str());
}

bool AppProfile::WriteString(const char* section, const char* entry,
                             const std::string& value) const {
    if (key_.empty()) return false;
    return WriteValue(SectionKey(section), entry, REG_SZ, value.c_str(),
                      static_cast<DWORD>(value.size() + 1));
}

bool AppProfile::DeleteEntry(const char* section, const char* entry) const {
    if (key_.empty()) return false;
    UniqueHkey hkey;
    const LONG open =
        RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_SET_VALUE, hkey.put());
    if (open == ERROR_FILE_NOT_FOUND) return true;
    if (open != ERROR_SUCCESS) return false;
    const LONG rc = RegDeleteValueA(hkey.get(), entry);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> AppProfile::ReadRecentFiles(int count) const {
    std::vector<std::string> entries;
    for (int i = 1; i <= count; ++i)
        entries.push_back(GetString(kRecentFileSection, EntryName(i).c_str(), ""));
    return entries;
}

void AppProfile::WriteRecentFiles(const std::vector<std::string>& entries, int count) const {
    for (int i = 1; i <= count; ++i) {
        const std::string name = EntryName(i);
        if (static_cast<std::size_t>(i) <= entries.size() && !entries[i - 1].empty())
            WriteString(kRecentFileSection, name.c_str(), entries[i - 1]);
        else
            DeleteEntry(kRecentFileSection, name.c_str());
    }
}

}  // namespace win
