// A bar made from a dialog template: a child dialog of the frame with a child id of its own,
// whose controls notify it as they would any dialog. It is never a modal or top-level
// window, so the keys of its controls are not translated by IsDialogMessage.
#pragma once

#include <windows.h>

#include "win/dialog.h"

namespace win {

class DialogBar : public ModelessDialog {
public:
    using ModelessDialog::ModelessDialog;

    // The template must have the child style. False when the system refused the template or
    // the bar's own initialisation failed (no window is left then).
    bool CreateBar(HWND parent, int id) {
        if (!Create(parent)) return false;
        SetWindowLongPtrA(window_, GWLP_ID, id);
        if (OnBarCreated()) return true;
        DestroyWindow(window_);
        return false;
    }

protected:
    // The bar's window exists with its template's controls; false fails the creation.
    virtual bool OnBarCreated() { return true; }
};

}  // namespace win
