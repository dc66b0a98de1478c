// Saving, external view, opening the target folder and deleting, against the real files,
// registry, URL cache, shell and common dialogs of the Wine prefix. The modal dialogs are
// driven from a helper thread the way a user would: find the dialog, type, press a button.
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/dialog_driver.h"
#include "tests/disk_fixture.h"
#include "tests/shell_open_fixture.h"
#include "tests/url_cache_fixture.h"
#include "viewer/actions/movie_actions.h"
#include "viewer/actions/save_names.h"
#include "viewer/settings_store.h"
#include "win/ansi_wide.h"

namespace {

// Test texts are UTF-8 here; the program sees them in its ANSI code page.
std::string Ansi(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return win::AnsiFromWide(wide);
}

using disk::ReadAll;

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in a folder, files and folders alike.
std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Answers the save-as dialog from a script and records what saving asked and reported.
class ScriptedUi : public viewer::SaveUi {
public:
    std::vector<std::optional<std::string>> answers;
    struct Question {
        std::string name, folder;
    };
    std::vector<Question> questions;
    std::vector<std::string> failures;

    std::optional<std::string> AskSavePath(const std::string& name,
                                           const std::string& initialFolder) override {
        questions.push_back({name, initialFolder});
        if (questions.size() > answers.size()) return std::nullopt;
        return answers[questions.size() - 1];
    }
    void ReportSaveFailure(const std::string& base) override { failures.push_back(base); }
};

class MovieActions : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        target_ = Path("target");
        disk::MakeFolders(target_);
        SetSetting("SavePath", target_);
    }

    // A movie file found by a scan, with the display name it is saved under.
    viewer::MovieRecord Movie(const std::string& name, const std::string& content,
                              std::int32_t id = 1) {
        viewer::MovieRecord record;
        record.localPath = Path("cache\\" + std::to_string(id) + "\\" + name + "[1].swf");
        record.name = name;
        record.id = id;
        disk::WriteBytes(record.localPath, content);
        return record;
    }

    std::string target_;
    ScriptedUi ui_;
};

TEST_F(MovieActions, SaveTakesTheFirstNameNeitherFileNorFolderHolds) {
    disk::WriteBytes(target_ + "\\clip.swf", "old 0");
    CreateDirectoryA((target_ + "\\clip01.swf").c_str(), nullptr);
    disk::WriteBytes(target_ + "\\clip03.swf", "old 3");

    EXPECT_TRUE(viewer::SaveMovie(Movie("clip", "new A"), false, ui_));
    EXPECT_TRUE(viewer::SaveMovie(Movie("clip", "new B"), false, ui_));
    EXPECT_TRUE(viewer::SaveMovie(Movie("clip", "new C"), false, ui_));

    EXPECT_EQ(ReadAll(target_ + "\\clip.swf"), "old 0");
    EXPECT_TRUE(IsFolder(target_ + "\\clip01.swf"));
    EXPECT_EQ(ReadAll(target_ + "\\clip02.swf"), "new A");
    EXPECT_EQ(ReadAll(target_ + "\\clip03.swf"), "old 3");
    EXPECT_EQ(ReadAll(target_ + "\\clip04.swf"), "new B");
    EXPECT_EQ(ReadAll(target_ + "\\clip05.swf"), "new C");
    EXPECT_TRUE(ui_.failures.empty());
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(MovieActions, HundredEarlierCopiesLeadToClip100) {
    for (int n = 0; n < 100; ++n)
        disk::WriteBytes(viewer::SaveCandidate(target_, "clip", n), "old " + std::to_string(n));
    EXPECT_TRUE(viewer::SaveMovie(Movie("clip", "newest"), false, ui_));
    EXPECT_EQ(ReadAll(target_ + "\\clip100.swf"), "newest");
    EXPECT_EQ(ReadAll(target_ + "\\clip99.swf"), "old 99");
    EXPECT_EQ(ReadAll(target_ + "\\clip.swf"), "old 0");
    EXPECT_EQ(Names(target_).size(), 101u);
}

TEST_F(MovieActions, TargetFolderComesFromTheSettingsAtEachSave) {
    const std::string shared = Path("shared");
    const std::string own = Path("own");
    disk::MakeFolders(shared);
    disk::MakeFolders(own);
    const auto writeShared = [](const std::string& path) {
        viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSharedSaveKey,
                                   viewer::kSavePathValue, path);
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, viewer::kSharedSaveKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    // The sibling product's key wins over the viewer's own.
    SetSetting("SavePath", own);
    writeShared(shared);
    viewer::SaveMovie(Movie("first", "1"), false, ui_);
    EXPECT_EQ(ReadAll(shared + "\\first.swf"), "1");

    // An empty shared value falls back to the own key, read again for the next movie.
    writeShared("");
    viewer::SaveMovie(Movie("second", "2"), false, ui_);
    EXPECT_EQ(ReadAll(own + "\\second.swf"), "2");
    EXPECT_EQ(Names(shared), (std::set<std::string>{"first.swf"}));
    EXPECT_TRUE(ui_.failures.empty());
}

TEST_F(MovieActions, WithNothingStoredTheDriveRootIsTheTarget) {
    RegDeleteValueA(settings_, "SavePath");
    ASSERT_EQ(viewer::GetTargetFolder(), "C:");
    // A name no other test uses, removed again: this test writes outside its own folder.
    const std::string name = "moravel-actions-" + std::to_string(GetCurrentProcessId());
    const std::string saved = "C:\\" + name + ".swf";
    DeleteFileA(saved.c_str());
    viewer::SaveMovie(Movie(name, "at the root"), false, ui_);
    EXPECT_EQ(ReadAll(saved), "at the root");
    DeleteFileA(saved.c_str());
}

TEST_F(MovieActions, SaveAsTakesBaseAndFolderFromTheAnswer) {
    const std::string other = Path("other");
    disk::MakeFolders(other);
    disk::WriteBytes(target_ + "\\taken.swf", "keep me");
    ui_.answers = {
        target_ + "\\movie.txt",  // the typed extension is replaced
        target_ + "\\.swf",       // no title: the display name stays
        target_ + "\\taken.swf",  // overwrite confirmed in the dialog: still a new name
        other + "\\elsewhere",    // another folder, no extension
    };
    viewer::MovieRecord record = Movie("display", "content");
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(viewer::SaveMovie(record, true, ui_));

    EXPECT_EQ(Names(target_),
              (std::set<std::string>{"movie.swf", "display.swf", "taken.swf", "taken01.swf"}));
    EXPECT_EQ(ReadAll(target_ + "\\taken.swf"), "keep me");
    EXPECT_EQ(ReadAll(target_ + "\\taken01.swf"), "content");
    EXPECT_EQ(ReadAll(other + "\\elsewhere.swf"), "content");
    ASSERT_EQ(ui_.questions.size(), 4u);
    EXPECT_EQ(ui_.questions[0].name, "display");
    EXPECT_EQ(ui_.questions[0].folder, target_);
}

TEST_F(MovieActions, SaveAsCancelledAtTheSecondMovieSavesOnlyTheFirst) {
    ui_.answers = {target_ + "\\one.swf", std::nullopt, target_ + "\\three.swf"};
    viewer::MovieRecord noFile;  // a row whose record has gone: skipped, not asked about
    noFile.name = "nothing";
    const std::vector<viewer::MovieRecord> selected = {noFile, Movie("a", "A", 1),
                                                       Movie("b", "B", 2), Movie("c", "C", 3)};
    viewer::SaveMovies(selected, true, ui_);
    EXPECT_EQ(Names(target_), (std::set<std::string>{"one.swf"}));
    ASSERT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(ui_.questions[1].name, "b");

    // Save (without asking) walks every selected movie.
    viewer::SaveMovies(selected, false, ui_);
    EXPECT_EQ(Names(target_), (std::set<std::string>{"one.swf", "a.swf", "b.swf", "c.swf"}));
    EXPECT_EQ(ui_.questions.size(), 2u);
}

TEST_F(MovieActions, FailedCopyIsReportedAndTheNextMovieStillSaves) {
    viewer::MovieRecord vanished = Movie("vanished", "x", 1);
    DeleteFileA(vanished.localPath.c_str());
    const std::vector<viewer::MovieRecord> selected = {vanished, Movie("kept", "K", 2)};
    viewer::SaveMovies(selected, false, ui_);
    EXPECT_EQ(ui_.failures, (std::vector<std::string>{"vanished"}));
    EXPECT_EQ(Names(target_), (std::set<std::string>{"kept.swf"}));

    // A missing target folder fails every copy and is not created; a failed save-as reports
    // the base the user chose.
    SetSetting("SavePath", Path("missing"));
    ui_.answers = {Path("missing\\chosen.swf")};
    EXPECT_TRUE(viewer::SaveMovie(selected[1], true, ui_));
    EXPECT_TRUE(viewer::SaveMovie(selected[1], false, ui_));
    EXPECT_EQ(ui_.failures, (std::vector<std::string>{"vanished", "chosen", "kept"}));
    EXPECT_EQ(GetFileAttributesA(Path("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MovieActions, SaveAllSavesEveryMovieOfTheScanButNoFolderEntry) {
    viewer::MovieCatalogue catalogue;
    viewer::MovieRecord a = Movie("intro", "A", 1);
    a.site = "games.com";
    viewer::MovieRecord b = Movie("intro", "B", 2);
    b.site = "toys.cn";
    viewer::MovieRecord folder;
    folder.localPath = Path("cache");
    folder.name = "cache";
    folder.isFolder = true;
    folder.id = 3;
    viewer::MovieRecord parent = folder;
    parent.localPath = "..";
    parent.name = "..";
    parent.id = 4;
    for (const auto& r : {parent, a, folder, b}) catalogue.Append(r);

    viewer::SaveCatalogue(catalogue, ui_);
    EXPECT_EQ(Names(target_), (std::set<std::string>{"intro.swf", "intro01.swf"}));
    EXPECT_EQ(ReadAll(target_ + "\\intro.swf"), "A");
    EXPECT_EQ(ReadAll(target_ + "\\intro01.swf"), "B");
    EXPECT_TRUE(ui_.failures.empty());
    // A folder entry is done at once, even when asked to ask.
    EXPECT_TRUE(viewer::SaveMovie(folder, true, ui_));
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(MovieActions, DeleteRemovesTheCacheEntryAndTheFile) {
    urlcache::Clear();
    const std::string url = "http://www.games.com/intro.swf";
    const std::string otherUrl = "http://toys.cn/other.swf";
    const std::string cached = urlcache::Make(url, disk::Movie());
    const std::string otherCached = urlcache::Make(otherUrl, disk::Movie());
    ASSERT_EQ(urlcache::Entries().count(url), 1u);

    viewer::MovieRecord record;
    record.url = url;
    record.localPath = cached;
    viewer::DeleteMovieFiles(record);
    EXPECT_EQ(urlcache::Entries().count(url), 0u);
    EXPECT_EQ(GetFileAttributesA(cached.c_str()), INVALID_FILE_ATTRIBUTES);

    // A movie found only on disk has no URL: only its file goes, other entries stay.
    viewer::MovieRecord standalone = Movie("loose", "L");
    standalone.standalone = true;
    viewer::DeleteMovieFiles(standalone);
    EXPECT_EQ(GetFileAttributesA(standalone.localPath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(urlcache::Entries().count(otherUrl), 1u);
    EXPECT_EQ(ReadAll(otherCached), disk::Movie());

    // A folder entry keeps its folder and what is in it; a record without a file is left
    // alone, cache entry and all.
    viewer::MovieRecord folder;
    folder.localPath = Path("cache");
    folder.isFolder = true;
    disk::WriteBytes(Path("cache\\inside.swf"), "I");
    viewer::DeleteMovieFiles(folder);
    EXPECT_EQ(ReadAll(Path("cache\\inside.swf")), "I");
    viewer::MovieRecord noFile;
    noFile.url = otherUrl;
    viewer::DeleteMovieFiles(noFile);
    EXPECT_EQ(urlcache::Entries().count(otherUrl), 1u);
    urlcache::Clear();
}

class ShellOpen : public MovieActions {
protected:
    void SetUp() override {
        MovieActions::SetUp();
        recorder_.Install(Path("opened.log"));
    }
    void TearDown() override {
        recorder_.Restore();
        MovieActions::TearDown();
    }
    std::vector<std::pair<std::string, std::string>> Opened(std::size_t count) const {
        return recorder_.Opened(count);
    }

    static std::string TemporaryCopy() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + "quorm_temp_file.swf";
    }

    ShellOpenRecorder recorder_;
};

const std::string kJou = "\x81\x5C";  // one double-byte character whose trail byte is '\'

TEST_F(ShellOpen, SwfFilesInAnyLetterCaseAreOpenedWhereTheyAre) {
    const std::vector<std::string> paths = {Path("MOVIE.SWF"), Path("clip.Swf"),
                                            Path(kJou + "\\" + kJou + ".swf")};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        disk::WriteBytes(paths[i], "FWS movie " + std::to_string(i));
        viewer::OpenExternally(paths[i]);
        const auto opened = Opened(i + 1);
        ASSERT_EQ(opened.size(), i + 1) << paths[i];
        EXPECT_EQ(opened[i].first, paths[i]);
        EXPECT_EQ(opened[i].second, "FWS movie " + std::to_string(i));
    }
}

TEST_F(ShellOpen, OtherFilesAreOpenedThroughTheTemporaryCopy) {
    const std::string first = Path("Cache\\entries\\3F2A9C1B0D");
    const std::string second = Path("Cache\\entries\\77E0A1.swf.part");
    disk::WriteBytes(first, "FWS first view");
    disk::WriteBytes(second, "CWS second view");

    viewer::OpenExternally(first);
    auto opened = Opened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, TemporaryCopy());
    EXPECT_EQ(opened[0].second, "FWS first view");

    // The second view overwrites the copy.
    viewer::OpenExternally(second);
    opened = Opened(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].first, TemporaryCopy());
    EXPECT_EQ(opened[1].second, "CWS second view");
    EXPECT_EQ(ReadAll(first), "FWS first view");

    // Nothing opens for a parent entry, a folder or a vanished file, and a failed copy leaves
    // the earlier copy alone. The marker opened last must be the next line.
    viewer::OpenExternally("..");
    viewer::OpenExternally(Path("Cache"));
    viewer::OpenExternally(Path("Cache\\entries\\vanished"));
    const std::string marker = Path("marker.swf");
    disk::WriteBytes(marker, "marker");
    viewer::OpenExternally(marker);
    opened = Opened(3);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2].first, marker);
    EXPECT_EQ(ReadAll(TemporaryCopy()), "CWS second view");
}

TEST_F(ShellOpen, OpenFolderOpensTheTargetFolderWithoutCreatingIt) {
    viewer::OpenTargetFolder();
    auto opened = Opened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, target_);

    SetSetting("SavePath", Path("not there"));
    viewer::OpenTargetFolder();
    EXPECT_EQ(GetFileAttributesA(Path("not there").c_str()), INVALID_FILE_ATTRIBUTES);
}

using namespace guidriver;

// Real dialogs on this thread; the script drives them from a helper thread.
class Dialogs : public MovieActions {
protected:
    void SetUp() override {
        MovieActions::SetUp();
        OleInitialize(nullptr);
    }
    void TearDown() override {
        OleUninitialize();
        MovieActions::TearDown();
    }
};

bool IsSaveDialog(HWND w) {
    return FileNameField(w) != nullptr;
}
bool IsBrowser(HWND w) {
    return Descendant(w, "SysTreeView32") != nullptr;
}

// The browser's status line, where the selection callback writes the selected folder's path
// (the control stays hidden in the new dialog style, but it holds the text). Waits up to
// attempts x 50 ms for it to read expected; seen gets what it read last.
bool StatusReads(HWND browser, const std::string& expected,
                 int attempts = guidriver::kPatientAttempts, std::string* seen = nullptr) {
    std::string status;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        status = Text(GetDlgItem(browser, 0x3743));
        if (status == expected) return true;
        Sleep(50);
    }
    if (seen) *seen = status;
    return false;
}

// Opens a folder browser through open while a user waits for it to show initial selected
// (nothing is awaited for an empty initial) and then does act. Under load in CI, Wine has left
// two browsers in a row of one process on no folder for their whole two minutes while the
// next ones started where asked; the program asks for the initial folder the same way every
// time, so a browser that has not shown it within 30 s is cancelled, reported and opened
// again, three times at most.
void BrowseAsUser(const std::function<void()>& open, const std::string& initial,
                  const std::function<bool(HWND)>& act) {
    for (int attempt = 1;; ++attempt) {
        std::string seen;
        std::atomic<bool> missed{false};
        std::thread user = User([&] {
            HWND dialog = WaitForDialog(IsBrowser);
            if (!dialog) return false;
            if (!initial.empty() && !StatusReads(dialog, initial, 600, &seen)) {
                missed = true;
                return false;
            }
            return act(dialog);
        });
        open();
        user.join();
        if (!missed) return;
        if (attempt == 3) {
            ADD_FAILURE() << "the browser never showed " << initial << "; it read " << seen;
            return;
        }
        std::printf("the folder browser read \"%s\" instead of \"%s\"; opening it again\n",
                    seen.c_str(), initial.c_str());
    }
}

TEST_F(Dialogs, SaveDialogPresetsTheCutNameAndNeverOverwrites) {
    disk::WriteBytes(target_ + "\\typed.swf", "keep me");
    viewer::MovieRecord record;
    record.localPath = Path("cache\\movie[1].swf");
    record.name = std::string(300, 'n');
    disk::WriteBytes(record.localPath, "content");

    std::string preset;
    bool prompted = false;
    std::thread user = User([&] {
        HWND dialog = WaitForDialog(IsSaveDialog);
        if (!dialog) return false;
        HWND field = FileNameField(dialog);
        // The dialog may fill the field just after it shows: wait for the preset first.
        for (int attempt = 0; attempt < guidriver::kPatientAttempts && Text(field).empty(); ++attempt)
            Sleep(50);
        preset = Text(field);
        // Typed without extension, in the folder the dialog starts in: the dialog adds the
        // default extension, finds typed.swf taken and asks whether to replace it; yes.
        SetWindowTextA(field, "typed");
        Press(dialog, IDOK);
        HWND prompt = WaitForDialog(
            [dialog](HWND w) { return w != dialog && GetDlgItem(w, IDYES) != nullptr; });
        if (!prompt) return false;
        prompted = true;
        Press(prompt, IDYES);
        return true;
    });
    viewer::SaveUi ui;
    EXPECT_TRUE(viewer::SaveMovie(record, true, ui));
    user.join();
    EXPECT_EQ(preset, std::string(259, 'n'));
    EXPECT_TRUE(prompted);
    EXPECT_EQ(ReadAll(target_ + "\\typed.swf"), "keep me");
    EXPECT_EQ(ReadAll(target_ + "\\typed01.swf"), "content");

    // Cancelled: nothing saved, and the caller learns it.
    user = User([] {
        HWND dialog = WaitForDialog(IsSaveDialog);
        if (dialog) Press(dialog, IDCANCEL);
        return dialog != nullptr;
    });
    EXPECT_FALSE(viewer::SaveMovie(record, true, ui));
    user.join();
    EXPECT_EQ(Names(target_), (std::set<std::string>{"typed.swf", "typed01.swf"}));
}

TEST_F(Dialogs, FailedCopyShowsTheErrorBox) {
    viewer::MovieRecord record;
    record.localPath = Path("cache\\vanished[1].swf");
    record.name = "vanished " + kJou;
    std::string message;
    std::thread user = User([&] {
        HWND box = WaitForDialog([](HWND w) { return Text(w) == "Moravel"; });
        if (!box) return false;
        message = Text(GetDlgItem(box, 0xFFFF));
        Press(box, IDOK);
        return true;
    });
    viewer::SaveUi ui;
    EXPECT_TRUE(viewer::SaveMovie(record, false, ui));
    user.join();
    EXPECT_EQ(message, Ansi("无法保存 flash 影片:\r\n") + record.name);
    EXPECT_TRUE(Names(target_).empty());
}

TEST_F(Dialogs, FolderBrowserStartsAtTheInitialFolderAndReturnsTheChoice) {
    const std::string other = Path("other " + kJou);
    disk::MakeFolders(other);
    std::string chosen;
    const auto browse = [&](const std::string& initial) {
        return [&chosen, initial] { chosen = viewer::BrowseForFolder("title", initial); };
    };

    // The initial folder is selected and its path shown; OK returns it.
    BrowseAsUser(browse(target_), target_, [](HWND dialog) {
        Press(dialog, IDOK);
        return true;
    });
    EXPECT_EQ(chosen, target_);

    // Another folder selected (its name's trail byte is a backslash), then OK.
    BrowseAsUser(browse(target_), target_, [&](HWND dialog) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(other.c_str()));
        if (!StatusReads(dialog, other)) return false;
        Press(dialog, IDOK);
        return true;
    });
    EXPECT_EQ(chosen, other);

    // Cancelled: nothing.
    BrowseAsUser(browse(""), "", [](HWND dialog) {
        Press(dialog, IDCANCEL);
        return true;
    });
    EXPECT_EQ(chosen, "");
}

// The choose-folder button: the browser starts at the target folder, a chosen folder becomes
// the new one, a cancelled browser changes nothing.
TEST_F(Dialogs, ChosenTargetFolderIsStored) {
    const std::string chosen = Path("chosen");
    disk::MakeFolders(chosen);
    bool changed = false;
    const auto choose = [&changed] { changed = viewer::ChooseTargetFolder(); };
    const auto pick = [](const std::string& folder) {
        return [folder](HWND dialog) {
            if (folder.empty()) {
                Press(dialog, IDCANCEL);
                return true;
            }
            SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(folder.c_str()));
            if (!StatusReads(dialog, folder)) return false;
            Press(dialog, IDOK);
            return true;
        };
    };
    BrowseAsUser(choose, target_, pick(chosen));
    EXPECT_TRUE(changed);
    std::string stored;
    viewer::ReadStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSavePathValue,
                              stored);
    EXPECT_EQ(stored, chosen);

    // The next browser starts at the new folder.
    BrowseAsUser(choose, chosen, pick(""));
    EXPECT_FALSE(changed);
    EXPECT_EQ(viewer::GetTargetFolder(), chosen);
}

}  // namespace
