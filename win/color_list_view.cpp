#include "win/color_list_view.h"

#include <algorithm>
#include <numeric>

#include "base/ansi_text.h"
#include "win/ansi_wide.h"

namespace win {
namespace {

// Copies text into a caller's buffer of capacity bytes, cut on a character boundary so that
// no lead byte is left without its trail byte, and always terminated.
void CopyText(const std::string& text, char* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + base::CharLength(text, end);
        if (next > static_cast<std::size_t>(capacity - 1)) break;
        end = next;
    }
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), buffer);
    buffer[end] = '\0';
}

void CopyText(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    const std::size_t end = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), buffer);
    buffer[end] = L'\0';
}

// The text's sort key in the user's locale, letter case ignored: the order of lstrcmpiA, which
// is how the sorted movie list has always ordered its rows on Windows. Empty when the system
// cannot make one.
std::string SortKey(const std::string& text) {
    const std::wstring wide = WideFromAnsi(text);
    const int length = static_cast<int>(wide.size());
    const int size =
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, wide.c_str(), length,
                     nullptr, 0);
    std::string key(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, wide.c_str(), length,
                     reinterpret_cast<LPWSTR>(key.data()), size);
    return key;
}

template <typename DispInfo, typename Answer>
void AnswerDispInfo(DispInfo* info, const ColorListView::Row* row, Answer copyText) {
    auto& item = info->item;
    if (row == nullptr) {
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) item.pszText[0] = 0;
        return;
    }
    if (item.mask & LVIF_TEXT) copyText(row->text, item.pszText, item.cchTextMax);
    if (item.mask & LVIF_IMAGE) item.iImage = row->image;
    if (item.mask & LVIF_PARAM) item.lParam = row->value;
}

}  // namespace

int ColorListView::InsertColumn(int index, const std::string& title, int width, int format) const {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title.c_str());
    return static_cast<int>(
        SendMessageA(window_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
}

void ColorListView::SetSmallImages(HIMAGELIST images) const {
    ListView_SetImageList(window_, images, LVSIL_SMALL);
}

void ColorListView::Assign(std::vector<Row> rows) {
    DeleteAll();
    textColor_ = GetSysColor(COLOR_WINDOWTEXT);
    backgroundColor_ = GetSysColor(COLOR_WINDOW);
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (sorted_) {
        // One sort key per row: comparing keys byte by byte orders texts exactly as
        // CompareString with the same locale and flags does, and costs far less than a
        // CompareString (two conversions and a collation) at every comparison. A sorted list
        // puts a row before the first row that is not less than it, so equal texts end up
        // latest first: the reversed order is sorted stably.
        std::vector<std::string> keys;
        keys.reserve(rows.size());
        for (const Row& row : rows) keys.push_back(SortKey(row.text));
        std::reverse(order.begin(), order.end());
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    }
    rows_.reserve(rows.size());
    for (std::size_t index : order) rows_.push_back(std::move(rows[index]));
    ListView_SetItemCountEx(window_, static_cast<int>(rows_.size()), 0);
}

void ColorListView::DeleteAll() {
    rows_.clear();
    ListView_DeleteAllItems(window_);
}

void ColorListView::DeleteSelected() {
    std::vector<int> selected;
    for (int row = NextSelected(-1); row != -1; row = NextSelected(row)) selected.push_back(row);
    // From the last one up, so that the indexes still to come stay valid.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it >= Count()) continue;
        rows_.erase(rows_.begin() + *it);
        ListView_DeleteItem(window_, *it);
    }
}

void ColorListView::Select(int row) const {
    ListView_SetItemState(window_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

LPARAM ColorListView::Value(int row) const {
    return row >= 0 && row < Count() ? rows_[row].value : 0;
}

std::string ColorListView::Text(int row) const {
    return row >= 0 && row < Count() ? rows_[row].text : std::string();
}

int ColorListView::FindText(const std::string& text, UINT flags, int start) const {
    const int count = Count();
    if (count == 0) return -1;
    start = std::clamp(start, 0, count);
    const bool partial = (flags & LVFI_PARTIAL) != 0;
    auto matches = [&](int row) {
        const std::string& rowText = rows_[row].text;
        return partial ? base::StartsWithNoCase(rowText, text) : base::EqualsNoCase(rowText, text);
    };
    for (int row = start; row < count; ++row)
        if (matches(row)) return row;
    if (flags & LVFI_WRAP)
        for (int row = 0; row < start; ++row)
            if (matches(row)) return row;
    return -1;
}

int ColorListView::Find(const LVFINDINFOA& find, int start) const {
    if (find.flags & LVFI_PARAM) {
        for (int row = std::max(start, 0); row < Count(); ++row)
            if (rows_[row].value == find.lParam) return row;
        if (find.flags & LVFI_WRAP)
            for (int row = 0; row < std::min(start, Count()); ++row)
                if (rows_[row].value == find.lParam) return row;
        return -1;
    }
    if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.psz != nullptr)
        return FindText(find.psz, find.flags, start);
    return -1;
}

bool ColorListView::OnNotify(NMHDR* header, LRESULT& result) const {
    switch (header->code) {
        case LVN_GETDISPINFOA: {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            const int row = info->item.iItem;
            AnswerDispInfo(info, row >= 0 && row < Count() ? &rows_[row] : nullptr,
                           [](const std::string& text, char* buffer, int capacity) {
                               CopyText(text, buffer, capacity);
                           });
            result = 0;
            return true;
        }
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
            const int row = info->item.iItem;
            AnswerDispInfo(info, row >= 0 && row < Count() ? &rows_[row] : nullptr,
                           [](const std::string& text, wchar_t* buffer, int capacity) {
                               CopyText(WideFromAnsi(text), buffer, capacity);
                           });
            result = 0;
            return true;
        }
        case LVN_ODFINDITEMA: {
            const auto* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
            result = Find(find->lvfi, find->iStart);
            return true;
        }
        case LVN_ODFINDITEMW: {
            const auto* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
            const std::string text = find->lvfi.psz ? AnsiFromWide(find->lvfi.psz) : std::string();
            LVFINDINFOA ansi{};
            ansi.flags = find->lvfi.flags;
            ansi.psz = find->lvfi.psz ? text.c_str() : nullptr;
            ansi.lParam = find->lvfi.lParam;
            result = Find(ansi, find->iStart);
            return true;
        }
        case LVN_ODCACHEHINT:
            result = 0;
            return true;
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            switch (draw->nmcd.dwDrawStage) {
                case CDDS_PREPAINT:
                    result = CDRF_NOTIFYITEMDRAW;
                    break;
                case CDDS_ITEMPREPAINT:
                    result = CDRF_NOTIFYSUBITEMDRAW;
                    break;
                case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
                    draw->clrText = textColor_;
                    draw->clrTextBk = backgroundColor_;
                    result = CDRF_DODEFAULT;
                    break;
                default:
                    result = CDRF_DODEFAULT;
                    break;
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace win
