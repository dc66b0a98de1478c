// The player's tests run against the registry, files and windows of the test prefix. Each
// test starts without any of the player's keys (its settings under both roots, the framework
// profile, the association in HKEY_CLASSES_ROOT, Explorer's per-user choice) and with a
// fresh folder of its own; both are removed again afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/disk_fixture.h"

namespace playertest {

inline constexpr char kExplorerSwfKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.swf";

inline void ForgetPlayerKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veltrano");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "FlashMovie");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".swf");
    RegDeleteTreeA(HKEY_CURRENT_USER, kExplorerSwfKey);
}

inline bool KeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// Stores exactly these bytes with this type, creating the key when needed; name null is the
// key's default value.
inline void PutRaw(HKEY root, const std::string& key, const char* name, DWORD type,
                   const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
        ERROR_SUCCESS)
        << key;
    EXPECT_EQ(RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(h);
}
inline void PutText(HKEY root, const std::string& key, const char* name, const std::string& text) {
    PutRaw(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}
inline void PutDword(HKEY root, const std::string& key, const char* name, DWORD value) {
    PutRaw(root, key, name, REG_DWORD, &value, sizeof value);
}

// The value as stored: "<missing>" when it cannot be read, else its bytes (a text without
// its terminating zero) with "sz:" or "dword:" in front.
inline std::string Stored(HKEY root, const std::string& key, const char* name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "<missing>";
    DWORD type = REG_NONE, size = 0;
    std::string data;
    LONG rc = RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data.resize(size);
        rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) return "<missing>";
    if (type == REG_DWORD && data.size() == 4) {
        DWORD v = 0;
        memcpy(&v, data.data(), 4);
        return "dword:" + std::to_string(v);
    }
    if (type == REG_SZ) return "sz:" + std::string(data.c_str());
    return "type" + std::to_string(type);
}

}  // namespace playertest

// A fresh folder (DiskTest) and none of the player's keys.
class PlayerTest : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        playertest::ForgetPlayerKeys();
    }
    void TearDown() override {
        playertest::ForgetPlayerKeys();
        DiskTest::TearDown();
    }
};

namespace playertest {

// The expected text in the active ANSI code page, converted by the system from UTF-8.
inline std::string Ansi(const char* utf8) {
    const int wn = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), wn);
    const int an = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(an), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), an, nullptr, nullptr);
    return std::string(ansi.c_str());
}

}  // namespace playertest
