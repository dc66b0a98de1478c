#include "viewer/settings_store.h"

#include "viewer/stored_date.h"
#include "win/unique_handle.h"

namespace viewer {
namespace {

LONG OpenKey(HKEY root, const char* key, REGSAM access, win::UniqueHkey& out) {
    return RegOpenKeyExA(root, key, 0, access, out.put());
}

// Reads one value into buffer; size is the buffer's size on entry and the value's size after.
LONG QueryValue(HKEY root, const char* key, const char* name, DWORD& type, BYTE* buffer,
                DWORD& size) {
    win::UniqueHkey hkey;
    if (const LONG rc = OpenKey(root, key, KEY_READ, hkey); rc != ERROR_SUCCESS) return rc;
    return RegQueryValueExA(hkey.get(), name, nullptr, &type, buffer, &size);
}

LONG SetValue(HKEY root, const char* key, const char* name, DWORD type, const BYTE* data,
              DWORD size) {
    win::UniqueHkey hkey;
    if (const LONG rc = OpenKey(root, key, KEY_WRITE, hkey); rc != ERROR_SUCCESS) return rc;
    return RegSetValueExA(hkey.get(), name, 0, type, data, size);
}

}  // namespace

LONG ReadDwordSetting(HKEY root, const char* key, const char* name, DWORD& value) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG rc = QueryValue(root, key, name, type, reinterpret_cast<BYTE*>(&data), size);
    if (rc != ERROR_SUCCESS) return rc;
    // A shorter REG_DWORD would leave part of the number undefined.
    if (type != REG_DWORD || size != sizeof(data)) return ERROR_INVALID_DATA;
    value = data;
    return ERROR_SUCCESS;
}

LONG WriteDwordSetting(HKEY root, const char* key, const char* name, DWORD value) {
    return SetValue(root, key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                    sizeof(value));
}

LONG ReadStringSetting(HKEY root, const char* key, const char* name, std::string& value) {
    char buffer[kStringSettingBuffer];
    // The last byte stays out of reach, so a value that would fill the whole buffer counts as
    // too long, like every longer one.
    DWORD size = kStringSettingBuffer - 1;
    DWORD type = REG_NONE;
    const LONG rc = QueryValue(root, key, name, type, reinterpret_cast<BYTE*>(buffer), size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    if (size == 0 || size > kStringSettingBuffer - 1 || buffer[size - 1] != '\0')
        return ERROR_INVALID_DATA;
    // The text ends at its first zero byte, as the system itself would read it.
    value.assign(buffer);
    return ERROR_SUCCESS;
}

LONG WriteStringSetting(HKEY root, const char* key, const char* name, const std::string& value) {
    return SetValue(root, key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                    static_cast<DWORD>(value.size() + 1));
}

LONG ReadDateSetting(HKEY root, const char* key, const char* name, base::Time64& value) {
    StoredDateBytes bytes = PackStoredDate(StoredDateFromTime(base::Now()));
    DWORD size = kStoredDateSize;
    DWORD type = REG_NONE;
    const LONG rc = QueryValue(root, key, name, type, bytes.data(), size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_BINARY) return ERROR_INVALID_DATA;
    const auto time = TimeFromStoredDate(UnpackStoredDate(bytes));
    if (!time) return ERROR_INVALID_DATA;
    value = *time;
    return ERROR_SUCCESS;
}

LONG WriteDateSetting(HKEY root, const char* key, const char* name, base::Time64 value) {
    const StoredDateBytes bytes = PackStoredDate(StoredDateFromTime(value));
    return SetValue(root, key, name, REG_BINARY, bytes.data(), kStoredDateSize);
}

LONG EnsureSettingsKey() {
    win::UniqueHkey hkey;
    if (OpenKey(HKEY_CURRENT_USER, kSettingsKey, KEY_READ, hkey) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, hkey.put(), nullptr);
}

std::string GetTargetFolder() {
    std::string path;
    ReadStringSetting(HKEY_CURRENT_USER, kSharedSaveKey, kSavePathValue, path);
    if (path.empty()) ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kSavePathValue, path);
    if (path.empty()) path = kDefaultTargetFolder;
    return path;
}

void SetTargetFolder(const std::string& path) {
    if (path.empty()) return;
    std::string shared;
    ReadStringSetting(HKEY_CURRENT_USER, kSharedSaveKey, kSavePathValue, shared);
    const char* key = shared.empty() ? kSettingsKey : kSharedSaveKey;
    WriteStringSetting(HKEY_CURRENT_USER, key, kSavePathValue, path);
}

}  // namespace viewer
