// The viewer's settings store against Wine's real registry.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "tests/registry_fixture.h"
#include "viewer/stored_date.h"

namespace {

using viewer::kSettingsKey;
using viewer::kSharedSaveKey;

const HKEY kUser = HKEY_CURRENT_USER;

// --- DWORD values ------------------------------------------------------------------------

class DwordSetting : public RegistryTest {};

TEST_F(DwordSetting, ReadsAFourByteDword) {
    const DWORD stored = 134;
    PutRaw(kSettingsKey, "source", REG_DWORD, &stored, 4);
    DWORD value = 135;
    EXPECT_EQ(viewer::ReadDwordSetting(kUser, kSettingsKey, "source", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 134u);
}

TEST_F(DwordSetting, EveryFailureKeepsTheCallersDefault) {
    struct Case {
        const char* what;
        DWORD type;
        const char* data;
        DWORD size;
        LONG rc;
    };
    const Case cases[] = {
        {"text", REG_SZ, "134", 4, ERROR_INVALID_DATA},
        {"binary", REG_BINARY, "\x86\0\0\0", 4, ERROR_INVALID_DATA},
        {"short dword", REG_DWORD, "\x86\0", 2, ERROR_INVALID_DATA},
        {"long dword", REG_DWORD, "\x86\0\0\0\0\0\0\0", 8, ERROR_MORE_DATA},
    };
    for (const Case& c : cases) {
        PutRaw(kSettingsKey, "source", c.type, c.data, c.size);
        DWORD value = 135;
        EXPECT_EQ(viewer::ReadDwordSetting(kUser, kSettingsKey, "source", value), c.rc) << c.what;
        EXPECT_EQ(value, 135u) << c.what;
    }
    DWORD value = 135;
    EXPECT_EQ(viewer::ReadDwordSetting(kUser, kSettingsKey, "missing", value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(viewer::ReadDwordSetting(kUser, "Software\\Veltrano\\Nothing", "source", value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 135u);
}

TEST_F(DwordSetting, WriteStoresADwordButNeverCreatesTheKey) {
    EXPECT_NE(viewer::WriteDwordSetting(kUser, kSettingsKey, "source", 136), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(kSettingsKey));

    MakeKey(kSettingsKey);
    EXPECT_EQ(viewer::WriteDwordSetting(kUser, kSettingsKey, "source", 136), ERROR_SUCCESS);
    const Raw raw = GetRaw(kSettingsKey, "source");
    ASSERT_EQ(raw.rc, ERROR_SUCCESS);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(raw.data.size(), 4u);
    DWORD stored = 0;
    std::memcpy(&stored, raw.data.data(), 4);
    EXPECT_EQ(stored, 136u);
}

// --- text values -------------------------------------------------------------------------

class StringSetting : public RegistryTest {
protected:
    LONG Read(std::string& value) {
        return viewer::ReadStringSetting(kUser, kSettingsKey, "siteFilter", value);
    }
};

TEST_F(StringSetting, ReadsPlainAndExpandableTextAsStored) {
    PutString(kSettingsKey, "siteFilter", "games.example.com");
    std::string value = "所有站点";
    EXPECT_EQ(Read(value), ERROR_SUCCESS);
    EXPECT_EQ(value, "games.example.com");

    const char expandable[] = "%TEMP%\\movies";
    PutRaw(kSettingsKey, "siteFilter", REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ(Read(value), ERROR_SUCCESS);
    EXPECT_EQ(value, "%TEMP%\\movies");

    PutString(kSettingsKey, "siteFilter", "");
    EXPECT_EQ(Read(value), ERROR_SUCCESS);
    EXPECT_EQ(value, "");
}

TEST_F(StringSetting, GbkTextSurvivesTheRoundTrip) {
    MakeKey(kSettingsKey);
    // D:\誠\語 with trail bytes '\' and 'Z', as the code page 936 system stores it.
    const std::string folder = "D:\\\xD5\x5C\\\xD5\x5A";
    ASSERT_EQ(viewer::WriteStringSetting(kUser, kSettingsKey, "CurrViewFolder", folder),
              ERROR_SUCCESS);
    std::string value;
    EXPECT_EQ(viewer::ReadStringSetting(kUser, kSettingsKey, "CurrViewFolder", value),
              ERROR_SUCCESS);
    EXPECT_EQ(value, folder);
}

TEST_F(StringSetting, WrongTypesAndUnterminatedDataKeepTheDefault) {
    const DWORD number = 7;
    const char unterminated[] = {'a', 'b', 'c'};
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {"dword", REG_DWORD, &number, 4},
        {"binary text", REG_BINARY, "abc", 4},
        {"multi-string", REG_MULTI_SZ, "a\0b\0", 5},
        {"binary without terminator", REG_BINARY, unterminated, 3},
    };
    for (const Case& c : cases) {
        PutRaw(kSettingsKey, "siteFilter", c.type, c.data, c.size);
        std::string value = "default";
        EXPECT_EQ(Read(value), ERROR_INVALID_DATA) << c.what;
        EXPECT_EQ(value, "default") << c.what;
    }
}

TEST_F(StringSetting, ATextStoredWithoutTerminatorIsRefused) {
    // RegSetValueEx would have added the missing zero, so the data is stored as it is. The ANSI
    // reading then puts a zero after the text without counting it: only the check of the
    // data's own last byte refuses the value. 誠 (U+8AA0, D5 5C) ends in a byte equal to '\'.
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    const wchar_t cheng[] = {L'\x8AA0'};
    const wchar_t terminated[] = {L'a', L'b', L'c', L'\0'};
    struct Case {
        const wchar_t* data;
        DWORD size;
        LONG rc;
        const char* value;
    };
    const Case cases[] = {
        {unterminated, sizeof unterminated, ERROR_INVALID_DATA, "default"},
        {cheng, sizeof cheng, ERROR_INVALID_DATA, "default"},
        {terminated, 0, ERROR_INVALID_DATA, "default"},
        {terminated, sizeof terminated, ERROR_SUCCESS, "abc"},
    };
    for (const Case& c : cases) {
        PutStored(kSettingsKey, "siteFilter", REG_SZ, c.data, c.size);
        std::string value = "default";
        EXPECT_EQ(Read(value), c.rc) << c.size;
        EXPECT_EQ(value, c.value) << c.size;
    }
}

TEST_F(StringSetting, TextsOf1024BytesOrMoreReadAsMissing) {
    const std::string fits(1022, 'x');     // 1023 bytes with the terminator
    const std::string tooLong(1023, 'y');  // 1024 bytes with the terminator
    const std::string wayTooLong(5000, 'z');

    PutString(kSettingsKey, "siteFilter", fits);
    std::string value = "default";
    EXPECT_EQ(Read(value), ERROR_SUCCESS);
    EXPECT_EQ(value, fits);

    for (const std::string& text : {tooLong, wayTooLong}) {
        PutString(kSettingsKey, "siteFilter", text);
        value = "default";
        EXPECT_EQ(Read(value), ERROR_MORE_DATA) << text.size();
        EXPECT_EQ(value, "default");
    }
}

TEST_F(StringSetting, WriteStoresTextPlusTerminatorAndNeverCreatesTheKey) {
    EXPECT_NE(viewer::WriteStringSetting(kUser, kSettingsKey, "dateFilter", "今天"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(kSettingsKey));

    MakeKey(kSettingsKey);
    ASSERT_EQ(viewer::WriteStringSetting(kUser, kSettingsKey, "dateFilter", "abc"), ERROR_SUCCESS);
    const Raw raw = GetRaw(kSettingsKey, "dateFilter");
    ASSERT_EQ(raw.rc, ERROR_SUCCESS);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(raw.data.begin(), raw.data.end()), std::string("abc", 4));
}

// --- dates -------------------------------------------------------------------------------

class DateSetting : public RegistryTest {
protected:
    LONG Read(base::Time64& value) {
        return viewer::ReadDateSetting(kUser, kSettingsKey, "exactDate", value);
    }
};

TEST_F(DateSetting, RoundTripsWholeSeconds) {
    MakeKey(kSettingsKey);
    for (base::Time64 t :
         {base::Time64{1782900000}, base::Time64{1768474800}, base::Time64{951865199}}) {
        ASSERT_EQ(viewer::WriteDateSetting(kUser, kSettingsKey, "exactDate", t), ERROR_SUCCESS);
        base::Time64 value = 0;
        EXPECT_EQ(Read(value), ERROR_SUCCESS);
        EXPECT_EQ(value, t);
    }
}

TEST_F(DateSetting, WritesTwelveBytesOfLocalFields) {
    MakeKey(kSettingsKey);
    const base::Time64 t = 1782900000;  // 2026-07-01 10:00:00 UTC
    ASSERT_EQ(viewer::WriteDateSetting(kUser, kSettingsKey, "startDate", t), ERROR_SUCCESS);
    const Raw raw = GetRaw(kSettingsKey, "startDate");
    ASSERT_EQ(raw.rc, ERROR_SUCCESS);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(raw.data.size(), 12u);
    const auto local = base::BreakDownLocal(t);
    ASSERT_TRUE(local.has_value());
    const BYTE expected[12] = {
        static_cast<BYTE>(local->hour), 0, 0, 0, 0, 0, 0xEA, 0x07, 7, 0, 1, 0};
    EXPECT_EQ(std::vector<BYTE>(raw.data.begin(), raw.data.end()),
              std::vector<BYTE>(expected, expected + 12));
}

TEST_F(DateSetting, BreakdownFailureWritesTheMarker) {
    MakeKey(kSettingsKey);
    ASSERT_EQ(viewer::WriteDateSetting(kUser, kSettingsKey, "endDate",
                                       std::numeric_limits<base::Time64>::max()),
              ERROR_SUCCESS);
    const Raw raw = GetRaw(kSettingsKey, "endDate");
    const std::vector<BYTE> marker = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(raw.data, marker);
    base::Time64 value = 77;
    EXPECT_EQ(viewer::ReadDateSetting(kUser, kSettingsKey, "endDate", value), ERROR_INVALID_DATA);
    EXPECT_EQ(value, 77);
}

TEST_F(DateSetting, SixBytesTakeTheDayFromToday) {
    const WORD timeOfDay[3] = {10, 20, 30};
    PutRaw(kSettingsKey, "exactDate", REG_BINARY, timeOfDay, 6);
    const auto before = base::BreakDownLocal(base::Now());
    base::Time64 value = 0;
    ASSERT_EQ(Read(value), ERROR_SUCCESS);
    const auto after = base::BreakDownLocal(base::Now());
    const auto got = base::BreakDownLocal(value);
    ASSERT_TRUE(before && after && got);
    EXPECT_EQ(got->hour, 10);
    EXPECT_EQ(got->minute, 20);
    EXPECT_EQ(got->second, 30);
    // The read happened between the two looks at the clock, even across midnight.
    const bool sameDayAsBefore =
        got->year == before->year && got->month == before->month && got->day == before->day;
    const bool sameDayAsAfter =
        got->year == after->year && got->month == after->month && got->day == after->day;
    EXPECT_TRUE(sameDayAsBefore || sameDayAsAfter);
}

TEST_F(DateSetting, UnreadableValuesKeepTheDefault) {
    auto bytes = [](viewer::StoredDate d) { return viewer::PackStoredDate(d); };
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        LONG rc;
    };
    const auto valid = bytes({12, 0, 0, 2026, 7, 1});
    std::vector<BYTE> twenty(valid.begin(), valid.end());
    twenty.resize(20, 0);
    const Case cases[] = {
        {"text", REG_SZ, {'1', '2', 0}, ERROR_INVALID_DATA},
        {"dword", REG_DWORD, {1, 0, 0, 0}, ERROR_INVALID_DATA},
        {"20 bytes", REG_BINARY, twenty, ERROR_MORE_DATA},
        {"month 13", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xEA, 0x07, 13, 0, 1, 0}, ERROR_INVALID_DATA},
        {"day 0", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xEA, 0x07, 1, 0, 0, 0}, ERROR_INVALID_DATA},
        {"year 1800", REG_BINARY, {0, 0, 0, 0, 0, 0, 0x08, 0x07, 1, 0, 1, 0}, ERROR_INVALID_DATA},
        {"31 April", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xEA, 0x07, 4, 0, 31, 0}, ERROR_INVALID_DATA},
        {"hour 24", REG_BINARY, {24, 0, 0, 0, 0, 0, 0xEA, 0x07, 1, 0, 1, 0}, ERROR_INVALID_DATA},
    };
    for (const Case& c : cases) {
        PutRaw(kSettingsKey, "exactDate", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        base::Time64 value = 1234567;
        EXPECT_EQ(Read(value), c.rc) << c.what;
        EXPECT_EQ(value, 1234567) << c.what;
    }
    base::Time64 value = 1234567;
    EXPECT_EQ(viewer::ReadDateSetting(kUser, kSettingsKey, "startDate", value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 1234567);
}

// --- the settings key --------------------------------------------------------------------

class SettingsKey : public RegistryTest {};

TEST_F(SettingsKey, EnsureCreatesAnEmptyKeyOnce) {
    ASSERT_FALSE(KeyExists(kSettingsKey));
    EXPECT_EQ(viewer::EnsureSettingsKey(), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(kSettingsKey));
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(kUser, kSettingsKey, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD values = 99;
    EXPECT_EQ(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(values, 0u);

    // An existing key keeps its values.
    PutString(kSettingsKey, "siteFilter", "games");
    EXPECT_EQ(viewer::EnsureSettingsKey(), ERROR_SUCCESS);
    std::string value;
    EXPECT_EQ(viewer::ReadStringSetting(kUser, kSettingsKey, "siteFilter", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "games");
}

// --- the target folder -------------------------------------------------------------------

class TargetFolder : public RegistryTest {
protected:
    std::string Stored(const char* key) {
        std::string value = "<none>";
        viewer::ReadStringSetting(kUser, key, "SavePath", value);
        return value;
    }
};

TEST_F(TargetFolder, DefaultsToDriveCWhenNeitherKeyHasOne) {
    EXPECT_EQ(viewer::GetTargetFolder(), "C:");
    viewer::EnsureSettingsKey();
    MakeKey(kSharedSaveKey);
    EXPECT_EQ(viewer::GetTargetFolder(), "C:");
    PutString(kSharedSaveKey, "SavePath", "");
    PutString(kSettingsKey, "SavePath", "");
    EXPECT_EQ(viewer::GetTargetFolder(), "C:");
}

TEST_F(TargetFolder, SharedKeyWinsWhenItHoldsAFolder) {
    PutString(kSettingsKey, "SavePath", "D:\\Own\\");
    EXPECT_EQ(viewer::GetTargetFolder(), "D:\\Own\\");  // taken as it stands
    PutString(kSharedSaveKey, "SavePath", "");
    EXPECT_EQ(viewer::GetTargetFolder(), "D:\\Own\\");
    PutString(kSharedSaveKey, "SavePath", "D:\\Movies");
    EXPECT_EQ(viewer::GetTargetFolder(), "D:\\Movies");
}

TEST_F(TargetFolder, ChoiceGoesToTheOwnKeyUnlessTheSharedOneHoldsAFolder) {
    viewer::EnsureSettingsKey();
    viewer::SetTargetFolder("E:\\Keep");
    EXPECT_EQ(Stored(kSettingsKey), "E:\\Keep");
    EXPECT_FALSE(KeyExists(kSharedSaveKey));  // never created by a write

    PutString(kSharedSaveKey, "SavePath", "");
    viewer::SetTargetFolder("E:\\Second");
    EXPECT_EQ(Stored(kSettingsKey), "E:\\Second");
    EXPECT_EQ(Stored(kSharedSaveKey), "");

    PutString(kSharedSaveKey, "SavePath", "D:\\Movies");
    viewer::SetTargetFolder("E:\\Third");
    EXPECT_EQ(Stored(kSharedSaveKey), "E:\\Third");
    EXPECT_EQ(Stored(kSettingsKey), "E:\\Second");
    EXPECT_EQ(viewer::GetTargetFolder(), "E:\\Third");
}

TEST_F(TargetFolder, AnEmptyChoiceWritesNothing) {
    viewer::EnsureSettingsKey();
    PutString(kSettingsKey, "SavePath", "D:\\Own");
    viewer::SetTargetFolder("");
    EXPECT_EQ(Stored(kSettingsKey), "D:\\Own");
}

}  // namespace
