// The single entry point of discovery: chooses the source, refills the catalogue, and lets the
// main window rebuild what depends on it.
#pragma once

#include <cstdint>
#include <optional>

#include "viewer/discovery/movie_catalogue.h"

namespace viewer {

// The three sources. Each appends its records to the catalogue, incrementing the running
// counter before it assigns a record's id, so the ids of one scan never repeat.
class MovieSources {
public:
    virtual ~MovieSources() = default;
    virtual void ScanFirefoxCache(MovieCatalogue& catalogue, std::int32_t& counter) = 0;
    virtual void ScanCustomFolder(MovieCatalogue& catalogue, std::int32_t& counter) = 0;
    // Clears the catalogue itself, reads the cache index, then the cache folder with the
    // counter handed on from the index pass.
    virtual void ScanIeCacheIndex(MovieCatalogue& catalogue, std::int32_t& counter) = 0;
};

// The main window's side of a scan.
class ScanWindow {
public:
    virtual ~ScanWindow() = default;
    virtual bool IsClosing() const = 0;
    // Item data of the source combo's selection; empty when nothing is selected.
    virtual std::optional<int> SelectedSource() const = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    virtual void FillSiteCombo() = 0;
    virtual void FillMovieList(int source) = 0;
    virtual void SaveSource(int source) = 0;  // the setting "source"
    virtual void UpdateControls() = 0;
};

// The source a combo selection stands for: 134 and 136 as they are, anything else (or no
// selection) the Internet Explorer cache.
SourceKind SourceFromSelection(std::optional<int> selected);

// Runs one scan under the wait cursor (restored even when a step throws) and returns the
// source scanned; empty, with nothing done, while the window is closing.
std::optional<SourceKind> RunScan(ScanWindow& window, MovieSources& sources,
                                  MovieCatalogue& catalogue);

}  // namespace viewer
