// What Moravel does with movies on disk: save them to the target folder under names that
// never overwrite anything, let the user pick folders, open movies and the target folder in
// the shell, and delete a movie's file and cache entry. The main window calls these from its
// buttons; everything runs on the user-interface thread and blocks it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "viewer/discovery/movie_catalogue.h"
#include "viewer/discovery/movie_record.h"

namespace viewer {

// What saving asks the user. The defaults show the platform's dialogs; tests replace them.
class SaveUi {
public:
    virtual ~SaveUi() = default;
    // The save-file dialog, with the file name field preset to name and the folder initialFolder
    // (both cut to fit the dialog's 260-byte buffers), the Flash movie filter and default
    // extension "swf". The full chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& name,
                                                   const std::string& initialFolder);
    // Tells the user that the movie saved as base could not be copied.
    virtual void ReportSaveFailure(const std::string& base);

    HWND owner = nullptr;
};

// Copies one movie into the target folder (read afresh from the settings) as its display name
// plus ".swf", or the first free numbered name; with ask, the save-as dialog chooses base and
// folder first. An existing file or folder is never overwritten, whatever the dialog answered.
// A failed copy is reported through ui and still counts as done. False only when ask and the
// user cancelled; folder entries are skipped (true).
bool SaveMovie(const MovieRecord& record, bool ask, SaveUi& ui);

// Save and save as on the selected movies, in row order: records without a file are skipped,
// and the walk ends at the first cancelled dialog so the later movies are not saved.
void SaveMovies(const std::vector<MovieRecord>& records, bool ask, SaveUi& ui);

// Save all: every record of the last scan, whatever the filters show.
void SaveCatalogue(const MovieCatalogue& catalogue, SaveUi& ui);

// The shell's folder browser, unowned, with title, preselecting initialFolder when it is not
// empty and showing the selected folder's path as status text. The chosen file-system folder,
// or an empty text when the user cancelled or chose something that is no folder on disk.
std::string BrowseForFolder(const std::string& title, const std::string& initialFolder);

// The choose-folder button: the browser starts at the target folder, and a chosen folder
// becomes the new target folder. False, with nothing changed, when the user cancelled.
bool ChooseTargetFolder();

// Shows a movie in the program the system associates with .swf files. A path ending in ".swf"
// (any case) is opened directly; anything else (a Firefox cache file has no extension) is
// copied over "quorm_temp_file.swf" in the temporary folder first, so the handler receives a
// file it recognises. Paths shorter than 4 bytes, failed copies and failed opens do nothing.
void OpenExternally(const std::string& path);

// Opens the target folder in the shell. A missing folder is not created.
void OpenTargetFolder();

// Removes a movie's traces from the disk: its entry in the Internet Explorer cache (when it has
// a URL), then its file. Records without a file are left alone. Failures are ignored: a folder
// entry's folder is not deleted, and the caller removes the record and row regardless.
void DeleteMovieFiles(const MovieRecord& record);

}  // namespace viewer
