// Tessaly's own settings: values in sections of the product key "Software\Veltrano\Tessaly",
// under HKEY_LOCAL_MACHINE when the installation says so ("AllUsersInstall"), otherwise under
// HKEY_CURRENT_USER. Every access opens the key, reads or writes one value and closes it;
// nothing is cached, so every read sees what is stored now. No operation reports a failure:
// a read that fails gives the caller's default, a write that fails leaves the old value.
#pragma once

#include <windows.h>

#include <string>

namespace player {

inline constexpr char kProductKey[] = "Software\\Veltrano\\Tessaly";
inline constexpr char kAllUsersInstallValue[] = "AllUsersInstall";
inline constexpr char kSettings[] = "Settings";

// Values of the section "Settings".
inline constexpr char kLeftValue[] = "left";
inline constexpr char kTopValue[] = "top";
inline constexpr char kRightValue[] = "right";
inline constexpr char kBottomValue[] = "bottom";
inline constexpr char kMaxValue[] = "max";
inline constexpr char kClickPauseValue[] = "clickPause";
inline constexpr char kAutoReplayValue[] = "AutoReplay";
inline constexpr char kScaleModeValue[] = "ScaleMode";
inline constexpr char kBgColorValue[] = "bgColor";
inline constexpr char kIconValue[] = "icon";

inline constexpr char kDefaultScaleMode[] = "ExactFit";
inline constexpr int kDefaultBgColor = 0xFFFFFF;

// Texts are read through a buffer of this many bytes, terminator included.
inline constexpr DWORD kSettingTextBuffer = 1024;

class PlayerSettings {
public:
    // Chooses the root once: HKEY_LOCAL_MACHINE when its product key holds "AllUsersInstall"
    // as a non-zero REG_DWORD, else HKEY_CURRENT_USER.
    explicit PlayerSettings(std::string key = kProductKey);

    HKEY Root() const { return root_; }
    const std::string& Key() const { return key_; }

    // A REG_DWORD of exactly 4 bytes, as a signed number; anything else gives fallback.
    int GetInt(const char* section, const char* name, int fallback) const;
    // A REG_SZ or REG_EXPAND_SZ (not expanded) that fits the 1024-byte buffer with its
    // terminating zero; anything else gives fallback.
    std::string GetString(const char* section, const char* name, const std::string& fallback) const;
    // Create the section's key when it is missing (an existing key is not changed), then
    // store a REG_DWORD of 4 bytes, or a REG_SZ of the text and its terminating zero.
    void WriteInt(const char* section, const char* name, int value) const;
    void WriteString(const char* section, const char* name, const std::string& text) const;

private:
    std::string SectionKey(const char* section) const { return key_ + "\\" + section; }
    void Write(const char* section, const char* name, DWORD type, const void* data,
               DWORD size) const;

    std::string key_;
    HKEY root_ = HKEY_CURRENT_USER;
};

// Start-up: the product key exists under HKEY_CURRENT_USER afterwards (created empty when it
// could not be opened for reading), whatever the root.
void EnsureProductKey();

}  // namespace player
