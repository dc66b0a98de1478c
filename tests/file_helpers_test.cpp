// What the sources read from real files, and the shell's special folders, under Wine.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/disk_fixture.h"
#include "viewer/discovery/file_helpers.h"

namespace {

class FileHelpers : public DiskTest {};

TEST_F(FileHelpers, SignatureNeedsMoreThanThreeBytesOfFwsOrCws) {
    struct Case {
        const char* name;
        std::string bytes;
        bool movie;
    };
    const Case cases[] = {
        {"cws4", std::string("CWS\x0A", 4), true},
        {"fws", disk::Movie("FWS"), true},
        {"lower", std::string("fws\x09rest", 8), true},
        {"mixed", std::string("cWs\x09rest", 8), true},
        {"fws3", "FWS", false},
        {"cw0", std::string("CW\0\x0A", 4), false},
        {"zws", disk::Movie("ZWS"), false},
        {"gif", "GIF89a....", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        disk::WriteBytes(Path(c.name), c.bytes);
        EXPECT_EQ(viewer::HasSwfSignature(Path(c.name)), c.movie) << c.name;
    }
    EXPECT_FALSE(viewer::HasSwfSignature(Path("missing")));
    CreateDirectoryA(Path("FWSfolder").c_str(), nullptr);
    EXPECT_FALSE(viewer::HasSwfSignature(Path("FWSfolder")));
}

TEST_F(FileHelpers, SizeTextGroupsTheRealSize) {
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "1"}, {999, "999"}, {1000, "1 000"}, {1000000, "1 000 000"}};
    for (const auto& [size, text] : cases) {
        const std::string path = Path("s" + std::to_string(size));
        disk::WriteBytes(path, std::string(size, 'x'));
        EXPECT_EQ(viewer::SizeText(path), text);
    }
    disk::WriteBytes(Path("zero"), "");
    EXPECT_EQ(viewer::SizeText(Path("zero")), "");
    EXPECT_EQ(viewer::SizeText(Path("missing")), "");
    EXPECT_EQ(viewer::SizeText(root_), "");
}

TEST_F(FileHelpers, SizeTextOfAFileBeyond2GB) {
    // A sparse file of 3 000 000 000 bytes: beyond a signed 32-bit size.
    const std::string path = Path("big.swf");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 3000000000LL;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(viewer::SizeText(path), "3 000 000 000");
}

TEST_F(FileHelpers, CreationTimeReadsUtcFieldsAsLocalTime) {
    const std::string path = Path("clip.swf");
    disk::WriteBytes(path, disk::Movie());
    SYSTEMTIME utc{};
    utc.wYear = 2026;
    utc.wMonth = 7;
    utc.wDay = 1;
    utc.wHour = 10;
    disk::SetFileTimes(path, utc);
    base::Time64 time = 5;
    ASSERT_TRUE(viewer::FileCreationTime(path, time));
    // 10:00 UTC is taken as 10:00 local: the local breakdown shows the UTC clock.
    EXPECT_EQ(time, base::ComposeLocal({2026, 7, 1, 10, 0, 0}));
    const auto shown = base::BreakDownLocal(time);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->hour, 10);

    time = 5;
    EXPECT_FALSE(viewer::FileCreationTime(Path("missing.swf"), time));
    EXPECT_EQ(time, 5);
}

TEST(SpecialFolders, ShellAndFallbacks) {
    char expected[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, expected)));
    EXPECT_EQ(viewer::SpecialFolderPath(CSIDL_APPDATA), expected);
    EXPECT_FALSE(viewer::SpecialFolderPath(CSIDL_INTERNET_CACHE).empty());
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(base::EqualsNoCase(viewer::SpecialFolderPath(CSIDL_WINDOWS), windows));
    // Not a special folder at all: nobody answers.
    EXPECT_EQ(viewer::SpecialFolderPath(0x7E), "");

    EXPECT_EQ(viewer::ShellFoldersFallback(CSIDL_WINDOWS), windows);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(viewer::ShellFoldersFallback(CSIDL_SYSTEM), system);
    EXPECT_EQ(viewer::ShellFoldersFallback(CSIDL_INTERNET_CACHE), "");  // no fallback
}

TEST(SpecialFolders, RegistryFallbackReadsShellFolders) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                              nullptr),
              ERROR_SUCCESS);
    char old[MAX_PATH] = {};
    DWORD oldSize = sizeof(old), type = 0;
    const bool hadOld = RegQueryValueExA(h, "My Pictures", nullptr, &type,
                                         reinterpret_cast<BYTE*>(old), &oldSize) == ERROR_SUCCESS;
    const char test[] = "D:\\Pictures of test";
    RegSetValueExA(h, "My Pictures", 0, REG_SZ, reinterpret_cast<const BYTE*>(test), sizeof(test));
    EXPECT_EQ(viewer::ShellFoldersFallback(CSIDL_MYPICTURES), test);
    RegDeleteValueA(h, "My Pictures");
    EXPECT_EQ(viewer::ShellFoldersFallback(CSIDL_MYPICTURES), "");
    if (hadOld) RegSetValueExA(h, "My Pictures", 0, type, reinterpret_cast<BYTE*>(old), oldSize);
    RegCloseKey(h);
}

TEST(ProgramDrive, IsTheDriveOfTheProgramsOwnPath) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string drive = viewer::ProgramDrive();
    ASSERT_EQ(drive.size(), 3u);
    EXPECT_EQ(drive.substr(1), ":\\");
    EXPECT_EQ(drive[0], self[0]);
}

}  // namespace
