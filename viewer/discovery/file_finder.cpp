#include "viewer/discovery/file_finder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "base/ansi_text.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/source_folders.h"
#include "win/unique_handle.h"

namespace viewer {
namespace {

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The folder without trailing "\" and "/" (whole characters only), plus one "\".
std::string NormalisedFolder(const std::string& folder) {
    return std::string(base::TrimEnd(folder, "\\/")) + "\\";
}

}  // namespace

std::string FileFinder::Result(std::size_t index) const {
    return index < results_.size() ? results_[index] : std::string();
}

std::size_t FileFinder::SearchFolder(const std::string& folder, const std::string& mask,
                                     int includeSubfolders) {
    FinderCriteria criteria;
    criteria.folder = folder;
    criteria.mask = mask;
    criteria.includeSubfolders = includeSubfolders;
    criteria.options = kAttributeFilterOn;
    criteria.attributeMask = kFileAttributes;
    return Search(criteria);
}

std::size_t FileFinder::Search(const FinderCriteria& criteria) {
    const std::string folder = NormalisedFolder(criteria.folder);
    WIN32_FIND_DATAA data;

    if (criteria.includeSubfolders == 1) {
        win::UniqueFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &data));
        if (find) {
            do {
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !IsDotEntry(data.cFileName)) {
                    FinderCriteria sub = criteria;
                    sub.folder = folder + data.cFileName;
                    Search(sub);
                }
            } while (FindNextFileA(find.get(), &data));
        }
    }

    const bool reportsFolders = (criteria.attributeMask & kFolderAttributes) != 0;
    if (callback_ != nullptr && reportsFolders) callback_(*this, kFolderEvent, user_);

    const std::string mask = criteria.mask.empty() ? std::string("*.*") : criteria.mask;
    win::UniqueFindHandle find(FindFirstFileA((folder + mask).c_str(), &data));
    if (!find) return results_.size();
    do {
        if (IsDotEntry(data.cFileName)) continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::string path = folder + data.cFileName;
        if (isFolder) lastFolderEntry_ = path;
        const bool taken =
            PassesAttributeFilter(criteria.options, criteria.attributeMask, data.dwFileAttributes);
        if (taken) results_.push_back(isFolder ? path + "\\" : path);
        if (callback_ == nullptr) continue;
        if (taken && isFolder) {
            if (reportsFolders) callback_(*this, kFolderEvent, user_);
        } else {
            callback_(*this, taken ? kFileTaken : kEntryNotTaken, user_);
        }
    } while (FindNextFileA(find.get(), &data));
    return results_.size();
}

CollectorMode& ProcessCollectorMode() {
    static CollectorMode mode;
    return mode;
}

void Collector(FileFinder& finder, FinderEvent event, void* user) {
    auto* list = static_cast<std::vector<std::string>*>(user);
    const CollectorMode& mode = ProcessCollectorMode();
    if (event == kFileTaken) {
        if (mode.collectFolders) return;
        std::string path = finder.LastResult();
        std::replace(path.begin(), path.end(), '/', '\\');  // '/' is never a trail byte
        if (path.empty()) return;
        if (mode.checkSignature && !HasSwfSignature(path)) return;
        list->push_back(std::move(path));
    } else if (event == kFolderEvent) {
        if (!mode.collectFolders) return;
        std::string trimmed = TrimFolderBackslashes(finder.LastFolderEntry());
        if (!trimmed.empty()) list->push_back(std::move(trimmed));
    }
}

}  // namespace viewer
