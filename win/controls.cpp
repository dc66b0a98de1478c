#include "win/controls.h"

namespace win {
namespace {

// What each row carries behind its LPARAM: the caller's value and the colours per column.
struct RowData {
    LPARAM value = 0;
    std::vector<COLORREF> text;
    std::vector<COLORREF> background;
};

RowData* DataOf(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<RowData*>(item.lParam);
}

}  // namespace

int ColorListView::InsertColumn(int index, const std::string& title, int width, int format) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title.c_str());
    const int at = static_cast<int>(
        SendMessageA(window_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    if (at >= 0) ++columns_;
    return at;
}

void ColorListView::SetSmallImages(HIMAGELIST images) const {
    ListView_SetImageList(window_, images, LVSIL_SMALL);
}

int ColorListView::InsertRow(int position, const std::string& text, int image) {
    auto* data = new RowData;
    const int columns = columns_ > 0 ? columns_ : 1;
    data->text.assign(columns, GetSysColor(COLOR_WINDOWTEXT));
    data->background.assign(columns, GetSysColor(COLOR_WINDOW));
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = position;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(data);
    const int row = static_cast<int>(
        SendMessageA(window_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) delete data;
    return row;
}

void ColorListView::SetValue(int row, LPARAM value) const {
    if (RowData* data = DataOf(window_, row)) data->value = value;
}

LPARAM ColorListView::Value(int row) const {
    const RowData* data = DataOf(window_, row);
    return data ? data->value : 0;
}

void ColorListView::SetColors(int row, int column, COLORREF text, COLORREF background) const {
    RowData* data = DataOf(window_, row);
    if (data == nullptr || column < 0 || column >= static_cast<int>(data->text.size())) return;
    data->text[column] = text;
    data->background[column] = background;
    ListView_RedrawItems(window_, row, row);
}

void ColorListView::DeleteSelected() const {
    for (int row = NextSelected(-1); row != -1; row = NextSelected(-1))
        ListView_DeleteItem(window_, row);
}

void ColorListView::Select(int row) const {
    ListView_SetItemState(window_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::string ColorListView::Text(int row) const {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(window_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void ColorListView::SetSorted(bool sorted) const {
    LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    style = sorted ? (style | LVS_SORTASCENDING) : (style & ~LONG_PTR{LVS_SORTASCENDING});
    SetWindowLongPtrA(window_, GWL_STYLE, (style & ~LONG_PTR{LVS_TYPEMASK}) | LVS_REPORT);
}

LRESULT ColorListView::OnCustomDraw(NMLVCUSTOMDRAW* draw) const {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto* data = reinterpret_cast<const RowData*>(draw->nmcd.lItemlParam);
            const int column = draw->iSubItem;
            if (data && column >= 0 && column < static_cast<int>(data->text.size())) {
                draw->clrText = data->text[column];
                draw->clrTextBk = data->background[column];
            }
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void ColorListView::OnDeleteItem(NMLISTVIEW* item) {
    delete reinterpret_cast<RowData*>(item->lParam);
    item->lParam = 0;
}

}  // namespace win
