// Real files and folders for the discovery tests: a fresh folder per test under the temporary
// folder of the test prefix, removed again afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/file_tree.h"

namespace disk {

inline void RemoveTree(const std::string& folder) {
    filetree::RemoveTree(folder);
}
inline void MakeFolders(const std::string& path) {
    filetree::MakeFolders(path);
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(filetree::WriteFileBytes(path, bytes)) << path;
}

// Moravel reads a creation time's UTC clock as local time, so a file made in the first hours
// after local midnight would count as made yesterday. This stamps the file with the current
// local clock as its UTC creation time: the program then reads it as made now, whatever the
// hour the test runs at.
inline void MarkCreatedNow(const std::string& path) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME stamp{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &stamp));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    // Wine on a Linux file system takes a file's creation time from its modification time.
    EXPECT_TRUE(SetFileTime(file, &stamp, nullptr, &stamp)) << path;
    CloseHandle(file);
}

// A file's bytes, or "<missing>" when it cannot be opened.
inline std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// A small uncompressed or compressed movie header followed by padding up to size bytes: all
// the sources look at is the signature and the size.
inline std::string Movie(const char* signature = "FWS", std::size_t size = 64) {
    std::string bytes(signature, 3);
    bytes += '\x0A';  // version 10
    const std::uint32_t length = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((length >> (8 * i)) & 0xFF);
    bytes += std::string("\x50\x00\x02\x58\x00\x00\x96\x00\x00\x0C\x01\x00", 12);
    if (bytes.size() < size) bytes.resize(size, '\0');
    return bytes.substr(0, size);
}

// Sets all three times: Wine on a Linux file system cannot store a creation time of its own
// and reports the earliest of the file's times instead.
inline void SetFileTimes(const std::string& path, const SYSTEMTIME& utc) {
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, &ft, &ft, &ft));
    CloseHandle(file);
}

}  // namespace disk

// A fresh folder for each test, and no Veltrano settings.
class DiskTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        root_ =
            std::string(temp) + "moravel-tests\\" + info->test_suite_name() + "." + info->name();
        for (char& c : root_) {
            if (c == '/') c = '_';
        }
        disk::RemoveTree(root_);
        disk::MakeFolders(root_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Veltrano\\Moravel", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &settings_, nullptr);
    }
    void TearDown() override {
        RegCloseKey(settings_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
        disk::RemoveTree(root_);
    }

    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }

    void SetSetting(const char* name, const std::string& text) {
        RegSetValueExA(settings_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }

    std::string root_;
    HKEY settings_ = nullptr;
};
