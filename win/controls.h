// Thin, non-owning wrappers around standard controls: each method is one message.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace win {

class ComboBox {
public:
    ComboBox() = default;
    explicit ComboBox(HWND window) : window_(window) {}
    HWND Window() const { return window_; }

    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    void Clear() const { Send(CB_RESETCONTENT); }
    int Add(const std::string& text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void SetData(int index, LPARAM data) const { Send(CB_SETITEMDATA, index, data); }
    LPARAM Data(int index) const { return Send(CB_GETITEMDATA, index); }
    int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, index); }
    // The whole text, letter case ignored; CB_ERR when absent.
    int FindExact(const std::string& text) const {
        return static_cast<int>(Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str())));
    }
    // Selects the first entry that begins with text (letter case ignored); CB_ERR when none.
    int SelectByPrefix(const std::string& text) const {
        return static_cast<int>(
            Send(CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
    }
    std::string Text(int index) const {
        const LRESULT length = Send(CB_GETLBTEXTLEN, index);
        if (length == CB_ERR) return {};
        std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
        Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        return text.data();
    }
    // Item data of the selection; fallback when nothing is selected.
    LPARAM SelectedData(LPARAM fallback) const {
        const int index = Selection();
        return index == CB_ERR ? fallback : Data(index);
    }

private:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(window_, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

// A trackbar (slider): its range, its thumb's position.
class Trackbar {
public:
    Trackbar() = default;
    explicit Trackbar(HWND window) : window_(window) {}
    HWND Window() const { return window_; }

    void SetRange(int minimum, int maximum, bool redraw) const {
        SendMessageA(window_, TBM_SETRANGEMIN, FALSE, minimum);
        SendMessageA(window_, TBM_SETRANGEMAX, redraw, maximum);
    }
    int RangeMin() const { return static_cast<int>(SendMessageA(window_, TBM_GETRANGEMIN, 0, 0)); }
    int RangeMax() const { return static_cast<int>(SendMessageA(window_, TBM_GETRANGEMAX, 0, 0)); }
    void SetPos(int position, bool redraw) const {
        SendMessageA(window_, TBM_SETPOS, redraw, position);
    }
    int Pos() const { return static_cast<int>(SendMessageA(window_, TBM_GETPOS, 0, 0)); }

private:
    HWND window_ = nullptr;
};

}  // namespace win
