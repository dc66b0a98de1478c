#include "viewer/discovery/movie_catalogue.h"

#include "base/ansi_text.h"

namespace viewer {

void MovieCatalogue::Clear() {
    records_.clear();
    folded_paths_.clear();
}

void MovieCatalogue::Append(const MovieRecord& record) {
    records_.push_back(record);
    ++folded_paths_[base::ToLowerAnsi(record.localPath)];
}

MovieRecord MovieCatalogue::Find(std::int32_t id) const {
    for (const MovieRecord& record : records_) {
        if (record.id == id) return record;
    }
    return MovieRecord{};
}

bool MovieCatalogue::Remove(std::int32_t id) {
    for (auto it = records_.begin(); it != records_.end(); ++it) {
        if (it->id == id) {
            Unindex(it->localPath);
            records_.erase(it);
            return true;
        }
    }
    return false;
}

bool MovieCatalogue::ContainsPath(std::string_view path) const {
    return folded_paths_.find(base::ToLowerAnsi(path)) != folded_paths_.end();
}

void MovieCatalogue::Unindex(const std::string& path) {
    const auto it = folded_paths_.find(base::ToLowerAnsi(path));
    if (it == folded_paths_.end()) return;
    if (--it->second == 0) folded_paths_.erase(it);
}

}  // namespace viewer
