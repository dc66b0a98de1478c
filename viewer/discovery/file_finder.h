// The disk search behind all three sources: walks a folder (and, if asked, its subfolders
// depth first, so the deepest folders' files come first), filters entries by a file mask and
// an attribute mask, keeps the full path of every entry it takes, and reports each entry to a
// callback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace viewer {

inline constexpr std::uint32_t kAttributeFilterOn = 0x10;
inline constexpr std::uint32_t kFolderAttributes = 0x10;  // directory
// read-only, hidden, system, archive, normal, temporary, compressed
inline constexpr std::uint32_t kFileAttributes = 0x9A7;

// Whether an entry with these attributes is taken: always while the attribute filter is off,
// else only when they share a bit with the mask. A file marked only as not content indexed
// (0x2000), encrypted (0x4000) or offline (0x1000) is so left out of a file search.
constexpr bool PassesAttributeFilter(std::uint32_t options, std::uint32_t mask,
                                     std::uint32_t attributes) {
    return (options & kAttributeFilterOn) == 0 || (attributes & mask) != 0;
}

struct FinderCriteria {
    std::string folder;  // trailing "\" and "/" are removed and one "\" appended before use
    std::string mask = "*.*";
    int includeSubfolders = 0;  // 1: search every subfolder too
    std::uint32_t options = 0;  // kAttributeFilterOn
    std::uint32_t attributeMask = 0;
};

enum FinderEvent : int {
    kFileTaken = 0,
    kEntryNotTaken = 1,
    kFolderEvent = 2,
};

class FileFinder;
using FinderCallback = void (*)(FileFinder& finder, FinderEvent event, void* user);

class FileFinder {
public:
    void SetCallback(FinderCallback callback, void* user) {
        callback_ = callback;
        user_ = user;
    }

    // Runs the search and returns how many results the finder holds (from earlier searches
    // with this finder too).
    std::size_t Search(const FinderCriteria& criteria);

    // Files only (attribute filter on, mask 0x9A7).
    std::size_t SearchFolder(const std::string& folder, const std::string& mask,
                             int includeSubfolders);

    std::size_t Count() const { return results_.size(); }
    // The full path of a taken entry, "\" appended for a folder; empty when out of range.
    std::string Result(std::size_t index) const;
    std::string LastResult() const { return results_.empty() ? std::string() : results_.back(); }
    const std::string& LastFolderEntry() const { return lastFolderEntry_; }

private:
    std::string lastFolderEntry_;
    std::vector<std::string> results_;
    FinderCallback callback_ = nullptr;
    void* user_ = nullptr;
};

// Process-wide switches of the Collector, both off at start. The scans set them before each
// search that needs them.
struct CollectorMode {
    bool collectFolders = false;
    bool checkSignature = false;
};
CollectorMode& ProcessCollectorMode();

// The callback of all three sources; user is the std::vector<std::string> it fills. Files
// (event 0) are collected unless folders are, and then only with the SWF signature when
// that check is on; folders (event 2) are collected without their surrounding backslashes
// (TrimFolderBackslashes: a network folder keeps its leading two) while folders are.
void Collector(FileFinder& finder, FinderEvent event, void* user);

}  // namespace viewer
