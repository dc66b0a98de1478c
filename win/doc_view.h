// The document and the view of a single-document frame program. The document holds what
// was opened and tells its views to update; the view is a child window that fills the
// frame between its bars. Both are command targets: the frame routes a command to its
// active view, then to the view's document, then to the application.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/command_map.h"

namespace win {

class Application;
class View;

class Document : public CommandTarget {
public:
    explicit Document(Application& app) : app_(app) {}
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document() override;

    // An empty document: no path, the framework's untitled title, not modified.
    virtual bool OnNewDocument();
    // Opens path (a cleaned-up, absolute path). The framework's part opens the file for
    // reading with writers denied, and reports a failure in its standard message; a
    // program's document does its own work after calling it. False refuses the open, and a
    // refusing document is left as it was.
    virtual bool OnOpenDocument(const std::string& path);

    const std::string& PathName() const { return pathName_; }
    // Makes path the document's: the title becomes its file name (the frame's title
    // follows) and the path goes first in the recent-file list.
    void SetPathName(const std::string& path);
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified) { modified_ = modified; }

    void AddView(View& view);
    void RemoveView(View& view);
    const std::vector<View*>& Views() const { return views_; }
    // Every view but sender updates itself.
    void UpdateAllViews(View* sender, LPARAM hint = 0);

    Application& App() const { return app_; }

private:
    Application& app_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;
    std::vector<View*> views_;
};

class View : public CommandTarget {
public:
    View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    ~View() override;

    // Creates the view's child window; false when the window could not be made or OnCreate
    // refused (the window is gone again then).
    bool Create(HWND parent, int id);
    HWND Window() const { return window_; }
    Document* GetDocument() const { return document_; }

    // After a document was opened or made; the default updates the view.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
    // The document changed; hint says how, when the program cares to say.
    virtual void OnUpdate(View* sender, LPARAM hint);

protected:
    // The window exists; false fails the creation.
    virtual bool OnCreate() { return true; }
    // Any message; true when handled, with result as the answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    friend class Document;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Document* document_ = nullptr;
};

}  // namespace win
