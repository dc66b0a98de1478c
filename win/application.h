// The application object of a single-document frame program, and its document template.
// The application starts the program (InitInstance), runs the thread's message loop with
// the main frame's pre-translation and idle updates, keeps the framework profile with the
// recent-file list, and owns the framework's open path: the shell's path cleaned up, the
// already open file only activated, the document's own open, the recent-file list.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/app_profile.h"
#include "win/command_line_info.h"
#include "win/command_map.h"
#include "win/frame_rules.h"
#include "win/recent_file_list.h"

namespace win {

class Application;
class Document;
class FrameWindow;
class View;

// One document, its frame and its view, made on first use and kept for every later file;
// the string resource of the template's id gives its seven fields.
class DocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using FrameFactory = std::function<std::unique_ptr<FrameWindow>()>;
    using ViewFactory = std::function<std::unique_ptr<View>()>;

    DocTemplate(Application& app, int resourceId, DocumentFactory document, FrameFactory frame,
                ViewFactory view);
    DocTemplate(const DocTemplate&) = delete;
    DocTemplate& operator=(const DocTemplate&) = delete;
    ~DocTemplate();

    int ResourceId() const { return resourceId_; }
    const DocTemplateStrings& Strings() const { return strings_; }
    Document* GetDocument() const { return document_.get(); }
    FrameWindow* GetFrame() const { return frame_.get(); }
    View* GetView() const { return view_.get(); }

    // Opens path, or makes the empty document when path is null, creating the frame and the
    // view on first use, then gives the view its initial update. Null when refused; a frame
    // made for this call is destroyed again, any earlier one keeps its state.
    Document* OpenDocumentFile(const std::string* path);

private:
    bool CreateFrame();
    void DestroyFrame();

    Application& app_;
    int resourceId_;
    DocTemplateStrings strings_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    ViewFactory makeView_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<View> view_;
    std::unique_ptr<FrameWindow> frame_;
};

class Application : public CommandTarget {
public:
    explicit Application(HINSTANCE instance);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application() override;

    HINSTANCE Instance() const { return instance_; }

    // Starts the program and runs its message loop to the end; the exit code.
    int Run();
    // Start-up; false ends the program before its loop.
    virtual bool InitInstance() = 0;
    // After the loop, or after a failed start-up; the exit code.
    virtual int ExitInstance();

    // What the loop does with one message: the main frame's pre-translation, then dispatch.
    void ProcessMessage(MSG& message);
    // Every message now queued for the thread through ProcessMessage, then the idle work.
    // (The tests drive the program with it; a quit request found on the way is remembered.)
    void PumpPending();
    bool QuitRequested() const { return quitRequested_; }
    virtual void OnIdle();

    std::string LoadString(UINT id) const;
    // String 57344, the caption of every message box of the program.
    const std::string& AppTitle() const { return appTitle_; }
    // A message box with the program's title as caption, owned by the main frame while it
    // is visible.
    int ShowMessage(const std::string& text, UINT flags) const;

    // The framework profile under HKEY_CURRENT_USER\Software\company\<application title>.
    void SetRegistryKey(const std::string& company);
    const AppProfile& Profile() const { return profile_; }
    // Reads the recent-file list of count entries and the standard "PreviewPages" setting.
    void LoadStdProfileSettings(int recentCount);
    int PreviewPages() const { return previewPages_; }
    const RecentFileList& RecentFiles() const { return recentFiles_; }
    // Puts path first in the list and stores the list.
    void AddToRecentFileList(const std::string& path);

    void AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate);
    DocTemplate* Template() const { return template_.get(); }
    FrameWindow* MainFrame() const;
    Document* ActiveDocument() const;

    // The main frame answers the shell's DDE requests from now on, as the service named
    // after the program's file (without ".exe") on the topic "System".
    void EnableShellOpen() { shellOpen_ = true; }
    bool ShellOpenEnabled() const { return shellOpen_; }
    virtual std::string DdeServiceName() const;

    enum class OpenResult { Opened, Refused, Deferred };
    // The framework's open path. While another open is still running (its message box is
    // up, say), the request waits and runs after it: Deferred.
    OpenResult OpenDocumentFile(const std::string& path);
    bool Opening() const { return opening_; }
    // Runs the opens that had to wait.
    void RunDeferredOpens();
    // What the command line asks for; false ends the program.
    bool ProcessShellCommand(const CommandLineInfo& info);

    // The main frame's window was destroyed: the loop ends.
    void OnMainFrameDestroyed();

protected:
    // The program registers or removes its file types (the Register and Unregister
    // switches); the default does nothing.
    virtual void RegisterShellFileTypes(bool) {}
    // Command 57601: the open dialog with the template's filter.
    void OnFileOpen();
    void SetExitCode(int code) { exitCode_ = code; }

    // A path as the framework opens it: quotes removed, made absolute, a shortcut replaced
    // by its target.
    static std::string CleanUpPath(const std::string& path);

private:
    OpenResult OpenNow(const std::string& path);
    void OnRecentFile(unsigned id);

    HINSTANCE instance_;
    std::string appTitle_;
    AppProfile profile_;
    RecentFileList recentFiles_{0};
    int recentCount_ = 0;
    int previewPages_ = 0;
    std::unique_ptr<DocTemplate> template_;
    bool shellOpen_ = false;
    bool opening_ = false;
    std::deque<std::string> deferredOpens_;
    bool running_ = false;
    bool quitRequested_ = false;
    int exitCode_ = 0;
};

// The program's arguments in the ANSI code page, without the program's own name.
std::vector<std::string> ProgramArguments();

// Posted to the main frame when opens wait for an earlier one to finish.
inline constexpr UINT kMsgRunDeferredOpens = WM_APP + 0x301;

}  // namespace win
