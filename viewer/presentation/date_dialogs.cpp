#include "viewer/presentation/date_dialogs.h"

#include <commctrl.h>

#include "viewer/presentation/date_filter.h"
#include "viewer/resource.h"

namespace viewer {

base::Time64 CalendarDay(HWND calendar, base::Time64 fallback) {
    SYSTEMTIME day{};
    if (!MonthCal_GetCurSel(calendar, &day)) return fallback;
    return LocalMidnight(day.wYear, day.wMonth, day.wDay).value_or(fallback);
}

void SetCalendarDay(HWND calendar, base::Time64 t) {
    const auto local = base::BreakDownLocal(t);
    if (!local) return;
    SYSTEMTIME day{};
    day.wYear = static_cast<WORD>(local->year);
    day.wMonth = static_cast<WORD>(local->month);
    day.wDay = static_cast<WORD>(local->day);
    MonthCal_SetCurSel(calendar, &day);
}

CExactDlg::CExactDlg(HINSTANCE instance, base::Time64 date)
    : ModalDialog(instance, IDD_EXACT_DATE), date_(date) {}

BOOL CExactDlg::OnInit() {
    SetCalendarDay(Item(IDC_EXACT_CALENDAR), date_);
    return TRUE;
}

void CExactDlg::OnOK() {
    date_ = CalendarDay(Item(IDC_EXACT_CALENDAR), date_);
    Close(IDOK);
}

CRangeDlg::CRangeDlg(HINSTANCE instance, base::Time64 start, base::Time64 end)
    : ModalDialog(instance, IDD_TIME_RANGE), start_(start), end_(end) {}

BOOL CRangeDlg::OnInit() {
    SetCalendarDay(Item(IDC_RANGE_START), start_);
    SetCalendarDay(Item(IDC_RANGE_END), end_);
    CheckRange();
    return TRUE;
}

bool CRangeDlg::OnNotify(int id, NMHDR* header, LRESULT&) {
    if (header->code == MCN_SELCHANGE && (id == IDC_RANGE_START || id == IDC_RANGE_END)) {
        CheckRange();
        return true;
    }
    return false;
}

void CRangeDlg::CheckRange() {
    start_ = CalendarDay(Item(IDC_RANGE_START), start_);
    end_ = CalendarDay(Item(IDC_RANGE_END), end_);
    EnableItem(IDOK, RangeAllowsOk(start_, end_));
}

}  // namespace viewer
