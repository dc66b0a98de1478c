#include "player/player_settings.h"

#include "win/unique_handle.h"

namespace player {
namespace {

bool QueryValue(HKEY root, const std::string& key, const char* name, DWORD& type, void* buffer,
                DWORD& size) {
    win::UniqueHkey hkey;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS) return false;
    return RegQueryValueExA(hkey.get(), name, nullptr, &type, static_cast<BYTE*>(buffer), &size) ==
           ERROR_SUCCESS;
}

}  // namespace

PlayerSettings::PlayerSettings(std::string key) : key_(std::move(key)) {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (QueryValue(HKEY_LOCAL_MACHINE, key_, kAllUsersInstallValue, type, &value, size) &&
        type == REG_DWORD && size == sizeof value && value != 0)
        root_ = HKEY_LOCAL_MACHINE;
}

int PlayerSettings::GetInt(const char* section, const char* name, int fallback) const {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    // A shorter REG_DWORD would leave part of the number undefined: it reads as missing.
    if (!QueryValue(root_, SectionKey(section), name, type, &value, size) || type != REG_DWORD ||
        size != sizeof value)
        return fallback;
    return static_cast<int>(value);
}

std::string PlayerSettings::GetString(const char* section, const char* name,
                                      const std::string& fallback) const {
    char buffer[kSettingTextBuffer];
    DWORD size = sizeof buffer;
    DWORD type = REG_NONE;
    if (!QueryValue(root_, SectionKey(section), name, type, buffer, size) ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > sizeof buffer ||
        buffer[size - 1] != '\0')
        return fallback;
    return std::string(buffer);
}

void PlayerSettings::Write(const char* section, const char* name, DWORD type, const void* data,
                           DWORD size) const {
    const std::string key = SectionKey(section);
    win::UniqueHkey hkey;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS &&
        RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, hkey.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    hkey.reset();
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_WRITE, hkey.put()) != ERROR_SUCCESS) return;
    RegSetValueExA(hkey.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

void PlayerSettings::WriteInt(const char* section, const char* name, int value) const {
    const DWORD data = static_cast<DWORD>(value);
    Write(section, name, REG_DWORD, &data, sizeof data);
}

void PlayerSettings::WriteString(const char* section, const char* name,
                                 const std::string& text) const {
    Write(section, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void EnsureProductKey() {
    win::UniqueHkey hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, hkey.put()) == ERROR_SUCCESS)
        return;
    RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_READ | KEY_WRITE, nullptr, hkey.put(), nullptr);
}

}  // namespace player
