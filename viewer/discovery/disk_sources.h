// The three sources that fill the catalogue from the disk and the URL cache index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "viewer/discovery/movie_catalogue.h"
#include "viewer/discovery/run_scan.h"

namespace viewer {

// A standalone movie found on disk: size, next id, display name, creation time (now when the
// file's times cannot be read). Empty, with the counter unchanged, when the file is missing
// or empty.
std::optional<MovieRecord> MovieFromFile(const std::string& path, std::int32_t& counter);

// Custom folder: the parent entry (except at a drive root), the subfolders sorted with
// duplicates removed, then the non-empty ".swf" files directly in folder in enumeration order.
void ScanCustomFolder(const std::string& folder, MovieCatalogue& catalogue, std::int32_t& counter);

// Internet Explorer cache: clears the catalogue, takes the ".swf" entries of the URL cache
// index, then runs ScanIeCacheFolder with the counter handed on.
void ScanIeCacheIndex(MovieCatalogue& catalogue, std::int32_t& counter);
// The ".swf" files of the cache folder ("IECacheFolder", else the shell's internet cache)
// that the index pass did not take, as standalone entries.
void ScanIeCacheFolder(MovieCatalogue& catalogue, std::int32_t& counter);

// Firefox cache: every file beginning with a SWF signature in the roaming Firefox tree
// ("FirefoxProfileFolder", else the application data folder + "\Mozilla\Firefox") and then in
// its "Local Settings" mirror, named flash001, flash002 ... afresh for each tree.
void ScanFirefoxCache(MovieCatalogue& catalogue, std::int32_t& counter);

// The sources as the scan driver sees them; the custom folder is the main window's.
class DiskSources : public MovieSources {
public:
    explicit DiskSources(const std::string& viewFolder) : viewFolder_(viewFolder) {}
    void ScanFirefoxCache(MovieCatalogue& catalogue, std::int32_t& counter) override {
        viewer::ScanFirefoxCache(catalogue, counter);
    }
    void ScanCustomFolder(MovieCatalogue& catalogue, std::int32_t& counter) override {
        viewer::ScanCustomFolder(viewFolder_, catalogue, counter);
    }
    void ScanIeCacheIndex(MovieCatalogue& catalogue, std::int32_t& counter) override {
        viewer::ScanIeCacheIndex(catalogue, counter);
    }

private:
    const std::string& viewFolder_;
};

}  // namespace viewer
