// The main frame of a single-document program: a top-level window with the menu,
// accelerators and icon of one resource id, bars along its top and a status bar along its
// bottom, and the view in between. It routes commands (frame, active view, document,
// application), keeps menu items and toolbar buttons in step with their commands' states,
// shows command prompts in the status bar (for menu items, and fly-by for toolbar buttons)
// and tooltips on toolbar buttons, shows the recent-file list in the File menu, opens
// dropped files, and answers the shell's dynamic data exchange open requests.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/command_map.h"
#include "win/unique_handle.h"

namespace win {

class Application;
class View;

class FrameWindow : public CommandTarget {
public:
    explicit FrameWindow(Application& app);
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;
    ~FrameWindow() override;

    // Creates the (hidden) window with the menu, accelerators and icon of resourceId, its
    // bars and the view. False when any part fails; no window is left then.
    bool LoadFrame(int resourceId, View& view);
    HWND Window() const { return window_; }
    View* ActiveView() const { return view_; }
    Application& App() const { return app_; }
    HMENU Menu() const { return window_ ? GetMenu(window_) : nullptr; }

    // Offered every queued message of the thread before it is dispatched; true when
    // handled. The frame's part translates its accelerators.
    virtual bool PreTranslateMessage(MSG& message);
    // Idle time: toolbar buttons follow their commands' states.
    virtual void OnIdle();

    // The state of id along the frame's route, and id carried out when it is enabled.
    CommandState QueryCommandState(unsigned id) const;
    bool RouteCommand(unsigned id);

    void UpdateFrameTitle(const std::string& documentTitle);
    // Brings the window forward, restoring it when minimised.
    void ActivateFrame();

    // Status bar panes; pane 0 is the message pane.
    void SetMessageText(const std::string& text);
    void SetPaneText(int pane, const std::string& text);
    std::string PaneText(int pane) const;
    HWND StatusBar() const { return statusBar_; }
    HWND ToolBar() const { return toolBar_; }
    void RecalcLayout();

protected:
    // Builds the bars once the window exists, before the view; false fails the creation.
    virtual bool OnCreateBars() { return true; }
    // Any message the frame does not handle itself; true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window is being destroyed (the view still exists).
    virtual void OnDestroyFrame() {}

    // A status bar at the bottom; widths[i] is pane i's width in pixels, 0 for the pane that
    // takes the rest; texts are the panes' first texts (pane 0 starts with the idle message).
    bool CreateStatusBar(const std::vector<int>& widths, const std::vector<std::string>& texts);
    // A bar stacked under the menu (toolbar, rebar, dialog bar), laid out in the order added.
    void AddTopBar(HWND bar) { topBars_.push_back(bar); }
    // The toolbar whose buttons follow their commands, and the bar command 59392 shows and
    // hides (the toolbar itself, or the rebar that holds it).
    void SetToolBar(HWND toolBar, HWND shownBar) {
        toolBar_ = toolBar;
        toolBarHost_ = shownBar;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitMenuPopup(HMENU menu);
    void UpdateRecentFileMenu(HMENU menu);
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    bool OnToolTipText(NMHDR* header);
    void OnDropFiles(HDROP drop);
    void OnDdeInitiate(HWND client, ATOM application, ATOM topic);
    void OnDdeExecute(HWND client, HGLOBAL commands);
    void ToggleBar(HWND bar);
    // The band of the rebar that holds bar; -1 when bar is not a rebar's band.
    static int ReBarBandOf(HWND bar);
    void OnToolBarHotItem(const NMTBHOTITEM& item);

    Application& app_;
    HWND window_ = nullptr;
    View* view_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND statusBar_ = nullptr;
    std::vector<int> paneWidths_;
    HWND toolBar_ = nullptr;
    HWND toolBarHost_ = nullptr;
    std::vector<HWND> topBars_;
    std::string recentPlaceholder_;  // the File menu's text for an empty recent-file list
    std::string tipText_;            // the tooltip last handed out (the control keeps a pointer)
    std::wstring tipTextWide_;
};

}  // namespace win
