#include "player/shell/about_dlg.h"

#include "player/resource.h"
#include "player/shell/viewer_launch.h"

namespace player {

CAboutDlg::CAboutDlg(HINSTANCE instance) : ModalDialog(instance, IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInit() {
    mail_.Attach(Item(IDC_MAIL_LINK));
    web_.Attach(Item(IDC_WEB_LINK));
    return TRUE;
}

std::string CAboutDlg::LinkTarget(int id) const {
    // The addresses are the buttons' own texts, so the template holds them once.
    const std::string address = ItemText(id);
    if (address.empty()) return {};
    if (id == IDC_MAIL_LINK) return "mailto:" + address + "?subject=Tessaly";
    if (id == IDC_WEB_LINK) return address;
    return {};
}

bool CAboutDlg::OnCommand(int code, int id, HWND control) {
    if ((id == IDC_MAIL_LINK || id == IDC_WEB_LINK) && code == BN_CLICKED) {
        ShellOpen(LinkTarget(id));
        return true;
    }
    return ModalDialog::OnCommand(code, id, control);
}

bool CAboutDlg::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_DRAWITEM) return false;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!mail_.OnDrawItem(item) && !web_.OnDrawItem(item)) return false;
    result = TRUE;
    return true;
}

}  // namespace player
