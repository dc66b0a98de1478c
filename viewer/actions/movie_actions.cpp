#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include "viewer/actions/movie_actions.h"

#include <string_view>

#include "base/ansi_text.h"
#include "viewer/actions/save_names.h"
#include "viewer/resource.h"
#include "viewer/settings_store.h"
#include "win/ansi_wide.h"
#include "win/com_ptr.h"

namespace viewer {
namespace {

constexpr char kProgramName[] = "Moravel";

// A text of the program's string table, in the system's ANSI code page.
std::string Text(UINT id) {
    char text[512] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string(text, n > 0 ? n : 0);
}

constexpr char kExternalCopyName[] = "quorm_temp_file.swf";

// The dialog takes its filter as NUL-separated pairs ending in two NULs. The '|' separators
// are found as whole characters: 0x7C is also a valid trail byte of code page 936.
std::string DialogFilter() {
    std::string filter = Text(IDS_SAVE_FILTER);
    for (std::size_t i = base::FindChar(filter, '|'); i != std::string::npos;
         i = base::FindChar(filter, '|', i + 1))
        filter[i] = '\0';
    return filter;  // the string's own terminator is the second NUL after the last pair
}

// Files and folders alike block a name.
bool PathTaken(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        const auto* initial = reinterpret_cast<const std::string*>(data);
        if (!initial->empty())
            SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(initial->c_str()));
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path))
            SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

// The new dialog style of the folder browser needs OLE on the calling thread. A caller that
// has set it up already keeps its own; otherwise it lasts for this one call.
class OleScope {
public:
    OleScope() : hr_(OleInitialize(nullptr)) {}
    ~OleScope() {
        if (SUCCEEDED(hr_)) OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    HRESULT hr_;
};

void ShellOpen(const std::string& target) {
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::optional<std::string> SaveUi::AskSavePath(const std::string& name,
                                               const std::string& initialFolder) {
    const std::string filter = DialogFilter();
    const std::string folder = CutForPathBuffer(initialFolder);
    char file[kPathBufferChars] = {};
    const std::string preset = CutForPathBuffer(name);
    preset.copy(file, preset.size());

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = kPathBufferChars;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrDefExt = "swf";
    // The overwrite prompt stays because users expect it; saving still never overwrites.
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn)) return std::nullopt;
    return std::string(file);
}

void SaveUi::ReportSaveFailure(const std::string& base) {
    const std::string text = Text(IDS_SAVE_FAILED) + base;
    MessageBoxA(owner, text.c_str(), kProgramName, MB_ICONERROR | MB_OK);
}

bool SaveMovie(const MovieRecord& record, bool ask, SaveUi& ui) {
    if (record.isFolder) return true;
    std::string base = record.name;
    // Read for every movie: the user may change the target folder between two saves.
    std::string folder = GetTargetFolder();
    if (ask) {
        const std::optional<std::string> chosen = ui.AskSavePath(record.name, folder);
        if (!chosen) return false;
        SaveAsChoice choice = ParseSaveAsChoice(*chosen, base);
        base = std::move(choice.base);
        folder = std::move(choice.folder);
    }
    const std::string target = FreeSaveTarget(folder, base, PathTaken);
    // The name is free at this point; failing on an existing file rather than overwriting
    // also covers a file that appeared since the check, or one the attribute query could not
    // see.
    if (!CopyFileA(record.localPath.c_str(), target.c_str(), TRUE)) ui.ReportSaveFailure(base);
    return true;
}

void SaveMovies(const std::vector<MovieRecord>& records, bool ask, SaveUi& ui) {
    for (const MovieRecord& record : records) {
        if (record.localPath.empty()) continue;
        if (!SaveMovie(record, ask, ui)) return;
    }
}

void SaveCatalogue(const MovieCatalogue& catalogue, SaveUi& ui) {
    for (const MovieRecord& record : catalogue) SaveMovie(record, false, ui);
}

std::string BrowseForFolder(const std::string& title, const std::string& initialFolder) {
    OleScope ole;
    win::ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Put())) || !allocator) return {};

    const std::string initial = CutForPathBuffer(initialFolder);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags =
        BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE | BIF_SHAREABLE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&initial);

    std::string result;
    if (LPITEMIDLIST item = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(item, path)) result = path;
        allocator->Free(item);
    }
    return result;
}

bool ChooseTargetFolder() {
    const std::string chosen = BrowseForFolder(Text(IDS_CHOOSE_TARGET_TITLE), GetTargetFolder());
    if (chosen.empty()) return false;
    SetTargetFolder(chosen);
    return true;
}

void OpenExternally(const std::string& path) {
    if (path.size() < 4) return;
    // '.' is never a trail byte, so the last four bytes are whole characters when they match.
    if (base::EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".swf")) {
        ShellOpen(path);
        return;
    }
    char temp[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string copy = std::string(temp) + kExternalCopyName;
    if (CopyFileA(path.c_str(), copy.c_str(), FALSE)) ShellOpen(copy);
}

void OpenTargetFolder() {
    ShellOpen(GetTargetFolder());
}

void DeleteMovieFiles(const MovieRecord& record) {
    if (record.localPath.empty()) return;
    if (!record.url.empty()) DeleteUrlCacheEntryA(record.url.c_str());
    DeleteFileA(record.localPath.c_str());
}

}  // namespace viewer
