// Tests of the settings store run against the real registry of the test prefix. Each test
// starts with no Veltrano keys at all and can write raw values of any type and length.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "viewer/settings_store.h"

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano"); }

    static void MakeKey(const char* key) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &h, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }

    static bool KeyExists(const char* key) {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
        RegCloseKey(h);
        return true;
    }

    // Stores exactly these bytes with this type, creating the key when needed.
    static void PutRaw(const char* key, const char* name, DWORD type, const void* data,
                       DWORD size) {
        MakeKey(key);
        HKEY h = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_WRITE, &h), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }

    // Stores exactly these bytes as the registry keeps them (texts are UTF-16 there). Unlike
    // RegSetValueEx, which adds a zero to a text stored without one, the native call stores a
    // text unterminated, as another program or a damaged hive may have left it.
    static void PutStored(const char* key, const char* name, DWORD type, const void* data,
                          DWORD size) {
        struct CountedText {
            USHORT length, capacity;
            PWSTR text;
        };
        using SetValueKey = LONG(NTAPI*)(HANDLE, CountedText*, ULONG, ULONG, PVOID, ULONG);
        const auto setValue = reinterpret_cast<SetValueKey>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
        ASSERT_NE(setValue, nullptr);
        MakeKey(key);
        HKEY h = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
        std::wstring wide(name, name + std::strlen(name));  // ASCII names
        CountedText counted{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(wide.size() * sizeof(wchar_t)), wide.data()};
        EXPECT_EQ(setValue(h, &counted, 0, type, const_cast<void*>(data), size), 0);
        RegCloseKey(h);
    }

    static void PutString(const char* key, const char* name, const std::string& text) {
        PutRaw(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    struct Raw {
        LONG rc = ERROR_FILE_NOT_FOUND;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    static Raw GetRaw(const char* key, const char* name) {
        Raw raw;
        HKEY h = nullptr;
        raw.rc = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h);
        if (raw.rc != ERROR_SUCCESS) return raw;
        DWORD size = 0;
        raw.rc = RegQueryValueExA(h, name, nullptr, &raw.type, nullptr, &size);
        if (raw.rc == ERROR_SUCCESS) {
            raw.data.resize(size);
            raw.rc = RegQueryValueExA(h, name, nullptr, &raw.type, raw.data.data(), &size);
            raw.data.resize(size);
        }
        RegCloseKey(h);
        return raw;
    }
};
