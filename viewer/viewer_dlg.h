// Moravel's main window: the sources, the filters, the movie list, the details and the
// preview of the selected movie.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "base/local_time.h"
#include "tooltip/rich_tooltip.h"
#include "viewer/actions/movie_actions.h"
#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/movie_catalogue.h"
#include "viewer/discovery/run_scan.h"
#include "win/color_list_view.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/shockwave_flash.h"

namespace viewer {

class CSplashDlg : public win::ModelessDialog {
public:
    explicit CSplashDlg(HINSTANCE instance);
};

class CViewerDlg : public win::ModalDialog, private ScanWindow {
public:
    CViewerDlg(HINSTANCE instance, std::string commandLineSite);
    ~CViewerDlg() override;

    const MovieCatalogue& Catalogue() const { return catalogue_; }
    bool Closing() const { return closing_; }
    const std::string& SiteFilter() const { return siteFilter_; }
    const std::string& ViewFolder() const { return viewFolder_; }
    base::Time64 ExactDate() const { return exactDate_; }
    base::Time64 StartDate() const { return startDate_; }
    base::Time64 EndDate() const { return endDate_; }

    // The scan of the selected source, as refresh runs it.
    void Rescan();
    // The list rebuilt from the catalogue through both filters, as after a deletion.
    void RefillList() { FillMovieList(CurrentSource()); }

    // The two tooltips: the controls' help texts in a balloon, and the movie list's rows.
    const tooltip::CRichToolTip& ControlTips() const { return tipControls_; }
    const tooltip::CRichToolTip& ListTips() const { return tipList_; }

    // Every message of the window's loop passes both tooltips first.
    bool PreTranslateMessage(MSG& message) override;

protected:
    BOOL OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;

    // What the user is asked; tests replace these.
    virtual bool ConfirmDelete();
    virtual std::string AskViewFolder();
    virtual SaveUi& Saver() { return saveUi_; }

    // The date dialogs, run modally; tests replace them.
    virtual std::optional<base::Time64> AskExactDate(base::Time64 date);
    virtual std::optional<std::pair<base::Time64, base::Time64>> AskTimeRange(base::Time64 start,
                                                                              base::Time64 end);

private:
    // The scan driver's view of the window.
    bool IsClosing() const override { return closing_; }
    std::optional<int> SelectedSource() const override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void FillSiteCombo() override;
    void FillMovieList(int source) override;
    void SaveSource(int source) override;
    void UpdateControls() override;

    int CurrentSource() const;
    std::string Text(UINT id) const;
    void ReadSettings();
    void FillSourceAndDateCombos();
    void ShowDetails(std::int32_t id);
    void PreviewMovie(const std::string& path);
    void OnSiteChange();
    void OnDateChange();
    void OnChooseDate();
    void OnItemChanged();
    void PaintIcon();
    // The records of the selected rows, in row order; rows without a record are left out.
    std::vector<MovieRecord> SelectedRecords() const;
    void OnSave(bool ask);
    void OnView();
    void OnDelete();
    void OnChooseViewFolder();
    void OnOpenEntry();
    void CreateTips();
    // The list tooltip's text and point: the row under the cursor, shown whole over itself.
    void OnListTip(tooltip::TooltipDisplayInfo& info);

    std::string commandLineSite_;
    MovieCatalogue catalogue_;
    std::string viewFolder_;
    DiskSources sources_{viewFolder_};
    std::string siteFilter_;
    base::Time64 exactDate_;
    base::Time64 startDate_;
    base::Time64 endDate_;
    bool closing_ = false;
    DWORD saveDateFilter_ = 0;
    HICON icon_ = nullptr;
    HIMAGELIST imageList_ = nullptr;
    HCURSOR savedCursor_ = nullptr;
    win::CFlash_ctrl flash_;
    win::ColorListView list_;
    win::ComboBox siteCombo_;
    win::ComboBox sourceCombo_;
    win::ComboBox dateCombo_;
    SaveUi saveUi_;
    tooltip::CRichToolTip tipControls_;
    tooltip::CRichToolTip tipList_;
};

}  // namespace viewer
