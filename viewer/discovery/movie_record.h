// One movie (or folder entry) found by a scan, as the catalogue keeps it.
#pragma once

#include <cstdint>
#include <string>

#include "base/local_time.h"

namespace viewer {

struct MovieRecord {
    std::string url;           // source URL from the cache index; empty for disk finds
    std::string site;          // lower-case host of url without a leading "www."
    std::string modifiedText;  // "%a, %d %b %Y %H:%M:%S GMT" from the cache index
    std::string sizeText;      // size in digits grouped by spaces; empty for folders
    std::string localPath;     // the file; a folder's path; ".." for the parent entry
    std::string name;          // display name
    base::Time64 time = 0;     // creation time of the file
    bool standalone = false;   // found on disk rather than through the cache index
    bool isFolder = false;     // folder or parent entry of the folder source
    std::int32_t id = 0;       // unique within one scan, the list rows' item data

    friend bool operator==(const MovieRecord&, const MovieRecord&) = default;
};

// The code of a source: item data of the source combo, identifier of its label string, and
// the value kept in the setting "source".
enum SourceKind : int {
    kFirefoxCacheSource = 134,
    kIeCacheSource = 135,
    kCustomFolderSource = 136,
};

}  // namespace viewer
