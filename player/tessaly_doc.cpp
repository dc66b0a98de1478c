#include "player/tessaly_doc.h"

#include <windows.h>
#include <commdlg.h>

#include "player/playback_rules.h"
#include "player/resource.h"
#include "player/tessaly_app.h"
#include "win/frame_window.h"
#include "win/framework_ids.h"
#include "win/unique_handle.h"

namespace player {
namespace {

// Up to the first 4 bytes of the file; empty when it cannot be opened (the check is skipped).
std::string FirstBytes(const std::string& path) {
    win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    char bytes[4] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr)) return {};
    return std::string(bytes, read);
}

}  // namespace

CTessalyDoc::CTessalyDoc(CTessalyApp& app) : win::Document(app), app_(app) {
    Commands().On(win::kIdFileSaveAs, [this] { OnSaveAs(); });
}

bool CTessalyDoc::OnOpenDocument(const std::string& path) {
    if (!win::Document::OnOpenDocument(path)) return false;
    if (!SignatureAccepted(FirstBytes(path))) {
        // No owner: the question may come before the main window shows.
        const int answer = MessageBoxA(nullptr, app_.LoadString(IDS_NOT_FLASH).c_str(),
                                       app_.AppTitle().c_str(), MB_YESNO | MB_ICONWARNING);
        if (answer == IDNO) return false;
    }
    const std::string previous = moviePath_;
    moviePath_ = path;
    loadRefused_ = false;
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, 0);
    if (loadRefused_) {
        moviePath_ = previous;
        SetModifiedFlag(false);
        return false;
    }
    return true;
}

void CTessalyDoc::OnSaveAs() {
    std::string file(4096, '\0');
    const std::string title = app_.LoadString(win::kIdsSaveFile);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    const win::FrameWindow* frame = app_.MainFrame();
    ofn.hwndOwner = frame ? frame->Window() : nullptr;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = "swf";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn)) return;
    if (!CopyFileA(moviePath_.c_str(), file.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        app_.ShowMessage(app_.LoadString(IDS_COPY_FAILED) + std::to_string(error), MB_OK);
    }
}

}  // namespace player
