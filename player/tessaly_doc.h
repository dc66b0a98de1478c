// Tessaly's document: one opened SWF file. It never reads the movie's content: it checks the
// file's signature, remembers the path and hands it to the view, which loads it into the
// control. Its modified flag means "a movie waits to be loaded": the open sets it, the
// view's update clears it. Closing never asks to save.
#pragma once

#include <string>

#include "win/doc_view.h"

namespace player {

class CTessalyApp;

class CTessalyDoc : public win::Document {
public:
    explicit CTessalyDoc(CTessalyApp& app);

    // The framework's open, then the signature check (a file that does not look like a
    // movie is opened only when the user says so), then the view loads it. A movie the
    // control cannot play refuses the open, and the previous movie stays.
    bool OnOpenDocument(const std::string& path) override;

    // The path of the last movie accepted; empty before the first.
    const std::string& MoviePath() const { return moviePath_; }
    // The view could not load the pending movie.
    void RefuseLoad() { loadRefused_ = true; }

private:
    void OnSaveAs();

    CTessalyApp& app_;
    std::string moviePath_;
    bool loadRefused_ = false;
};

}  // namespace player
