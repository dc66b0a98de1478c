#include "win/application.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "base/ansi_text.h"
#include "win/ansi_wide.h"
#include "win/com_ptr.h"
#include "win/doc_view.h"
#include "win/frame_window.h"
#include "win/framework_ids.h"
#include "win/resource_text.h"

namespace win {
namespace {

std::string FullPath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::string full(needed, '\0');
    const DWORD got = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return full;
}

// The target of a shortcut file; empty when it is none or names no file.
std::string ShortcutTarget(const std::string& path) {
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid())))
        return {};
    ComPtr<IPersistFile> file = link.As<IPersistFile>();
    const std::wstring wide = WideFromAnsi(path);
    if (!file || FAILED(file->Load(wide.c_str(), STGM_READ))) return {};
    char target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, sizeof target, nullptr, 0))) return {};
    return target;
}

}  // namespace

// --- DocTemplate ----------------------------------------------------------------------------

DocTemplate::DocTemplate(Application& app, int resourceId, DocumentFactory document,
                         FrameFactory frame, ViewFactory view)
    : app_(app),
      resourceId_(resourceId),
      strings_(ParseDocTemplate(app.LoadString(static_cast<UINT>(resourceId)))),
      makeDocument_(std::move(document)),
      makeFrame_(std::move(frame)),
      makeView_(std::move(view)) {}

DocTemplate::~DocTemplate() {
    DestroyFrame();
}

bool DocTemplate::CreateFrame() {
    document_ = makeDocument_();
    view_ = makeView_();
    frame_ = makeFrame_();
    document_->AddView(*view_);
    if (frame_->LoadFrame(resourceId_, *view_)) return true;
    DestroyFrame();
    return false;
}

void DocTemplate::DestroyFrame() {
    // The window first (it takes the view's window with it), then the objects, the document
    // last: the view leaves it as it goes.
    if (frame_ && frame_->Window()) DestroyWindow(frame_->Window());
    frame_.reset();
    view_.reset();
    document_.reset();
}

Document* DocTemplate::OpenDocumentFile(const std::string* path) {
    bool created = false;
    if (!frame_) {
        if (!CreateFrame()) return nullptr;
        created = true;
    }
    const bool ok = path ? document_->OnOpenDocument(*path) : document_->OnNewDocument();
    if (!ok) {
        if (created) DestroyFrame();
        return nullptr;
    }
    if (path) document_->SetPathName(*path);
    if (view_) view_->OnInitialUpdate();
    return document_.get();
}

// --- Application ----------------------------------------------------------------------------

Application::Application(HINSTANCE instance)
    : instance_(instance), appTitle_(LoadResourceString(instance, kIdsAppTitle)) {
    Commands().On(kIdFileOpen, [this] { OnFileOpen(); });
    // While an open runs (its message box is up), no other can start from the menus.
    Commands().OnUpdate(kIdFileOpen, [this] { return CommandState{!opening_, false}; });
    Commands().OnRange(kIdFileMruFirst, kIdFileMruLast, [this](unsigned id) { OnRecentFile(id); });
    Commands().OnUpdateRange(kIdFileMruFirst, kIdFileMruLast, [this](unsigned id) {
        return CommandState{!opening_ && id - kIdFileMruFirst < recentFiles_.Entries().size(),
                            false};
    });
    Commands().On(kIdAppExit, [this] {
        if (FrameWindow* frame = MainFrame(); frame && frame->Window())
            PostMessageA(frame->Window(), WM_CLOSE, 0, 0);
    });
}

Application::~Application() {
    // The windows go before the rest of the application they call back into.
    template_.reset();
}

int Application::Run() {
    exitCode_ = 1;  // a start-up that fails ends the program with 1, unless it says otherwise
    if (!InitInstance()) {
        ExitInstance();
        return exitCode_;
    }
    running_ = true;
    exitCode_ = 0;
    MSG message{};
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) OnIdle();
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) break;
        ProcessMessage(message);
    }
    running_ = false;
    const int code = ExitInstance();
    return code != 0 ? code : exitCode_;
}

int Application::ExitInstance() {
    return 0;
}

void Application::ProcessMessage(MSG& message) {
    FrameWindow* frame = MainFrame();
    if (frame && frame->Window() && frame->PreTranslateMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void Application::PumpPending() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitRequested_ = true;
            continue;
        }
        ProcessMessage(message);
    }
    OnIdle();
}

void Application::OnIdle() {
    if (FrameWindow* frame = MainFrame(); frame && frame->Window()) frame->OnIdle();
}

std::string Application::LoadString(UINT id) const {
    return LoadResourceString(instance_, id);
}

int Application::ShowMessage(const std::string& text, UINT flags) const {
    const FrameWindow* frame = MainFrame();
    const HWND owner =
        frame && frame->Window() && IsWindowVisible(frame->Window()) ? frame->Window() : nullptr;
    return MessageBoxA(owner, text.c_str(), appTitle_.c_str(), flags);
}

void Application::SetRegistryKey(const std::string& company) {
    profile_ = AppProfile(company, appTitle_);
}

void Application::LoadStdProfileSettings(int recentCount) {
    recentCount_ = recentCount;
    recentFiles_ = RecentFileList(static_cast<std::size_t>(recentCount));
    recentFiles_.Assign(profile_.ReadRecentFiles(recentCount));
    previewPages_ = profile_.GetInt(kSettingsSection, kPreviewPagesEntry, 0);
}

void Application::AddToRecentFileList(const std::string& path) {
    recentFiles_.Add(path);
    // Stored at once, so that a program that ends abruptly loses nothing.
    profile_.WriteRecentFiles(recentFiles_.Entries(), recentCount_);
}

void Application::AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate) {
    template_ = std::move(docTemplate);
}

FrameWindow* Application::MainFrame() const {
    return template_ ? template_->GetFrame() : nullptr;
}

Document* Application::ActiveDocument() const {
    return template_ ? template_->GetDocument() : nullptr;
}

std::string Application::DdeServiceName() const {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = FileTitle(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string Application::CleanUpPath(const std::string& path) {
    const std::string unquoted = StripShellQuotes(path);
    if (unquoted.empty()) return unquoted;
    std::string full = FullPath(unquoted);
    const std::string_view ext = ".lnk";
    if (full.size() > ext.size() &&
        base::EqualsNoCase(std::string_view(full).substr(full.size() - ext.size()), ext) &&
        base::CharLength(full, full.size() - ext.size()) == 1) {
        if (std::string target = ShortcutTarget(full); !target.empty()) full = target;
    }
    return full;
}

Application::OpenResult Application::OpenDocumentFile(const std::string& path) {
    if (opening_) {
        deferredOpens_.push_back(path);
        if (FrameWindow* frame = MainFrame(); frame && frame->Window())
            PostMessageA(frame->Window(), kMsgRunDeferredOpens, 0, 0);
        return OpenResult::Deferred;
    }
    OpenResult result;
    {
        struct Busy {
            bool& flag;
            explicit Busy(bool& f) : flag(f) { flag = true; }
            ~Busy() { flag = false; }
        } busy(opening_);
        result = OpenNow(path);
    }
    // Requests that came in meanwhile run next, from the loop (a reminder posted while this
    // open was still running has found it busy).
    if (!deferredOpens_.empty())
        if (FrameWindow* frame = MainFrame(); frame && frame->Window())
            PostMessageA(frame->Window(), kMsgRunDeferredOpens, 0, 0);
    return result;
}

Application::OpenResult Application::OpenNow(const std::string& path) {
    if (!template_) return OpenResult::Refused;
    const std::string clean = CleanUpPath(path);
    Document* document = ActiveDocument();
    if (document && !document->PathName().empty() &&
        base::EqualsNoCase(document->PathName(), clean)) {
        // The file is open already: nothing is reloaded.
        if (FrameWindow* frame = MainFrame(); frame && IsWindowVisible(frame->Window()))
            frame->ActivateFrame();
        return OpenResult::Opened;
    }
    return template_->OpenDocumentFile(&clean) ? OpenResult::Opened : OpenResult::Refused;
}

void Application::RunDeferredOpens() {
    while (!opening_ && !deferredOpens_.empty()) {
        const std::string path = deferredOpens_.front();
        deferredOpens_.pop_front();
        OpenDocumentFile(path);
    }
}

bool Application::ProcessShellCommand(const CommandLineInfo& info) {
    using Shell = CommandLineInfo::ShellCommand;
    switch (info.shellCommand) {
        case Shell::FileNew:
        case Shell::FileDde:
            // With /dde the shell's open request follows; the empty document waits for it.
            return template_ && template_->OpenDocumentFile(nullptr) != nullptr;
        case Shell::FileOpen:
            return OpenDocumentFile(info.fileName) == OpenResult::Opened;
        case Shell::FilePrint:
        case Shell::FilePrintTo:
            // The document has nothing to print: the request ends the program at once.
            exitCode_ = 0;
            return false;
        case Shell::AppRegister:
        case Shell::AppUnregister:
            RegisterShellFileTypes(info.shellCommand == Shell::AppRegister);
            exitCode_ = 0;
            return false;
    }
    return false;
}

void Application::OnMainFrameDestroyed() {
    if (running_) PostQuitMessage(0);
}

void Application::OnFileOpen() {
    if (!template_) return;
    const std::string filter = OpenFileFilter(template_->Strings(), LoadString(kIdsAllFilter));
    const std::string title = LoadString(kIdsOpenFile);
    std::string file(4096, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    const FrameWindow* frame = MainFrame();
    ofn.hwndOwner = frame ? frame->Window() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&ofn)) OpenDocumentFile(file.c_str());
}

void Application::OnRecentFile(unsigned id) {
    const std::size_t index = id - kIdFileMruFirst;
    if (index >= recentFiles_.Entries().size()) return;
    const std::string path = recentFiles_.Entries()[index];
    if (OpenDocumentFile(path) != OpenResult::Refused) return;
    // A file that cannot be opened any more leaves the list.
    const auto& entries = recentFiles_.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (base::EqualsNoCase(entries[i], path)) {
            recentFiles_.Remove(i);
            profile_.WriteRecentFiles(recentFiles_.Entries(), recentCount_);
            break;
        }
    }
}

std::vector<std::string> ProgramArguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) args.push_back(AnsiFromWide(wide[i]));
    if (wide) LocalFree(wide);
    return args;
}

}  // namespace win
