// The two calendar dialogs of the date filter: one day, or a span of days. Dates read from a
// calendar are local midnights.
#pragma once

#include "base/local_time.h"
#include "win/dialog.h"

namespace viewer {

class CExactDlg : public win::ModalDialog {
public:
    CExactDlg(HINSTANCE instance, base::Time64 date);
    base::Time64 Date() const { return date_; }

protected:
    BOOL OnInit() override;
    void OnOK() override;

private:
    base::Time64 date_;
};

class CRangeDlg : public win::ModalDialog {
public:
    CRangeDlg(HINSTANCE instance, base::Time64 start, base::Time64 end);
    base::Time64 Start() const { return start_; }
    base::Time64 End() const { return end_; }

protected:
    BOOL OnInit() override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;

private:
    // Reads both calendars and enables OK exactly when the end is not before the start.
    void CheckRange();

    base::Time64 start_;
    base::Time64 end_;
};

// A calendar's selection as the local midnight of its day; fallback when it has none.
base::Time64 CalendarDay(HWND calendar, base::Time64 fallback);
// Shows the local day of t in a calendar.
void SetCalendarDay(HWND calendar, base::Time64 t);

}  // namespace viewer
