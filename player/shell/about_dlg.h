// Tessaly's about box, template 100: the icon, "Tessaly 6.8", the contact text and OK. The
// template also keeps the mail and web labels with their link buttons (1077, 1078) without
// the visible style; they are bound as hyperlinks all the same, and open the mail program
// or the web site when clicked.
#pragma once

#include <windows.h>

#include <string>

#include "win/dialog.h"
#include "win/link_button.h"

namespace player {

class CAboutDlg : public win::ModalDialog {
public:
    explicit CAboutDlg(HINSTANCE instance);

    // What the link buttons open: "mailto:" with the button's address and the subject
    // "Tessaly", or the web address as it stands.
    std::string LinkTarget(int id) const;

protected:
    BOOL OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    win::CLinkButton mail_;
    win::CLinkButton web_;
};

}  // namespace player
