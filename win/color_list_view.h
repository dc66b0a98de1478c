// The list class of the programs: an owner-data (virtual) report list view whose rows live in
// this object. Each row carries its text, its icon and a value; every row is drawn in the text
// and background colours of the system at the time of its fill, which the list's custom
// drawing applies. The control itself holds only the row count and the selection, and asks
// for what it draws, so filling thousands of rows costs
// one sort in the program instead of one sorted insert per row in the control (which compares
// the new row against every row already there).
//
// The control must be made with LVS_REPORT | LVS_OWNERDATA (the style cannot be added later).
// The parent hands every WM_NOTIFY of the list to OnNotify first.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace win {

class ColorListView {
public:
    struct Row {
        std::string text;
        int image = 0;
        LPARAM value = 0;
    };

    ColorListView() = default;
    explicit ColorListView(HWND window) : window_(window) {}
    HWND Window() const { return window_; }

    int InsertColumn(int index, const std::string& title, int width,
                     int format = LVCFMT_LEFT) const;
    void SetSmallImages(HIMAGELIST images) const;

    // Replaces every row. When the list is sorted the rows are shown in the order the
    // system's sorted list view gives texts inserted one by one in this order: ascending by
    // CompareString in the user's locale (letter case counting only between texts that are
    // otherwise equal, small letters first), and among equal texts the later row first.
    // Otherwise they keep the given order. No row is selected afterwards.
    void Assign(std::vector<Row> rows);
    void DeleteAll();
    // Removes the selected rows; the rows after them move up.
    void DeleteSelected();

    int Count() const { return static_cast<int>(rows_.size()); }
    int SelectedCount() const { return static_cast<int>(ListView_GetSelectedCount(window_)); }
    // The first selected row after row (-1 for the first of all); -1 when none.
    int NextSelected(int after) const {
        return ListView_GetNextItem(window_, after, LVNI_SELECTED);
    }
    void Select(int row) const;
    // A row's value and text; 0 and empty outside the rows.
    LPARAM Value(int row) const;
    std::string Text(int row) const;

    // Sorted ascending by text, or in the given order; takes effect at the next Assign.
    void SetSorted(bool sorted) { sorted_ = sorted; }
    bool Sorted() const { return sorted_; }

    // Answers the list's requests for texts and icons (LVN_GETDISPINFO), its custom drawing
    // and its searches by text or value (LVN_ODFINDITEM: type-ahead, LVM_FINDITEM). True when
    // the notification was one of these, with result as the answer.
    bool OnNotify(NMHDR* header, LRESULT& result) const;

private:
    int Find(const LVFINDINFOA& find, int start) const;
    int FindText(const std::string& text, UINT flags, int start) const;

    HWND window_ = nullptr;
    bool sorted_ = false;
    COLORREF textColor_ = 0, backgroundColor_ = 0;  // the system's, at the last fill
    std::vector<Row> rows_;
};

}  // namespace win
