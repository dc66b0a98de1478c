// The programs' owner-data list under Wine: the order of a sorted list fed one row at a time
// and compared with lstrcmpiA, texts that read back through the control in both character
// sets, searches, selection and deletion.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/ansi_wide.h"
#include "win/color_list_view.h"
#include "win/window_class.h"

namespace {

// A window that hands its list's notifications to the list object, as the dialogs do.
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* list =
            reinterpret_cast<win::ColorListView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (list && list->OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ListView : public testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        ASSERT_TRUE(win::RegisterWindowClassOnce("ListViewTestParent", ParentProc));
        parent_ = CreateWindowExA(0, "ListViewTestParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 300,
                                  300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        list_ = win::ColorListView(Child(LVS_OWNERDATA));
        list_.InsertColumn(0, "ITEMS", 200);
        SetWindowLongPtrA(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&list_));
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND Child(DWORD style) const {
        return CreateWindowExA(0, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | style, 0, 0,
                               250, 250, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    // A row's text as anyone reads it from the control, in the code page and in UTF-16.
    std::string TextA(int row, int capacity = 256) const {
        std::vector<char> text(static_cast<std::size_t>(capacity) + 1, '#');
        ListView_GetItemText(list_.Window(), row, 0, text.data(), capacity);
        return text.data();
    }
    std::wstring TextW(int row) const {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list_.Window(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    void Fill(const std::vector<std::string>& texts) {
        std::vector<win::ColorListView::Row> rows;
        for (std::size_t i = 0; i < texts.size(); ++i)
            rows.push_back({texts[i], static_cast<int>(i % 2), static_cast<LPARAM>(100 + i)});
        list_.Assign(std::move(rows));
    }

    HWND parent_ = nullptr;
    win::ColorListView list_;
};

TEST_F(ListView, SortsLikeASortedListComparingWithLstrcmpi) {
    // Letter case, equal texts, digits, punctuation that a word sort skips, and code page 936
    // characters, some of whose trail bytes are "\" or letters.
    const std::vector<std::string> texts = {
        "b",        "B",        "a",        "b",        "A",        "_x",       "-x",
        "x-",       "co-op",    "coop",     "co op",    "10",       "9",        "1a",
        "a1",       "Zeta",     "zeta",     "\xB5\xDA", "\xB0\xA1", "\x81\x5C", "a\xB5\xDA",
        "flash001", "flash001", "FLASH001", "'q",       "q'",       "~",        "[x",
        "\xA3\xA1", "",         "ae",       "\xD5\x5A", "\xD5\x41", "flash010", "flash002"};
    // The rule itself: each row goes before the first row that is not less than it.
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto at = expected.begin();
        while (at != expected.end() && lstrcmpiA(texts[*at].c_str(), texts[i].c_str()) < 0) ++at;
        expected.insert(at, i);
    }
    list_.SetSorted(true);
    Fill(texts);

    ASSERT_EQ(list_.Count(), static_cast<int>(texts.size()));
    ASSERT_EQ(ListView_GetItemCount(list_.Window()), list_.Count());
    for (int row = 0; row < list_.Count(); ++row) {
        const std::size_t index = expected[static_cast<std::size_t>(row)];
        // The same record on every row, equal texts included.
        EXPECT_EQ(list_.Value(row), static_cast<LPARAM>(100 + index)) << row;
        const std::string& text = texts[index];
        EXPECT_EQ(list_.Text(row), text) << row;
        EXPECT_EQ(TextA(row), text) << row;
        EXPECT_EQ(TextW(row), win::WideFromAnsi(text)) << row;
    }

    // Unsorted, the rows keep the given order.
    list_.SetSorted(false);
    Fill(texts);
    for (int row = 0; row < list_.Count(); ++row) EXPECT_EQ(list_.Value(row), 100 + row);
}

TEST_F(ListView, ShortBuffersNeverGetHalfACharacter) {
    Fill(
        {"ab\xB5\xDA"
         "cd"});                   // a, b, 第, c, d
    EXPECT_EQ(TextA(0, 3), "ab");  // 第 would need bytes 3 and 4 of a buffer of 3
    EXPECT_EQ(TextA(0, 5), "ab\xB5\xDA");
    EXPECT_EQ(TextA(0, 1), "");
}

TEST_F(ListView, FindsRowsByPrefixTextOrValue) {
    Fill({"alpha", "Beta", "bravo", "beta"});
    // What the control asks when the user types or a caller sends LVM_FINDITEM.
    struct Case {
        int start;  // the first row to look at
        UINT flags;
        const char* text;
        LPARAM value;
        int expected;
    };
    const Case cases[] = {
        {2, LVFI_STRING, "BETA", 0, 3},  // letter case ignored
        {0, LVFI_PARTIAL | LVFI_STRING, "br", 0, 2},
        {3, LVFI_PARTIAL | LVFI_STRING, "al", 0, -1},
        {9, LVFI_PARTIAL | LVFI_STRING | LVFI_WRAP, "al", 0, 0},
        {3, LVFI_PARAM | LVFI_WRAP, nullptr, 101, 1},
        {0, LVFI_PARAM, nullptr, 7, -1},
    };
    for (const Case& c : cases) {
        NMLVFINDITEMA find{};
        find.hdr.code = LVN_ODFINDITEMA;
        find.iStart = c.start;
        find.lvfi = {c.flags, c.text, c.value, {}, 0};
        LRESULT result = -2;
        EXPECT_TRUE(list_.OnNotify(&find.hdr, result));
        EXPECT_EQ(result, c.expected) << c.start << " " << (c.text ? c.text : "value");
    }
    LVFINDINFOA find{LVFI_PARTIAL | LVFI_STRING, "BRA", 0, {}, 0};  // through the control
    EXPECT_EQ(ListView_FindItem(list_.Window(), -1, &find), 2);
}

TEST_F(ListView, SelectionAndDeletionFollowTheRows) {
    list_.SetSorted(true);
    Fill({"d", "a", "c", "b"});  // shown a b c d, values 101 103 102 100
    list_.Select(1);
    ListView_SetItemState(list_.Window(), 3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list_.SelectedCount(), 2);
    EXPECT_EQ(list_.NextSelected(1), 3);
    list_.DeleteSelected();  // b and d go
    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(ListView_GetItemCount(list_.Window()), 2);
    EXPECT_EQ(list_.SelectedCount(), 0);
    EXPECT_EQ(TextA(1), "c");
    EXPECT_EQ(list_.Value(1), 102);
    EXPECT_EQ(list_.Value(2), 0);  // past the end
    // A new fill starts without a selection.
    list_.Select(0);
    Fill({"x", "y"});
    EXPECT_EQ(list_.SelectedCount(), 0);
}

}  // namespace
