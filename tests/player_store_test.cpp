// The player's settings under both roots, the framework profile with its recent-file list,
// and the ".swf" association, against the real registry of the test prefix.
#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "player/player_settings.h"
#include "player/shell/association.h"
#include "tests/player_fixture.h"
#include "win/app_profile.h"

namespace {

using player::PlayerSettings;
using playertest::PutDword;
using playertest::PutRaw;
using playertest::PutText;
using playertest::Stored;

constexpr char kSection[] = "Software\\Veltrano\\Tessaly\\Settings";

using PlayerSettingsTest = PlayerTest;

TEST_F(PlayerSettingsTest, ValuesOfTheWrongTypeOrLengthReadAsTheDefault) {
    const PlayerSettings settings;
    EXPECT_EQ(settings.Root(), HKEY_CURRENT_USER);
    EXPECT_EQ(settings.GetInt("Settings", "bgColor", 0xFFFFFF), 0xFFFFFF);  // no key at all
    PutText(HKEY_CURRENT_USER, kSection, "bgColor", "FF0000");
    PutDword(HKEY_CURRENT_USER, kSection, "ScaleMode", 3);
    PutRaw(HKEY_CURRENT_USER, kSection, "left", REG_DWORD, "\x05\x00", 2);    // 2 bytes
    PutRaw(HKEY_CURRENT_USER, kSection, "top", REG_BINARY, "\x05\0\0\0", 4);  // binary
    PutRaw(HKEY_CURRENT_USER, kSection, "right", REG_DWORD, "\x01\0\0\0\0\0\0\0", 8);
    PutDword(HKEY_CURRENT_USER, kSection, "bottom", 0xFFFFFFFF);
    PutText(HKEY_CURRENT_USER, kSection, "fits", std::string(1023, 'x'));
    PutText(HKEY_CURRENT_USER, kSection, "long", std::string(1024, 'x'));
    PutRaw(HKEY_CURRENT_USER, kSection, "expand", REG_EXPAND_SZ, "%TEMP%", 7);
    PutRaw(HKEY_CURRENT_USER, kSection, "empty", REG_SZ, "", 0);

    EXPECT_EQ(settings.GetInt("Settings", "bgColor", 0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(settings.GetString("Settings", "ScaleMode", "ExactFit"), "ExactFit");
    EXPECT_EQ(settings.GetInt("Settings", "left", 7), 7);
    EXPECT_EQ(settings.GetInt("Settings", "top", 7), 7);
    EXPECT_EQ(settings.GetInt("Settings", "right", 603), 603);
    EXPECT_EQ(settings.GetInt("Settings", "bottom", 537), -1);  // signed 32 bits
    EXPECT_EQ(settings.GetString("Settings", "fits", "d"), std::string(1023, 'x'));
    EXPECT_EQ(settings.GetString("Settings", "long", "d"), "d");
    EXPECT_EQ(settings.GetString("Settings", "expand", "d"), "%TEMP%");  // not expanded
    EXPECT_EQ(settings.GetString("Settings", "empty", "d"), "d");
}

TEST_F(PlayerSettingsTest, WritesCreateTheSectionAndStoreExactTypes) {
    const PlayerSettings settings;
    settings.WriteInt("Settings", "AutoReplay", 1);
    settings.WriteInt("Settings", "left", -4);
    settings.WriteString("Settings", "ScaleMode", "NoScale");
    settings.WriteString("Settings", "text", "\xD5\x5C");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kSection, "AutoReplay"), "dword:1");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kSection, "left"), "dword:4294967292");
    EXPECT_EQ(settings.GetInt("Settings", "left", 0), -4);
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kSection, "ScaleMode"), "sz:NoScale");
    EXPECT_EQ(settings.GetString("Settings", "text", ""), "\xD5\x5C");
    // The text's bytes and one terminating zero, nothing more.
    DWORD size = 0;
    RegGetValueA(HKEY_CURRENT_USER, kSection, "ScaleMode", RRF_RT_ANY, nullptr, nullptr, &size);
    EXPECT_EQ(size, 8u);
}

TEST_F(PlayerSettingsTest, AllUsersInstallMovesEveryValueToTheMachine) {
    const std::string machineKey = "Software\\Veltrano\\Tessaly";
    // Only a non-zero REG_DWORD counts.
    for (const auto& [type, bytes] :
         std::vector<std::pair<DWORD, std::string>>{{REG_DWORD, std::string("\0\0\0\0", 4)},
                                                    {REG_SZ, std::string("1\0", 2)},
                                                    {REG_BINARY, std::string("\1\0\0\0", 4)}}) {
        PutRaw(HKEY_LOCAL_MACHINE, machineKey, "AllUsersInstall", type, bytes.data(),
               static_cast<DWORD>(bytes.size()));
        EXPECT_EQ(PlayerSettings().Root(), HKEY_CURRENT_USER) << type;
    }
    PutDword(HKEY_LOCAL_MACHINE, machineKey, "AllUsersInstall", 1);
    const PlayerSettings settings;
    ASSERT_EQ(settings.Root(), HKEY_LOCAL_MACHINE);
    PutDword(HKEY_CURRENT_USER, kSection, "bgColor", 0x0000FF);
    EXPECT_EQ(settings.GetInt("Settings", "bgColor", 0xFFFFFF), 0xFFFFFF);
    settings.WriteInt("Settings", "bgColor", 0x00FF00);
    settings.WriteString("Settings", "ScaleMode", "ShowAll");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kSection, "bgColor"), "dword:65280");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kSection, "ScaleMode"), "sz:ShowAll");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kSection, "bgColor"), "dword:255");
    // The root was chosen once: the object keeps it when the installation changes.
    PutDword(HKEY_LOCAL_MACHINE, machineKey, "AllUsersInstall", 0);
    EXPECT_EQ(settings.GetInt("Settings", "bgColor", 0), 0x00FF00);

    // Start-up makes sure of the per-user key whatever the root, and writes nothing in it.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
    player::EnsureProductKey();
    EXPECT_TRUE(playertest::KeyExists(HKEY_CURRENT_USER, machineKey));
    EXPECT_FALSE(playertest::KeyExists(HKEY_CURRENT_USER, kSection));
}

TEST_F(PlayerSettingsTest, AWriteTheRegistryRefusesLeavesTheOldValueSilently) {
    PutDword(HKEY_CURRENT_USER, kSection, "AutoReplay", 0);
    // Everyone may read the section, nobody may set a value in it.
    EXPLICIT_ACCESSA readOnly{};
    char everyone[] = "EVERYONE";
    BuildExplicitAccessWithNameA(&readOnly, everyone, KEY_READ, SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(1, &readOnly, nullptr, &acl), ERROR_SUCCESS);
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, WRITE_DAC, &h), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    ASSERT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
    RegCloseKey(h);
    LocalFree(acl);
    HKEY probe = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
        RegCloseKey(probe);
        GTEST_SKIP() << "this registry does not enforce key security";
    }
    const PlayerSettings settings;
    settings.WriteInt("Settings", "AutoReplay", 1);
    EXPECT_EQ(settings.GetInt("Settings", "AutoReplay", 5), 0);
}

// --- the framework profile ------------------------------------------------------------------

TEST_F(PlayerSettingsTest, FrameworkProfileKeepsTheRecentFileListAndReadsOnlyIntegers) {
    const win::AppProfile profile("Veltrano", "HalvardTessaly");
    const std::string key = "Software\\Veltrano\\HalvardTessaly";
    EXPECT_EQ(profile.Key(), key);
    profile.WriteRecentFiles({"C:\\a.swf", "", "C:\\\xD5\x5C\\c.swf"}, 5);
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, key + "\\Recent File List", "File1"), "sz:C:\\a.swf");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, key + "\\Recent File List", "File2"), "<missing>");
    EXPECT_EQ(profile.ReadRecentFiles(5),
              (std::vector<std::string>{"C:\\a.swf", "", "C:\\\xD5\x5C\\c.swf", "", ""}));
    // A shorter list removes the entries it no longer has.
    profile.WriteRecentFiles({"C:\\z.swf"}, 5);
    EXPECT_EQ(profile.ReadRecentFiles(3), (std::vector<std::string>{"C:\\z.swf", "", ""}));

    PutText(HKEY_CURRENT_USER, key + "\\Settings", "PreviewPages", "2");
    EXPECT_EQ(profile.GetInt("Settings", "PreviewPages", 0), 0);
    PutDword(HKEY_CURRENT_USER, key + "\\Settings", "PreviewPages", 2);
    EXPECT_EQ(profile.GetInt("Settings", "PreviewPages", 0), 2);
    PutDword(HKEY_CURRENT_USER, key + "\\Recent File List", "File4", 4);  // wrong type
    EXPECT_EQ(profile.ReadRecentFiles(4)[3], "");
    // Without a key nothing is read or written.
    EXPECT_FALSE(win::AppProfile().WriteInt("Settings", "x", 1));
    EXPECT_EQ(win::AppProfile().GetInt("Settings", "PreviewPages", 9), 9);
}

// --- the association ------------------------------------------------------------------------

class Association : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        // A program file of the right name in a folder whose long name has a space.
        program_ = Path("Tessaly Player\\Tessaly.exe");
        disk::WriteBytes(program_, "MZ");
    }
    static std::string Classes(const char* key) { return Stored(HKEY_CLASSES_ROOT, key, nullptr); }
    static bool Has(const char* key) { return playertest::KeyExists(HKEY_CLASSES_ROOT, key); }
    static std::string ShortPath(const std::string& path) {
        char s[MAX_PATH] = {};
        GetShortPathNameA(path.c_str(), s, MAX_PATH);
        return s;
    }

    std::string program_;
};

TEST_F(Association, OnWritesTheTypeCommandIconAndExtensionThenOffRemovesThemAll) {
    player::RegisterAssociation(true, 1, program_);
    EXPECT_EQ(Classes("FlashMovie"), "sz:Flash \xD3\xB0\xC6\xAC");  // Flash 影片
    EXPECT_EQ(Classes("FlashMovie\\shell\\open\\command"), "sz:" + ShortPath(program_) + " \"%1\"");
    EXPECT_EQ(Classes("FlashMovie\\DefaultIcon"), "sz:" + program_ + ",0");
    EXPECT_EQ(Classes(".swf"), "sz:FlashMovie");
    EXPECT_TRUE(player::IsAssociated());

    // The light icon is the file beside the program, even while it is missing there.
    player::RegisterAssociation(true, 2, program_);
    EXPECT_EQ(Classes("FlashMovie\\DefaultIcon"), "sz:" + Path("Tessaly Player\\TessalyLight.ico"));
    // Kind 0 leaves the icon alone.
    player::RegisterAssociation(true, 0, program_);
    EXPECT_EQ(Classes("FlashMovie\\DefaultIcon"), "sz:" + Path("Tessaly Player\\TessalyLight.ico"));

    // Off: every key goes, values in them do not keep them, ".swf\ShellNew" goes first.
    PutText(HKEY_CLASSES_ROOT, "FlashMovie\\shell\\print\\command", nullptr, "p");
    PutText(HKEY_CLASSES_ROOT, "FlashMovie\\shell", "note", "a value");
    PutText(HKEY_CLASSES_ROOT, ".swf\\ShellNew", "NullFile", "");
    player::RegisterAssociation(false, 1, program_);
    EXPECT_FALSE(Has("FlashMovie"));
    EXPECT_FALSE(Has(".swf"));
    EXPECT_FALSE(player::IsAssociated());
}

TEST_F(Association, AnotherProgramsExtensionAndSubkeysAreLeftInPlace) {
    PutText(HKEY_CLASSES_ROOT, ".swf", nullptr, "ShockwaveFlash.ShockwaveFlash");
    PutText(HKEY_CLASSES_ROOT, "FlashMovie\\shell\\edit\\command", nullptr, "editor \"%1\"");
    player::RegisterAssociation(true, 1, program_);
    EXPECT_EQ(Classes(".swf"), "sz:ShockwaveFlash.ShockwaveFlash");
    // Only the command of "FlashMovie" is read: the menu shows the association as in place.
    EXPECT_TRUE(player::IsAssociated());

    player::RegisterAssociation(false, 1, program_);
    EXPECT_EQ(Classes(".swf"), "sz:ShockwaveFlash.ShockwaveFlash");
    EXPECT_FALSE(Has("FlashMovie\\shell\\open"));
    EXPECT_FALSE(Has("FlashMovie\\DefaultIcon"));
    // The walk up stops at the first parent that still has a subkey.
    EXPECT_EQ(Classes("FlashMovie\\shell\\edit\\command"), "sz:editor \"%1\"");
    EXPECT_EQ(Classes("FlashMovie"), "sz:Flash \xD3\xB0\xC6\xAC");
    EXPECT_FALSE(player::IsAssociated());
}

TEST_F(Association, RecognisesTessalyInEveryFormOfTheCommand) {
    const std::string longForm = program_;
    const std::string shortForm = ShortPath(program_);
    std::string upper = longForm;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const struct {
        std::string command;
        bool associated;
    } cases[] = {
        {shortForm + " \"%1\"", true},
        {"\"" + longForm + "\" \"%1\"", true},
        {"\"" + upper + "\"", true},
        {longForm, true},
        {"\"" + Path("Other\\Player.exe") + "\" \"%1\"", false},
        {"", false},
    };
    for (const auto& c : cases) {
        PutText(HKEY_CLASSES_ROOT, "FlashMovie\\shell\\open\\command", nullptr, c.command);
        EXPECT_EQ(player::IsAssociated(), c.associated) << c.command;
    }
    // An expandable text counts as well; a number does not.
    const std::string text = "\"" + longForm + "\" \"%1\"";
    PutRaw(HKEY_CLASSES_ROOT, "FlashMovie\\shell\\open\\command", nullptr, REG_EXPAND_SZ,
           text.c_str(), static_cast<DWORD>(text.size() + 1));
    EXPECT_TRUE(player::IsAssociated());
    PutDword(HKEY_CLASSES_ROOT, "FlashMovie\\shell\\open\\command", nullptr, 1);
    EXPECT_FALSE(player::IsAssociated());
}

TEST_F(Association, EveryChangeIsAnnouncedToTheShell) {
    // The shell may send its notices rather than post them: a window procedure counts them.
    static int notices = 0;
    constexpr UINT kNotice = WM_APP + 7;
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNotice) ++notices;
        return DefWindowProcA(w, m, wp, lp);
    };
    wc.lpszClassName = "PlayerTestsNoticeCounter";
    RegisterClassA(&wc);
    struct Window {
        HWND hwnd = CreateWindowExA(0, "PlayerTestsNoticeCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, nullptr, nullptr);
        ~Window() { DestroyWindow(hwnd); }
    } window;
    SHChangeNotifyEntry entry{nullptr, TRUE};
    const ULONG id = SHChangeNotifyRegister(window.hwnd, SHCNRF_ShellLevel, SHCNE_ASSOCCHANGED,
                                            kNotice, 1, &entry);
    ASSERT_NE(id, 0u);
    auto count = [&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return std::exchange(notices, 0);
    };
    count();
    player::RegisterAssociation(true, 1, program_);
    EXPECT_EQ(count(), 1);
    player::RegisterAssociation(false, 1, program_);
    EXPECT_EQ(count(), 1);
    SHChangeNotifyDeregister(id);
}

}  // namespace
