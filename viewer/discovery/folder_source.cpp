#include <algorithm>

#include "base/ansi_text.h"
#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_finder.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/record_fields.h"

namespace viewer {

std::optional<MovieRecord> MovieFromFile(const std::string& path, std::int32_t& counter) {
    const auto facts = ReadFileFacts(path);
    if (!facts || facts->sizeText.empty()) return std::nullopt;
    MovieRecord record;
    record.localPath = path;
    record.sizeText = facts->sizeText;
    record.id = ++counter;
    record.name = DisplayNameFromPath(path);
    record.standalone = true;
    record.time = facts->creation.value_or(base::Now());
    return record;
}

void ScanCustomFolder(const std::string& folder, MovieCatalogue& catalogue, std::int32_t& counter) {
    FileFinder finder;
    std::vector<std::string> folders;
    finder.SetCallback(Collector, &folders);

    FinderCriteria criteria;
    criteria.folder = folder;
    criteria.mask = "*.*";
    criteria.includeSubfolders = 0;
    criteria.options = kAttributeFilterOn;
    criteria.attributeMask = kFolderAttributes;
    ProcessCollectorMode().collectFolders = true;
    finder.Search(criteria);

    folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return base::CompareAnsi(a, b) < 0;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());

    std::vector<std::string> files;
    criteria.attributeMask |= kFileAttributes;
    criteria.mask = "*.swf";
    ProcessCollectorMode().collectFolders = false;
    finder.SetCallback(Collector, &files);
    finder.Search(criteria);

    if (folder.size() > 3) {
        MovieRecord parent;
        parent.localPath = "..";
        parent.name = "..";
        parent.isFolder = true;
        parent.id = ++counter;
        catalogue.Append(parent);
    }
    for (const std::string& path : folders) {
        if (path.size() <= 3) continue;
        const std::size_t slash = base::FindLastChar(path, '\\');
        if (slash == std::string::npos || slash == 0 || slash + 1 == path.size()) continue;
        MovieRecord entry;
        entry.isFolder = true;
        entry.localPath = path;
        entry.name = path.substr(slash + 1);
        entry.id = ++counter;
        catalogue.Append(entry);
    }
    for (const std::string& path : files) {
        if (path.size() <= 3) continue;
        if (auto movie = MovieFromFile(path, counter)) catalogue.Append(*movie);
    }
}

}  // namespace viewer
