// The mark-up drawer on GDI: measures and draws tooltip mark-up on a device context, keeps the
// hyperlink areas of the last paint, follows hyperlinks through the shell and tells its owner
// of hot-link changes. The layout itself is the pure MarkupEngine (markup_layout.h); this
// class supplies fonts, text output, images, string resources and the draw manager.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "tooltip/markup_layout.h"

namespace tooltip {

class MarkupDrawer {
public:
    // Loads the hand cursor: cursor 106 of winhlp32.exe in the Windows folder, or the system's
    // hand cursor where that file or its cursor is missing.
    MarkupDrawer();
    ~MarkupDrawer();
    MarkupDrawer(const MarkupDrawer&) = delete;
    MarkupDrawer& operator=(const MarkupDrawer&) = delete;

    DrawerSettings& Settings() { return engine_.Settings(); }
    void SetStyleSheet(std::string_view text) { engine_.SetStyleSheet(text); }
    const MarkupEngine& Engine() const { return engine_; }

    // The text's size plus 1 each way (see MarkupEngine::MeasureText), measured on dc.
    SIZE MeasureText(HDC dc, std::string_view text);
    // Draws the last measured text into r; the device context's font, colours and modes are
    // as before afterwards.
    void RenderText(HDC dc, const RECT& r);

    void FollowLinkAt(POINT p);
    bool UpdateHotLink(POINT p);
    bool StepAnimations() { return engine_.StepAnimations(); }
    // Hot-link changes send message (wParam the new hot index, -2 for none; lParam param) to
    // window; "msg" hyperlinks send it with their text as wParam.
    void SetHotLinkNotify(HWND window, UINT message, LPARAM param);

    HCURSOR HandCursor() const { return hand_; }
    bool HandCursorFromHelp() const { return handOwned_; }

private:
    class Host;
    void LoadHandCursor();
    void FreeHandCursor();

    MarkupEngine engine_;
    HWND notifyWindow_ = nullptr;
    UINT notifyMessage_ = 0;
    LPARAM notifyParam_ = 0;
    HCURSOR hand_ = nullptr;
    bool handOwned_ = false;  // a copy of winhlp32's cursor (else the shared system one)
};

// Opens a target with the shell's "open" verb, shown normally; when the shell cannot, with
// the program registered for ".htm" pages (its open command cut at "%1", the target
// appended). False when neither started anything.
bool OpenLinkTarget(const std::string& target);

}  // namespace tooltip
