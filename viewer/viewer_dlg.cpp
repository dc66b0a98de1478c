#include "viewer/viewer_dlg.h"

#include <vector>

#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/folder_navigation.h"
#include "viewer/presentation/controls_state.h"
#include "viewer/presentation/date_dialogs.h"
#include "viewer/presentation/date_filter.h"
#include "viewer/presentation/details.h"
#include "viewer/presentation/site_filter.h"
#include "viewer/resource.h"
#include "viewer/settings_store.h"
#include "tooltip/markup_text.h"

namespace viewer {
namespace {

constexpr int kSourceOrder[3] = {kIeCacheSource, kFirefoxCacheSource, kCustomFolderSource};

// The controls that explain themselves, with their help texts.
constexpr struct {
    int control;
    UINT text;
} kControlTips[] = {
    {IDC_SOURCE, IDS_TIP_SOURCE},
    {IDC_VIEW_FOLDER, IDS_TIP_VIEW_FOLDER},
    {IDC_CHOOSE_VIEW_FOLDER, IDS_TIP_CHOOSE_VIEW_FOLDER},
    {IDC_SITE_FILTER, IDS_TIP_SITE_FILTER},
    {IDC_DATE_FILTER, IDS_TIP_DATE_FILTER},
    {IDC_CHOOSE_DATE, IDS_TIP_CHOOSE_DATE},
    {IDC_REFRESH, IDS_TIP_REFRESH},
    {IDC_DELETE, IDS_TIP_DELETE},
    {IDC_VIEW, IDS_TIP_VIEW},
    {IDC_SAVE, IDS_TIP_SAVE},
    {IDC_SAVE_AS, IDS_TIP_SAVE_AS},
    {IDC_SAVE_ALL, IDS_TIP_SAVE_ALL},
    {IDC_CHOOSE_TARGET, IDS_TIP_CHOOSE_TARGET},
    {IDC_OPEN_TARGET, IDS_TIP_OPEN_TARGET},
};

}  // namespace

CSplashDlg::CSplashDlg(HINSTANCE instance) : ModelessDialog(instance, IDD_SPLASH) {}

CViewerDlg::CViewerDlg(HINSTANCE instance, std::string commandLineSite)
    : ModalDialog(instance, IDD_MORAVEL),
      commandLineSite_(std::move(commandLineSite)),
      exactDate_(base::Now()),
      startDate_(exactDate_),
      endDate_(exactDate_) {
    icon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MORAVEL));
}

CViewerDlg::~CViewerDlg() {
    // The window owns the image list: the list shares it (LVS_SHAREIMAGELISTS) and leaves it.
    if (imageList_) {
        if (window_) list_.SetSmallImages(nullptr);
        ImageList_Destroy(imageList_);
    }
}

std::string CViewerDlg::Text(UINT id) const {
    char text[512] = {};
    const int n = LoadStringA(Instance(), id, text, sizeof(text));
    return std::string(text, n > 0 ? n : 0);
}

BOOL CViewerDlg::OnInit() {
    // 1. The controls of the template, bound.
    list_ = win::ColorListView(Item(IDC_MOVIE_LIST));
    siteCombo_ = win::ComboBox(Item(IDC_SITE_FILTER));
    sourceCombo_ = win::ComboBox(Item(IDC_SOURCE));
    dateCombo_ = win::ComboBox(Item(IDC_DATE_FILTER));
    flash_.Attach(Item(IDC_FLASH));

    // 2. The large icon.
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));

    // 3. The preview one pixel inside its black frame.
    RECT frame{};
    GetWindowRect(Item(IDC_FLASH_FRAME), &frame);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&frame), 2);
    SetWindowPos(Item(IDC_FLASH), nullptr, frame.left + 1, frame.top + 1,
                 frame.right - frame.left - 2, frame.bottom - frame.top - 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // 4. The list's only column and its icons.
    RECT listRect{};
    GetWindowRect(list_.Window(), &listRect);
    list_.InsertColumn(0, "ITEMS", (listRect.right - listRect.left) - 21);
    imageList_ = ImageList_Create(16, 16, ILC_MASK | ILC_COLORDDB, 2, 1);
    ImageList_AddIcon(imageList_,
                      static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_FOLDER),
                                                    IMAGE_ICON, 16, 16, LR_SHARED)));
    ImageList_AddIcon(imageList_,
                      static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_MOVIE),
                                                    IMAGE_ICON, 16, 16, LR_SHARED)));
    list_.SetSmallImages(imageList_);

    // 5. and 6. Settings, the view folder and the site to preselect.
    ReadSettings();

    // 7. The site combo, with the fixed entries only while the catalogue is empty.
    FillSiteCombo();

    // 8. and 9. Source and date combos.
    FillSourceAndDateCombos();

    // The tooltips, before the splash.
    CreateTips();

    // 10. The splash for as long as the first scan takes.
    CSplashDlg splash(Instance());
    if (splash.Create(GetDesktopWindow())) {
        ShowWindow(splash.Window(), SW_SHOW);
        SetForegroundWindow(splash.Window());
        // Painted at once, children included: no message is pumped during the scan.
        RedrawWindow(splash.Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // 11. The first scan.
    Rescan();

    // 12. The splash goes with its object.
    return TRUE;
}

void CViewerDlg::CreateTips() {
    if (tipControls_.CreateTipWindow(window_, true)) {
        tipControls_.SetDelay(tooltip::delay::kInitial, 1000);
        tipControls_.SetDelay(tooltip::delay::kAutopop, 30000);
        for (const auto& tip : kControlTips) tipControls_.RegisterTool(Item(tip.control), tip.text);
    }
    if (tipList_.CreateTipWindow(window_, false)) {
        tipList_.SetNotifyParent(true);
        tipList_.SetDelay(tooltip::delay::kInitial, 1000);
        tipList_.SetDefaultBehaviour(tooltip::behaviour::kReshowOnMove);
        // Below and right of its point, which is a row's corner: the tip covers the row.
        tipList_.SetDefaultDirection(tooltip::direction::kTopLeft);
        tipList_.RegisterTool(list_.Window(), "");
    }
}

bool CViewerDlg::PreTranslateMessage(MSG& message) {
    tipControls_.ForwardMessage(message);
    tipList_.ForwardMessage(message);
    return ModalDialog::PreTranslateMessage(message);
}

void CViewerDlg::OnListTip(tooltip::TooltipDisplayInfo& info) {
    if (!info.toolWindow || GetDlgCtrlID(info.toolWindow) != IDC_MOVIE_LIST) return;
    const HWND list = list_.Window();
    // The point in the list's client area, where its rows are (the border is not).
    POINT p = *info.point;
    ScreenToClient(list, &p);
    LVHITTESTINFO hit{};
    hit.pt = p;
    SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || hit.iItem >= list_.Count() || !(hit.flags & LVHT_ONITEM)) return;

    // The row's own text, whole, shown as it is and not as mark-up.
    std::string text;
    if (hit.iSubItem == 0) {
        text = list_.Text(hit.iItem);
    } else {
        char buffer[1024] = {};
        ListView_GetItemText(list, hit.iItem, hit.iSubItem, buffer, sizeof buffer);
        text = buffer;
    }
    info.tool->text = tooltip::EscapeMarkup(text);

    // Over a shown header the tip names the column instead.
    const HWND header = ListView_GetHeader(list);
    RECT column{};
    if (header && IsWindowVisible(header) && Header_GetItemRect(header, hit.iSubItem, &column)) {
        OffsetRect(&column, -GetScrollPos(list, SB_HORZ), 0);
        if (PtInRect(&column, p)) {
            char title[256] = {};
            LVCOLUMNA c{};
            c.mask = LVCF_TEXT;
            c.pszText = title;
            c.cchTextMax = sizeof title;
            SendMessageA(list, LVM_GETCOLUMNA, hit.iSubItem, reinterpret_cast<LPARAM>(&c));
            info.tool->text = tooltip::EscapeMarkup(title);
            info.point->x += 5;
            info.point->y += 20;
            return;
        }
    }
    RECT row{};
    ListView_GetItemRect(list, hit.iItem, &row, LVIR_BOUNDS);
    POINT corner{row.left, row.top};
    ClientToScreen(list, &corner);
    *info.point = {corner.x + 1, corner.y + 1};
}

void CViewerDlg::ReadSettings() {
    DWORD saveSite = 0, saveDate = 0;
    ReadDwordSetting(HKEY_CURRENT_USER, kSettingsKey, kSaveSiteFilterValue, saveSite);
    ReadDwordSetting(HKEY_CURRENT_USER, kSettingsKey, kSaveDateFilterValue, saveDate);
    ReadDateSetting(HKEY_CURRENT_USER, kSettingsKey, kExactDateValue, exactDate_);
    ReadDateSetting(HKEY_CURRENT_USER, kSettingsKey, kStartDateValue, startDate_);
    ReadDateSetting(HKEY_CURRENT_USER, kSettingsKey, kEndDateValue, endDate_);
    ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kViewFolderValue, viewFolder_);
    if (viewFolder_.empty()) viewFolder_ = ProgramDrive();
    SetItemText(IDC_VIEW_FOLDER, viewFolder_);

    std::string storedSite;
    if (saveSite != 0)
        ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kSiteFilterValue, storedSite);
    siteFilter_ = InitialSiteFilter(saveSite, storedSite, commandLineSite_, Text(IDS_ALL_SITES));
    saveDateFilter_ = saveDate;
}

void CViewerDlg::FillSourceAndDateCombos() {
    for (int source : kSourceOrder) sourceCombo_.SetData(sourceCombo_.Add(Text(source)), source);

    std::vector<std::string> dateTexts;
    for (int kind : kDateFilterOrder) {
        dateTexts.push_back(Text(kind));
        dateCombo_.SetData(dateCombo_.Add(dateTexts.back()), kind);
    }
    std::string storedDate;
    if (saveDateFilter_ != 0)
        ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kDateFilterValue, storedDate);
    dateCombo_.Select(InitialDateEntry(saveDateFilter_, storedDate, dateTexts, Text(kAnyTime)));

    DWORD source = kIeCacheSource;
    ReadDwordSetting(HKEY_CURRENT_USER, kSettingsKey, kSourceValue, source);
    if (!commandLineSite_.empty()) source = kIeCacheSource;
    const int kind = SourceFromSelection(static_cast<int>(source));
    sourceCombo_.Select(sourceCombo_.FindExact(Text(kind)));
}

void CViewerDlg::Rescan() {
    RunScan(*this, sources_, catalogue_);
}

std::optional<int> CViewerDlg::SelectedSource() const {
    const int index = sourceCombo_.Selection();
    if (index == CB_ERR) return std::nullopt;
    return static_cast<int>(sourceCombo_.Data(index));
}

int CViewerDlg::CurrentSource() const {
    return SourceFromSelection(SelectedSource());
}

void CViewerDlg::BeginWaitCursor() {
    savedCursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void CViewerDlg::EndWaitCursor() {
    SetCursor(savedCursor_ ? savedCursor_ : LoadCursor(nullptr, IDC_ARROW));
}

void CViewerDlg::FillSiteCombo() {
    siteCombo_.Clear();
    siteCombo_.Add(Text(IDS_ALL_SITES));
    siteCombo_.Add(Text(IDS_STANDALONE_SWF));
    for (const std::string& site : SiteEntries(catalogue_)) {
        if (siteCombo_.FindExact(site) == CB_ERR) siteCombo_.Add(site);
    }
    if (siteFilter_.empty() || siteCombo_.SelectByPrefix(siteFilter_) == CB_ERR)
        siteCombo_.Select(siteCombo_.FindExact(Text(IDS_ALL_SITES)));
}

void CViewerDlg::FillMovieList(int source) {
    const int kind = static_cast<int>(dateCombo_.SelectedData(kAnyTime));
    const DateFilterDates dates{exactDate_, startDate_, endDate_};
    const base::Time64 now = base::Now();
    auto passesDate = [&](const MovieRecord& r) {
        return kind == kAnyTime || PassesDateFilter(r.time, kind, dates, now);
    };
    std::vector<win::ColorListView::Row> rows;

    if (source == kCustomFolderSource) {
        // Parent entry, subfolders, then files, as the folder source made them.
        list_.SetSorted(false);
        for (const MovieRecord& r : catalogue_) {
            if (!r.isFolder && !passesDate(r)) continue;
            rows.push_back({r.name, r.isFolder ? 0 : 1, r.id});
        }
        list_.Assign(std::move(rows));
        return;
    }

    list_.SetSorted(true);
    std::optional<std::string> siteSelection;
    const bool siteTest = source == kIeCacheSource;
    if (siteTest && siteCombo_.Selection() != CB_ERR)
        siteSelection = siteCombo_.Text(siteCombo_.Selection());
    const std::string allSites = Text(IDS_ALL_SITES), standalone = Text(IDS_STANDALONE_SWF);
    for (const MovieRecord& r : catalogue_) {
        if (siteTest && !PassesSiteFilter(r, siteSelection, allSites, standalone)) continue;
        if (!passesDate(r)) continue;
        rows.push_back({r.name, 1, r.id});
    }
    list_.Assign(std::move(rows));
    if (list_.Count() > 0) list_.Select(0);
}

void CViewerDlg::SaveSource(int source) {
    WriteDwordSetting(HKEY_CURRENT_USER, kSettingsKey, kSourceValue, static_cast<DWORD>(source));
}

void CViewerDlg::UpdateControls() {
    const int dateIndex = dateCombo_.Selection();
    const ControlsState state = ComputeControlsState(
        list_.Count(), list_.SelectedCount(), SelectedSource(),
        dateIndex == CB_ERR ? std::nullopt
                            : std::optional<int>(static_cast<int>(dateCombo_.Data(dateIndex))));
    EnableItem(IDC_DELETE, state.deleteEnabled);
    EnableItem(IDC_SAVE_AS, state.saveAsEnabled);
    EnableItem(IDC_SAVE, state.saveEnabled);
    EnableItem(IDC_SAVE_ALL, state.saveAllEnabled);
    EnableItem(IDC_VIEW, state.viewEnabled);
    EnableItem(IDC_SITE_FILTER, state.siteComboEnabled);
    ShowItem(IDC_LABEL_4, state.createdVisible);
    ShowItem(IDC_DETAIL_4, state.createdVisible);
    SetItemText(IDC_LABEL_1, Text(state.labelIds[0]));
    SetItemText(IDC_LABEL_2, Text(state.labelIds[1]));
    SetItemText(IDC_LABEL_3, Text(state.labelIds[2]));
    EnableItem(IDC_CHOOSE_DATE, state.dateChooseEnabled);
    EnableItem(IDC_CHOOSE_VIEW_FOLDER, state.folderEnabled);
    EnableItem(IDC_VIEW_FOLDER, state.folderEnabled);
}

void CViewerDlg::ShowDetails(std::int32_t id) {
    const MovieRecord record = catalogue_.Find(id);
    if (record.localPath.empty() || record.isFolder) return;
    PreviewMovie(record.localPath);
    const DetailTexts texts = DetailsFor(record, CurrentSource(), Text(IDS_BYTES_UNIT));
    SetItemText(IDC_DETAIL_1, texts.field1005);
    SetItemText(IDC_DETAIL_2, texts.field1009);
    SetItemText(IDC_DETAIL_3, texts.field1008);
    SetItemText(IDC_DETAIL_4, texts.field1010);
}

void CViewerDlg::PreviewMovie(const std::string& path) {
    flash_.SetMovie(path);
}

void CViewerDlg::OnSiteChange() {
    if (closing_) return;
    const int index = siteCombo_.Selection();
    if (index != CB_ERR) {
        siteFilter_ = siteCombo_.Text(index);
        WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, kSiteFilterValue, siteFilter_);
    }
    FillMovieList(CurrentSource());
    UpdateControls();
}

void CViewerDlg::OnDateChange() {
    if (closing_) return;
    const int index = dateCombo_.Selection();
    if (index != CB_ERR)
        WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, kDateFilterValue,
                           dateCombo_.Text(index));
    FillMovieList(CurrentSource());
    UpdateControls();
}

std::optional<base::Time64> CViewerDlg::AskExactDate(base::Time64 date) {
    CExactDlg dialog(Instance(), date);
    if (dialog.DoModal(window_) != IDOK) return std::nullopt;
    return dialog.Date();
}

std::optional<std::pair<base::Time64, base::Time64>> CViewerDlg::AskTimeRange(base::Time64 start,
                                                                              base::Time64 end) {
    CRangeDlg dialog(Instance(), start, end);
    if (dialog.DoModal(window_) != IDOK) return std::nullopt;
    return std::make_pair(dialog.Start(), dialog.End());
}

void CViewerDlg::OnChooseDate() {
    const int index = dateCombo_.Selection();
    if (index == CB_ERR) return;
    const int kind = static_cast<int>(dateCombo_.Data(index));
    if (kind == kExactDate) {
        const auto date = AskExactDate(exactDate_);
        if (!date) return;
        exactDate_ = *date;
        WriteDateSetting(HKEY_CURRENT_USER, kSettingsKey, kExactDateValue, exactDate_);
    } else if (kind == kTimeRange) {
        const auto range = AskTimeRange(startDate_, endDate_);
        if (!range) return;
        startDate_ = range->first;
        endDate_ = range->second;
        WriteDateSetting(HKEY_CURRENT_USER, kSettingsKey, kStartDateValue, startDate_);
        WriteDateSetting(HKEY_CURRENT_USER, kSettingsKey, kEndDateValue, endDate_);
    } else {
        return;
    }
    FillMovieList(CurrentSource());
    UpdateControls();
}

void CViewerDlg::OnItemChanged() {
    if (closing_) return;
    const int row = list_.NextSelected(-1);
    if (row != -1) {
        const LPARAM id = list_.Value(row);
        if (id != 0) ShowDetails(static_cast<std::int32_t>(id));
    }
    UpdateControls();
}

std::vector<MovieRecord> CViewerDlg::SelectedRecords() const {
    std::vector<MovieRecord> records;
    for (int row = list_.NextSelected(-1); row != -1; row = list_.NextSelected(row)) {
        MovieRecord record = catalogue_.Find(static_cast<std::int32_t>(list_.Value(row)));
        if (!record.localPath.empty()) records.push_back(std::move(record));
    }
    return records;
}

void CViewerDlg::OnSave(bool ask) {
    SaveUi& ui = Saver();
    ui.owner = window_;
    SaveMovies(SelectedRecords(), ask, ui);
}

void CViewerDlg::OnView() {
    if (closing_) return;
    const int row = list_.NextSelected(-1);
    if (row == -1 || list_.Value(row) == 0) return;
    OpenExternally(catalogue_.Find(static_cast<std::int32_t>(list_.Value(row))).localPath);
}

bool CViewerDlg::ConfirmDelete() {
    return MessageBoxA(window_, Text(IDS_CONFIRM_DELETE).c_str(), "Moravel",
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CViewerDlg::OnDelete() {
    if (!ConfirmDelete()) return;
    for (int row = list_.NextSelected(-1); row != -1; row = list_.NextSelected(row)) {
        const LPARAM value = list_.Value(row);
        if (value == 0) continue;
        const MovieRecord record = catalogue_.Find(static_cast<std::int32_t>(value));
        DeleteMovieFiles(record);
        catalogue_.Remove(static_cast<std::int32_t>(value));
    }
    list_.DeleteSelected();
    FillMovieList(CurrentSource());
    // An emptied list raises no selection change: the enabling rules must run here.
    UpdateControls();
}

std::string CViewerDlg::AskViewFolder() {
    return BrowseForFolder(Text(IDS_BROWSE_VIEW_FOLDER), "");
}

void CViewerDlg::OnChooseViewFolder() {
    const std::string folder = AskViewFolder();
    if (!folder.empty()) {
        viewFolder_ = folder;
        WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, kViewFolderValue, viewFolder_);
        SetItemText(IDC_VIEW_FOLDER, viewFolder_);
    }
    Rescan();  // whether or not a folder was picked
}

void CViewerDlg::OnOpenEntry() {
    if (closing_) return;
    const int row = list_.NextSelected(-1);
    if (row == -1) return;
    const MovieRecord record = catalogue_.Find(static_cast<std::int32_t>(list_.Value(row)));
    if (record.localPath.empty()) return;
    if (record.isFolder) {
        // A vanished folder is entered all the same: its scan shows the parent entry only.
        viewFolder_ = FolderAfterOpening(viewFolder_, record.name);
        WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, kViewFolderValue, viewFolder_);
        SetItemText(IDC_VIEW_FOLDER, viewFolder_);
        Rescan();
        return;
    }
    if (record.localPath.size() < 4) return;
    OpenExternally(record.localPath);
}

void CViewerDlg::OnOK() {
    // The close button (id 1): the default button is save, so Enter never lands here.
    closing_ = true;
    Close(IDOK);
}

bool CViewerDlg::OnCommand(int code, int id, HWND control) {
    switch (id) {
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            // Escape (and the system close, which has set closing already).
            Close(IDCANCEL);
            return true;
        case IDC_REFRESH:
            if (code == BN_CLICKED && !closing_) Rescan();
            return true;
        case IDC_SOURCE:
            if (code == CBN_SELCHANGE && !closing_) Rescan();
            return true;
        case IDC_SITE_FILTER:
            if (code == CBN_SELCHANGE) OnSiteChange();
            return true;
        case IDC_DATE_FILTER:
            if (code == CBN_SELCHANGE) OnDateChange();
            return true;
        case IDC_CHOOSE_DATE:
            if (code == BN_CLICKED) OnChooseDate();
            return true;
        case IDC_SAVE:
            if (code == BN_CLICKED) OnSave(false);
            return true;
        case IDC_SAVE_AS:
            if (code == BN_CLICKED) OnSave(true);
            return true;
        case IDC_SAVE_ALL:
            if (code == BN_CLICKED) {
                Saver().owner = window_;
                SaveCatalogue(catalogue_, Saver());
            }
            return true;
        case IDC_CHOOSE_TARGET:
            if (code == BN_CLICKED) ChooseTargetFolder();
            return true;
        case IDC_OPEN_TARGET:
            if (code == BN_CLICKED) OpenTargetFolder();
            return true;
        case IDC_VIEW:
            if (code == BN_CLICKED) OnView();
            return true;
        case IDC_DELETE:
            if (code == BN_CLICKED) OnDelete();
            return true;
        case IDC_CHOOSE_VIEW_FOLDER:
            if (code == BN_CLICKED) OnChooseViewFolder();
            return true;
        default:
            return ModalDialog::OnCommand(code, id, control);
    }
}

bool CViewerDlg::OnNotify(int id, NMHDR* header, LRESULT& result) {
    if (header->code == tooltip::kDisplayNotification && header->hwndFrom == tipList_.Window()) {
        OnListTip(*reinterpret_cast<tooltip::TooltipDisplayInfo*>(header));
        result = 0;
        return true;
    }
    if (id != IDC_MOVIE_LIST) return false;
    if (list_.OnNotify(header, result)) return true;  // texts, icons, drawing, searches
    switch (header->code) {
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:  // a range of rows selected at once (shift-click)
            OnItemChanged();
            return true;
        case NM_DBLCLK:
            OnOpenEntry();
            return true;
        default:
            return false;
    }
}

void CViewerDlg::PaintIcon() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(window_, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &ps);
}

bool CViewerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
        case WM_PAINT:
            if (!IsIconic(window_)) return false;
            PaintIcon();
            result = TRUE;
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<INT_PTR>(icon_);
            return true;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) closing_ = true;
            return false;  // the default handling goes on
        default:
            return false;
    }
}

}  // namespace viewer
