// Moravel's main window, created from its resource under Wine and driven with the messages
// that the user's actions send, against a seeded registry, URL cache and folders.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/dialog_driver.h"
#include "tests/disk_fixture.h"
#include "tests/shell_open_fixture.h"
#include "tests/url_cache_fixture.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/presentation/date_dialogs.h"
#include "viewer/resource.h"
#include "viewer/settings_store.h"
#include "viewer/viewer_app.h"
#include "viewer/viewer_dlg.h"
#include "flash/flash_control.h"
#include "win/ax_host.h"
#include "win/shockwave_flash.h"

namespace {

// The date dialogs answer what the test tells them to.
class TestViewerDlg : public viewer::CViewerDlg {
public:
    using CViewerDlg::CViewerDlg;
    bool confirmAnswer = false;
    int confirmations = 0;
    std::string folderAnswer;
    int folderQuestions = 0;
    std::optional<base::Time64> exactAnswer;
    std::optional<std::pair<base::Time64, base::Time64>> rangeAnswer;
    int asked = 0;

    bool realConfirmation = false;  // the real message box asks
    bool realDateDialogs = false;   // the real range dialog asks

protected:
    bool ConfirmDelete() override {
        ++confirmations;
        return realConfirmation ? CViewerDlg::ConfirmDelete() : confirmAnswer;
    }
    std::string AskViewFolder() override {
        ++folderQuestions;
        return folderAnswer;
    }
    std::optional<base::Time64> AskExactDate(base::Time64) override {
        ++asked;
        return exactAnswer;
    }
    std::optional<std::pair<base::Time64, base::Time64>> AskTimeRange(base::Time64 start,
                                                                      base::Time64 end) override {
        ++asked;
        return realDateDialogs ? CViewerDlg::AskTimeRange(start, end) : rangeAnswer;
    }
};

std::string Res(UINT id) {
    char text[256] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string(text, n > 0 ? n : 0);
}

class ViewerWindow : public DiskTest {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(viewer::CViewerApp::InitialiseUi());
        win::PreferRegisteredControls(false);
    }

    void SetUp() override {
        DiskTest::SetUp();
        urlcache::Clear();
        // The cache folder pass and the Firefox source look only where the test says.
        disk::MakeFolders(Path("ie"));
        SetSetting("IECacheFolder", Path("ie"));
        SetSetting("FirefoxProfileFolder", Path("ff\\Application Data\\Mozilla\\Firefox"));
    }
    void TearDown() override {
        dialog_.reset();
        urlcache::Clear();
        DiskTest::TearDown();
    }

    TestViewerDlg& Open(const std::string& commandLineSite = "") {
        dialog_ = std::make_unique<TestViewerDlg>(GetModuleHandleA(nullptr), commandLineSite);
        EXPECT_TRUE(dialog_->CreateForTest(nullptr));
        return *dialog_;
    }

    HWND Item(int id) const { return GetDlgItem(dialog_->Window(), id); }
    std::string ItemText(int id) const {
        char text[1024] = {};
        GetWindowTextA(Item(id), text, sizeof(text));
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const {
        return (GetWindowLongPtrA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::vector<std::string> ComboTexts(int id) const {
        std::vector<std::string> texts;
        const int n = static_cast<int>(SendMessageA(Item(id), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) texts.push_back(ComboText(id, i));
        return texts;
    }
    std::string ComboText(int id, int index) const {
        char text[512] = {};
        SendMessageA(Item(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::string Selected(int id) const {
        const int index = static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
        return index == CB_ERR ? std::string("<none>") : ComboText(id, index);
    }
    // The user picks an entry: the combo changes and tells its parent.
    void Pick(int id, const std::string& text) {
        const int index = static_cast<int>(
            SendMessageA(Item(id), CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text.c_str())));
        ASSERT_NE(index, CB_ERR) << text;
        SendMessageA(Item(id), CB_SETCURSEL, index, 0);
        SendMessageA(dialog_->Window(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
    void DoubleClickRow(int row) {
        SelectOnly({row});
        NMITEMACTIVATE activate{};
        activate.hdr.hwndFrom = Item(IDC_MOVIE_LIST);
        activate.hdr.idFrom = IDC_MOVIE_LIST;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = row;
        SendMessageA(dialog_->Window(), WM_NOTIFY, IDC_MOVIE_LIST,
                     reinterpret_cast<LPARAM>(&activate));
    }
    int RowOf(const std::string& text) const {
        const std::vector<std::string> rows = Rows();
        const auto it = std::find(rows.begin(), rows.end(), text);
        return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
    }
    void Click(int id) {
        SendMessageA(dialog_->Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        const HWND list = Item(IDC_MOVIE_LIST);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            char text[256] = {};
            ListView_GetItemText(list, i, 0, text, sizeof(text));
            rows.push_back(text);
        }
        return rows;
    }
    int SelectedRow() const {
        return ListView_GetNextItem(Item(IDC_MOVIE_LIST), -1, LVNI_SELECTED);
    }
    void SelectOnly(std::initializer_list<int> rows) {
        const HWND list = Item(IDC_MOVIE_LIST);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    // Dispatches what is queued for the window, as its message loop would.
    void DispatchPosted() {
        MSG message;
        while (PeekMessageA(&message, dialog_->Window(), 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    // The movie the preview control was last given.
    std::string Previewed() const {
        win::CShockwaveFlash flash;
        return flash.Attach(Item(IDC_FLASH)) ? flash.GetMovie() : "<no control>";
    }
    std::string PathOf(const std::string& name) const {
        for (const auto& r : dialog_->Catalogue())
            if (r.name == name) return r.localPath;
        return "<none>";
    }
    DWORD StoredSource() {
        DWORD source = 0;
        viewer::ReadDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", source);
        return source;
    }
    std::string Stored(const char* name) {
        std::string text = "<none>";
        viewer::ReadStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, name, text);
        return text;
    }

    // Three index movies of two sites and a loose one in the cache folder.
    void SeedIeCache() {
        for (const std::string& made :
             {urlcache::Make("http://www.games.example.com/intro.swf", disk::Movie("FWS", 1200)),
              urlcache::Make("http://www.games.example.com/zebra.swf", disk::Movie("FWS", 1300)),
              urlcache::Make("http://toys.example.net/ball.swf", disk::Movie("CWS", 1400))})
            disk::MarkCreatedNow(made);
        disk::WriteBytes(Path("ie\\loose.swf"), disk::Movie("FWS", 99));
        disk::MarkCreatedNow(Path("ie\\loose.swf"));
    }

    std::unique_ptr<TestViewerDlg> dialog_;
};

TEST_F(ViewerWindow, FirstRunOnACleanProfile) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
    viewer::EnsureSettingsKey();
    Open();
    EXPECT_EQ(Selected(IDC_SOURCE), Res(IDS_SOURCE_IE));
    EXPECT_EQ(ComboTexts(IDC_SOURCE), (std::vector<std::string>{Res(135), Res(134), Res(136)}));
    EXPECT_EQ(Selected(IDC_SITE_FILTER), Res(IDS_ALL_SITES));
    EXPECT_EQ(Selected(IDC_DATE_FILTER), Res(IDS_DATE_ANY));
    EXPECT_EQ(
        ComboTexts(IDC_DATE_FILTER),
        (std::vector<std::string>{Res(148), Res(142), Res(143), Res(145), Res(146), Res(147)}));
    EXPECT_EQ(ItemText(IDC_VIEW_FOLDER), viewer::ProgramDrive());
    EXPECT_EQ(StoredSource(), 135u);
    // The IE labels, the fourth pair shown; nothing to act on.
    EXPECT_EQ(ItemText(IDC_LABEL_1), Res(IDS_LABEL_URL));
    EXPECT_EQ(ItemText(IDC_LABEL_2), Res(IDS_LABEL_MODIFIED));
    EXPECT_EQ(ItemText(IDC_LABEL_3), Res(IDS_LABEL_SIZE));
    EXPECT_TRUE(Visible(IDC_LABEL_4));
    EXPECT_FALSE(Enabled(IDC_SAVE_ALL));
    EXPECT_FALSE(Enabled(IDC_VIEW));
    EXPECT_FALSE(Enabled(IDC_CHOOSE_DATE));
    EXPECT_FALSE(Enabled(IDC_CHOOSE_VIEW_FOLDER));
    EXPECT_TRUE(Enabled(IDC_SITE_FILTER));
}

TEST_F(ViewerWindow, InternetExplorerScanListsSortsSelectsAndFilters) {
    SeedIeCache();
    Open();
    // Sorted rows, the first one selected and shown.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ball", "intro", "loose", "zebra"}));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://toys.example.net/ball.swf");
    EXPECT_EQ(ItemText(IDC_DETAIL_3), "1 400" + Res(IDS_BYTES_UNIT));
    EXPECT_TRUE(Enabled(IDC_VIEW));
    EXPECT_TRUE(Enabled(IDC_SAVE_ALL));
    // One entry per site, beside the two fixed ones.
    std::vector<std::string> sites = ComboTexts(IDC_SITE_FILTER);
    std::sort(sites.begin(), sites.end());
    std::vector<std::string> expected = {"games.example.com", "toys.example.net",
                                         Res(IDS_ALL_SITES), Res(IDS_STANDALONE_SWF)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sites, expected);

    Pick(IDC_SITE_FILTER, "games.example.com");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"intro", "zebra"}));
    EXPECT_EQ(Stored("siteFilter"), "games.example.com");  // written with bSaveSiteFilter 0

    // Standalone movies are those found on disk: the URL field shows their path.
    Pick(IDC_SITE_FILTER, Res(IDS_STANDALONE_SWF));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"loose"}));
    EXPECT_TRUE(base::EqualsNoCase(ItemText(IDC_DETAIL_1), Path("ie\\loose.swf")));
}

TEST_F(ViewerWindow, SelectionDecidesWhichButtonsWork) {
    SeedIeCache();
    Open();
    SelectOnly({0, 2});
    EXPECT_FALSE(Enabled(IDC_VIEW));
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_TRUE(Enabled(IDC_SAVE_AS));
    EXPECT_TRUE(Enabled(IDC_DELETE));
    // The details follow the first selected row.
    SelectOnly({1});
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://www.games.example.com/intro.swf");
    SelectOnly({});
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_TRUE(Enabled(IDC_SAVE_ALL));
    // A list emptied by a filter keeps the last details.
    Pick(IDC_DATE_FILTER, Res(IDS_DATE_YESTERDAY));
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://www.games.example.com/intro.swf");
    EXPECT_FALSE(Enabled(IDC_SAVE_ALL));
}

TEST_F(ViewerWindow, CommandLineSiteWinsAndSelectsByPrefix) {
    SeedIeCache();
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 134);
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "bSaveSiteFilter", 1);
    SetSetting("siteFilter", "toys.example.net");
    Open("games");  // /site:games: the IE source whatever "source" holds
    EXPECT_EQ(Selected(IDC_SOURCE), Res(IDS_SOURCE_IE));
    EXPECT_EQ(Selected(IDC_SITE_FILTER), "games.example.com");  // found by prefix
    EXPECT_EQ(dialog_->SiteFilter(), "games");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"intro", "zebra"}));
}

TEST_F(ViewerWindow, SavedSiteAndAllOnTheCommandLine) {
    SeedIeCache();
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "bSaveSiteFilter", 1);
    SetSetting("siteFilter", "toys.example.net");
    Open();
    EXPECT_EQ(Selected(IDC_SITE_FILTER), "toys.example.net");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ball"}));
    dialog_.reset();
    Open("all");
    EXPECT_EQ(Selected(IDC_SITE_FILTER), Res(IDS_ALL_SITES));
    EXPECT_EQ(Rows().size(), 4u);
    dialog_.reset();
    // A remembered site that the scan does not find: all sites.
    SetSetting("siteFilter", "gone.example.org");
    Open();
    EXPECT_EQ(Selected(IDC_SITE_FILTER), Res(IDS_ALL_SITES));
}

TEST_F(ViewerWindow, FirefoxAndFolderSourcesChangeTheLabelsAndTheList) {
    const std::string entries = Path("ff\\Application Data\\Mozilla\\Firefox\\cache2\\entries\\");
    disk::WriteBytes(entries + "A1", disk::Movie("CWS", 500));
    disk::WriteBytes(entries + "B2", disk::Movie("FWS", 600));
    disk::WriteBytes(Path("ff\\Local Settings\\Application Data\\Mozilla\\Firefox\\C3"),
                     disk::Movie("FWS", 700));
    Open();
    Pick(IDC_SOURCE, Res(IDS_SOURCE_FIREFOX));
    EXPECT_EQ(StoredSource(), 134u);
    // Two movies share the name flash001 and still make two rows.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"flash001", "flash001", "flash002"}));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(ItemText(IDC_LABEL_1), Res(IDS_LABEL_FILE));
    EXPECT_EQ(ItemText(IDC_LABEL_2), Res(IDS_LABEL_SIZE));
    EXPECT_EQ(ItemText(IDC_LABEL_3), Res(IDS_LABEL_CREATED));
    EXPECT_FALSE(Visible(IDC_LABEL_4));
    EXPECT_FALSE(Visible(IDC_DETAIL_4));
    EXPECT_FALSE(Enabled(IDC_SITE_FILTER));

    disk::MakeFolders(Path("movies\\Old"));
    for (const char* name : {"movies\\zeta.swf", "movies\\alpha.swf"}) {
        disk::WriteBytes(Path(name), disk::Movie());
        disk::MarkCreatedNow(Path(name));
    }
    SetSetting("CurrViewFolder", Path("movies"));
    dialog_.reset();
    Open();
    Pick(IDC_SOURCE, Res(IDS_SOURCE_FOLDER));
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "..");
    EXPECT_EQ(rows[1], "Old");
    EXPECT_EQ(SelectedRow(), -1);  // nothing selected in a folder
    EXPECT_TRUE(Enabled(IDC_CHOOSE_VIEW_FOLDER));
    // Folder entries stay under every date filter.
    Pick(IDC_DATE_FILTER, Res(IDS_DATE_YESTERDAY));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "Old"}));
}

TEST_F(ViewerWindow, DateDialogsApplyOnOkOnly) {
    SeedIeCache();
    Open();
    Pick(IDC_DATE_FILTER, Res(IDS_DATE_TODAY));
    EXPECT_FALSE(Enabled(IDC_CHOOSE_DATE));
    EXPECT_EQ(Stored("dateFilter"), Res(IDS_DATE_TODAY));
    EXPECT_EQ(Rows().size(), 4u);  // all made just now

    Pick(IDC_DATE_FILTER, Res(IDS_DATE_EXACT));
    EXPECT_TRUE(Enabled(IDC_CHOOSE_DATE));
    EXPECT_EQ(Rows().size(), 4u);  // the exact date starts as today
    Click(IDC_CHOOSE_DATE);        // cancelled
    EXPECT_EQ(dialog_->asked, 1);
    EXPECT_EQ(Rows().size(), 4u);
    base::Time64 stored = 0;
    EXPECT_NE(viewer::ReadDateSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "exactDate", stored),
              ERROR_SUCCESS);

    const base::Time64 longAgo = *base::ComposeLocal({2020, 5, 4, 0, 0, 0});
    dialog_->exactAnswer = longAgo;
    Click(IDC_CHOOSE_DATE);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(dialog_->ExactDate(), longAgo);
    ASSERT_EQ(viewer::ReadDateSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "exactDate", stored),
              ERROR_SUCCESS);
    EXPECT_EQ(stored, longAgo);

    Pick(IDC_DATE_FILTER, Res(IDS_DATE_RANGE));
    const base::Time64 now = base::Now();
    dialog_->rangeAnswer = std::make_pair(now - 86400 * 3, now - 86400 * 2);
    Click(IDC_CHOOSE_DATE);
    EXPECT_TRUE(Rows().empty());
    dialog_->rangeAnswer = std::make_pair(now - 86400, now);
    Click(IDC_CHOOSE_DATE);
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(dialog_->StartDate(), now - 86400);
}

TEST_F(ViewerWindow, StoredDateFilterThatMatchesNothingLeavesNoSelection) {
    SeedIeCache();
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "bSaveDateFilter", 1);
    SetSetting("dateFilter", "nothing like it");
    Open();
    EXPECT_EQ(Selected(IDC_DATE_FILTER), "<none>");
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_FALSE(Enabled(IDC_CHOOSE_DATE));
    dialog_.reset();
    SetSetting("dateFilter", Res(IDS_DATE_RANGE).substr(0, 2));  // a prefix of 时间范围
    Open();
    EXPECT_EQ(Selected(IDC_DATE_FILTER), Res(IDS_DATE_RANGE));
}

TEST_F(ViewerWindow, ClosingByButtonOrSystemCloseStopsEveryHandler) {
    disk::MakeFolders(Path("movies\\Old"));
    disk::WriteBytes(Path("movies\\a.swf"), disk::Movie());
    SetSetting("CurrViewFolder", Path("movies"));
    for (const bool systemClose : {false, true}) {
        viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 136);
        Open();
        ASSERT_EQ(Rows(), (std::vector<std::string>{"..", "Old", "a"}));
        if (systemClose) {  // Alt+F4 and the caption's close button
            SendMessageA(dialog_->Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
            DispatchPosted();  // the dialog's default handling posts its cancel command
        } else {
            Click(IDOK);
        }
        EXPECT_TRUE(dialog_->Closing()) << systemClose;
        EXPECT_TRUE(dialog_->Ended()) << systemClose;
        EXPECT_EQ(dialog_->Result(), systemClose ? IDCANCEL : IDOK);

        // From here on nothing scans, navigates or writes a setting.
        viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 999);
        disk::WriteBytes(Path("movies\\late.swf"), disk::Movie());
        Click(IDC_REFRESH);
        Pick(IDC_SOURCE, Res(IDS_SOURCE_IE));
        Pick(IDC_SITE_FILTER, Res(IDS_ALL_SITES));
        Pick(IDC_DATE_FILTER, Res(IDS_DATE_TODAY));
        DoubleClickRow(RowOf("Old"));
        EXPECT_EQ(StoredSource(), 999u);
        EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "Old", "a"}));
        EXPECT_EQ(dialog_->ViewFolder(), Path("movies"));
        EXPECT_EQ(Stored("CurrViewFolder"), Path("movies"));
        EXPECT_EQ(Stored("siteFilter"), "<none>");
        EXPECT_EQ(Stored("dateFilter"), "<none>");
        dialog_.reset();
        DeleteFileA(Path("movies\\late.swf").c_str());
    }
}

TEST_F(ViewerWindow, EscapeEndsWithoutClosing) {
    Open();
    SendMessageA(dialog_->Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(dialog_->Ended());
    EXPECT_FALSE(dialog_->Closing());
}

// --- acting on movies -----------------------------------------------------------------

TEST_F(ViewerWindow, DeleteActsOnlyAfterYes) {
    SeedIeCache();
    Open();
    ASSERT_EQ(Rows()[0], "ball");
    std::string ballFile;
    for (const auto& r : dialog_->Catalogue())
        if (r.name == "ball") ballFile = r.localPath;
    ASSERT_FALSE(ballFile.empty());
    Click(IDC_DELETE);  // answered No
    EXPECT_EQ(dialog_->confirmations, 1);
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_NE(GetFileAttributesA(ballFile.c_str()), INVALID_FILE_ATTRIBUTES);

    dialog_->confirmAnswer = true;
    SelectOnly({0});
    Click(IDC_DELETE);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"intro", "loose", "zebra"}));
    EXPECT_EQ(urlcache::Entries().count("http://toys.example.net/ball.swf"), 0u);
    EXPECT_EQ(GetFileAttributesA(ballFile.c_str()), INVALID_FILE_ATTRIBUTES);
    // The first remaining row is selected and shown.
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://www.games.example.com/intro.swf");

    // A movie found only on disk loses its file; the index keeps its entries.
    SelectOnly({RowOf("loose")});
    Click(IDC_DELETE);
    EXPECT_EQ(GetFileAttributesA(Path("ie\\loose.swf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(urlcache::Entries().size(), 2u);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"intro", "zebra"}));

    // Deleting the last movies leaves nothing to act on, and the last details in place.
    SelectOnly({0, 1});
    Click(IDC_DELETE);
    EXPECT_TRUE(Rows().empty());
    for (int id : {IDC_SAVE_ALL, IDC_SAVE, IDC_SAVE_AS, IDC_VIEW, IDC_DELETE})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://www.games.example.com/intro.swf");
}

TEST_F(ViewerWindow, DoubleClickNavigatesTheFolderSource) {
    disk::MakeFolders(Path("movies\\Old"));
    disk::WriteBytes(Path("movies\\Old\\old.swf"), disk::Movie());
    disk::WriteBytes(Path("movies\\new.swf"), disk::Movie());
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 136);
    SetSetting("CurrViewFolder", Path("movies") + "\\");  // stored with a trailing backslash
    Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "Old", "new"}));
    DoubleClickRow(RowOf("Old"));
    EXPECT_EQ(dialog_->ViewFolder(), Path("movies\\Old"));
    EXPECT_EQ(Stored("CurrViewFolder"), Path("movies\\Old"));
    EXPECT_EQ(ItemText(IDC_VIEW_FOLDER), Path("movies\\Old"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "old"}));
    DoubleClickRow(RowOf(".."));
    EXPECT_EQ(dialog_->ViewFolder(), Path("movies"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "Old", "new"}));

    // A folder that vanished since the scan is entered all the same.
    disk::RemoveTree(Path("movies\\Old"));
    DoubleClickRow(RowOf("Old"));
    EXPECT_EQ(dialog_->ViewFolder(), Path("movies\\Old"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{".."}));

    // Deleting a folder entry drops its row and record, not the folder.
    DoubleClickRow(RowOf(".."));
    dialog_->confirmAnswer = true;
    disk::MakeFolders(Path("movies\\Keep"));
    Click(IDC_REFRESH);
    SelectOnly({RowOf("Keep")});
    Click(IDC_DELETE);
    EXPECT_EQ(RowOf("Keep"), -1);
    EXPECT_NE(GetFileAttributesA(Path("movies\\Keep").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ViewerWindow, FolderButtonRescansWhetherOrNotAFolderWasPicked) {
    disk::WriteBytes(Path("first\\a.swf"), disk::Movie());
    disk::WriteBytes(Path("second\\b.swf"), disk::Movie());
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 136);
    SetSetting("CurrViewFolder", Path("first"));
    Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "a"}));
    disk::WriteBytes(Path("first\\c.swf"), disk::Movie());
    Click(IDC_CHOOSE_VIEW_FOLDER);  // cancelled: same folder, scanned again
    EXPECT_EQ(dialog_->folderQuestions, 1);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Stored("CurrViewFolder"), Path("first"));
    dialog_->folderAnswer = Path("second");
    Click(IDC_CHOOSE_VIEW_FOLDER);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "b"}));
    EXPECT_EQ(Stored("CurrViewFolder"), Path("second"));
    EXPECT_EQ(ItemText(IDC_VIEW_FOLDER), Path("second"));
}

TEST_F(ViewerWindow, SaveAllSavesEveryMovieWhateverTheFilterShows) {
    SeedIeCache();
    disk::MakeFolders(Path("target"));
    SetSetting("SavePath", Path("target"));
    Open();
    Pick(IDC_SITE_FILTER, "toys.example.net");
    ASSERT_EQ(Rows(), (std::vector<std::string>{"ball"}));
    Click(IDC_SAVE_ALL);
    for (const char* name : {"ball.swf", "intro.swf", "zebra.swf", "loose.swf"})
        EXPECT_NE(GetFileAttributesA(Path(std::string("target\\") + name).c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << name;
    // Save puts the selected movie beside them under the next free name.
    Click(IDC_SAVE);
    EXPECT_NE(GetFileAttributesA(Path("target\\ball01.swf").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ViewerWindow, DoubleClickOnAMovieOpensItOutsideAndStays) {
    SeedIeCache();
    ShellOpenRecorder recorder;
    recorder.Install(Path("opened.log"));
    Open();
    const std::string folder = dialog_->ViewFolder();
    DoubleClickRow(RowOf("zebra"));
    const auto opened = recorder.Opened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(base::EqualsNoCase(opened[0].first, PathOf("zebra"))) << opened[0].first;
    EXPECT_EQ(opened[0].second.substr(0, 4), "FWS.");
    EXPECT_EQ(dialog_->ViewFolder(), folder);
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(ViewerWindow, PreviewAndDetailsFollowTheFirstSelectedMovieOnly) {
    SeedIeCache();
    Open();
    EXPECT_EQ(Previewed(), PathOf("ball"));
    SelectOnly({RowOf("zebra"), RowOf("intro")});  // intro comes first in row order
    EXPECT_EQ(Previewed(), PathOf("intro"));
    EXPECT_EQ(ItemText(IDC_DETAIL_1), "http://www.games.example.com/intro.swf");
    dialog_.reset();

    // A folder entry shows nothing of its own: the preview and the details stay.
    disk::MakeFolders(Path("movies\\Old"));
    disk::WriteBytes(Path("movies\\clip.swf"), disk::Movie("FWS", 2048));
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, "source", 136);
    SetSetting("CurrViewFolder", Path("movies"));
    Open();
    SelectOnly({RowOf("clip")});
    EXPECT_EQ(Previewed(), Path("movies\\clip.swf"));
    EXPECT_EQ(ItemText(IDC_DETAIL_1), Path("movies\\clip.swf"));
    for (const char* folderEntry : {"Old", ".."}) {
        SelectOnly({RowOf(folderEntry)});
        EXPECT_EQ(Previewed(), Path("movies\\clip.swf")) << folderEntry;
        EXPECT_EQ(ItemText(IDC_DETAIL_1), Path("movies\\clip.swf")) << folderEntry;
        EXPECT_EQ(ItemText(IDC_DETAIL_2), "2 048" + Res(IDS_BYTES_UNIT)) << folderEntry;
    }
}

TEST_F(ViewerWindow, TheSiteSurvivesASwitchToFirefoxAndBack) {
    SeedIeCache();
    Open();
    Pick(IDC_SITE_FILTER, "toys.example.net");
    Pick(IDC_SOURCE, Res(IDS_SOURCE_FIREFOX));
    EXPECT_FALSE(Enabled(IDC_SITE_FILTER));
    Pick(IDC_SOURCE, Res(IDS_SOURCE_IE));
    EXPECT_EQ(Selected(IDC_SITE_FILTER), "toys.example.net");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ball"}));
}

TEST_F(ViewerWindow, CancelInTheRangeDialogChangesNothing) {
    SeedIeCache();
    Open();
    Pick(IDC_DATE_FILTER, Res(IDS_DATE_RANGE));
    const base::Time64 start = dialog_->StartDate(), end = dialog_->EndDate();
    const std::vector<std::string> rows = Rows();
    dialog_->realDateDialogs = true;
    std::thread user = guidriver::User([&] {
        HWND range = guidriver::WaitForDialog(
            [](HWND w) { return guidriver::Text(w) == Res(IDS_DATE_RANGE); });
        if (!range) return false;
        // A range that would show every movie of the last years, then cancelled.
        SYSTEMTIME day{};
        day.wYear = 2001;
        day.wMonth = 1;
        day.wDay = 1;
        SendMessageA(GetDlgItem(range, IDC_RANGE_START), MCM_SETCURSEL, 0,
                     reinterpret_cast<LPARAM>(&day));
        guidriver::Press(range, IDCANCEL);
        return true;
    });
    Click(IDC_CHOOSE_DATE);
    user.join();
    EXPECT_EQ(dialog_->asked, 1);
    EXPECT_EQ(dialog_->StartDate(), start);
    EXPECT_EQ(dialog_->EndDate(), end);
    EXPECT_EQ(Rows(), rows);
    base::Time64 stored = 0;
    for (const char* name : {"startDate", "endDate"})
        EXPECT_NE(viewer::ReadDateSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, name, stored),
                  ERROR_SUCCESS)
            << name;
}

TEST_F(ViewerWindow, DialogTextComesFromAFaceWithBitmapsForItsSize) {
    // At 9 points an outline face's hinting can drop strokes of complex characters (刷新,
    // 删除, 查看); "宋体" must resolve to a face with hand-made bitmaps for small sizes, as
    // SimSun has (the test prefix replaces it with AR PL UMing).
    Open();
    const HWND button = Item(IDC_REFRESH);
    HDC dc = GetDC(button);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
    constexpr DWORD kBitmapLocations = 'E' | 'B' << 8 | 'L' << 16 | 'C' << 24;  // "EBLC"
    EXPECT_NE(GetFontData(dc, kBitmapLocations, 0, nullptr, 0), GDI_ERROR);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
}

TEST_F(ViewerWindow, TheWindowAloneOwnsTheListsImages) {
    Open();
    const HIMAGELIST images = ListView_GetImageList(Item(IDC_MOVIE_LIST), LVSIL_SMALL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    // A reference of the test's own shows how many others there are.
    using QueryImageList = HRESULT(WINAPI*)(HIMAGELIST, REFIID, void**);
    const auto query = reinterpret_cast<QueryImageList>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("comctl32.dll"), "HIMAGELIST_QueryInterface")));
    ASSERT_NE(query, nullptr);
    IUnknown* reference = nullptr;
    ASSERT_EQ(query(images, IID_IUnknown, reinterpret_cast<void**>(&reference)), S_OK);
    // The list goes with the window and must leave the image list alone...
    DestroyWindow(dialog_->Window());
    const ULONG afterWindow = reference->AddRef();
    reference->Release();
    ASSERT_EQ(afterWindow, 3u) << "the list released the window's image list";
    // ...and the window object lets go of it exactly once.
    dialog_.reset();
    EXPECT_EQ(reference->Release(), 0u);
}

TEST_F(ViewerWindow, WithoutAnyFlashControlTheUserIsToldWhy) {
    win::RegisterBuiltInControl(win::kShockwaveFlashClsid, [](REFIID, void** out) -> HRESULT {
        *out = nullptr;
        return E_OUTOFMEMORY;
    });
    std::string text;
    std::thread user = guidriver::User([&] {
        HWND box = guidriver::WaitForDialog([](HWND w) {
            return guidriver::Text(w) == "Moravel" && GetDlgItem(w, 0xFFFF) != nullptr;
        });
        if (!box) return false;
        text = guidriver::Text(GetDlgItem(box, 0xFFFF));
        guidriver::Press(box, IDOK);
        return true;
    });
    viewer::CViewerApp app(GetModuleHandleA(nullptr));
    const int code = app.RunMainWindow();
    user.join();
    flash::RegisterBuiltInFlashControl();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, Res(IDS_NO_FLASH_CONTROL));
}

TEST_F(ViewerWindow, TheRealQuestionBoxDecidesTheDeletion) {
    SeedIeCache();
    Open();
    dialog_->realConfirmation = true;
    SelectOnly({0});
    // 您确定吗？ in code page 936, in a box captioned Moravel with Yes and No.
    for (int answer : {IDNO, IDYES}) {
        std::string question;
        std::thread user = guidriver::User([&] {
            HWND box = guidriver::WaitForDialog(
                [](HWND w) { return guidriver::Text(w) == "Moravel" && GetDlgItem(w, IDYES); });
            if (!box) return false;
            question = guidriver::Text(GetDlgItem(box, 0xFFFF));
            guidriver::Press(box, answer);
            return true;
        });
        Click(IDC_DELETE);
        user.join();
        EXPECT_EQ(question, Res(IDS_CONFIRM_DELETE));
        EXPECT_EQ(Rows().size(), answer == IDYES ? 3u : 4u);
    }
    EXPECT_EQ(Res(IDS_CONFIRM_DELETE), "\xC4\xFA\xC8\xB7\xB6\xA8\xC2\xF0\xA3\xBF");
}

// --- the date dialogs themselves ----------------------------------------------------------

// A calendar's selection set the way a click sets it: the selection, then the notification.
void PickDay(HWND dialog, int id, WORD year, WORD month, WORD day) {
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    const HWND calendar = GetDlgItem(dialog, id);
    MonthCal_SetCurSel(calendar, &st);
    NMSELCHANGE change{};
    change.nmhdr.hwndFrom = calendar;
    change.nmhdr.idFrom = id;
    change.nmhdr.code = MCN_SELCHANGE;
    change.stSelStart = st;
    change.stSelEnd = st;
    SendMessageA(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&change));
}

TEST_F(ViewerWindow, RangeDialogAllowsOkOnlyForAnEndOnOrAfterTheStart) {
    const base::Time64 start = *base::ComposeLocal({2026, 3, 3, 15, 30, 0});
    const base::Time64 end = *base::ComposeLocal({2026, 3, 5, 9, 0, 0});
    viewer::CRangeDlg range(GetModuleHandleA(nullptr), start, end);
    ASSERT_TRUE(range.CreateForTest(nullptr));
    // Opening reads both calendars back as local midnights.
    EXPECT_EQ(range.Start(), base::ComposeLocal({2026, 3, 3, 0, 0, 0}));
    EXPECT_EQ(range.End(), base::ComposeLocal({2026, 3, 5, 0, 0, 0}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(range.Window(), IDOK)));

    PickDay(range.Window(), IDC_RANGE_END, 2026, 3, 2);  // the end before the start
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(range.Window(), IDOK)));
    PickDay(range.Window(), IDC_RANGE_START, 2026, 3, 2);  // the same day
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(range.Window(), IDOK)));
    PickDay(range.Window(), IDC_RANGE_START, 2026, 3, 9);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(range.Window(), IDOK)));
    PickDay(range.Window(), IDC_RANGE_END, 2026, 4, 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(range.Window(), IDOK)));

    SendMessageA(range.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(range.Ended());
    EXPECT_EQ(range.Result(), IDOK);
    EXPECT_EQ(range.Start(), base::ComposeLocal({2026, 3, 9, 0, 0, 0}));
    EXPECT_EQ(range.End(), base::ComposeLocal({2026, 4, 1, 0, 0, 0}));
}

TEST_F(ViewerWindow, ExactDialogReadsItsCalendarOnOkOnly) {
    const base::Time64 date = *base::ComposeLocal({2026, 7, 14, 18, 45, 0});
    viewer::CExactDlg exact(GetModuleHandleA(nullptr), date);
    ASSERT_TRUE(exact.CreateForTest(nullptr));
    SYSTEMTIME shown{};
    MonthCal_GetCurSel(GetDlgItem(exact.Window(), IDC_EXACT_CALENDAR), &shown);
    EXPECT_EQ(shown.wDay, 14);
    EXPECT_EQ(exact.Date(), date);  // nothing read before OK
    PickDay(exact.Window(), IDC_EXACT_CALENDAR, 2025, 12, 31);
    EXPECT_EQ(exact.Date(), date);
    SendMessageA(exact.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(exact.Date(), base::ComposeLocal({2025, 12, 31, 0, 0, 0}));

    viewer::CExactDlg cancelled(GetModuleHandleA(nullptr), date);
    ASSERT_TRUE(cancelled.CreateForTest(nullptr));
    PickDay(cancelled.Window(), IDC_EXACT_CALENDAR, 2025, 1, 1);
    SendMessageA(cancelled.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(cancelled.Result(), IDCANCEL);
    EXPECT_EQ(cancelled.Date(), date);
}

}  // namespace
