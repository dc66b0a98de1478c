#include "win/recent_file_list.h"

#include <algorithm>

#include "base/ansi_text.h"

namespace win {

void RecentFileList::Add(const std::string& path) {
    if (path.empty() || capacity_ == 0) return;
    std::erase_if(entries_, [&](const std::string& e) { return base::EqualsNoCase(e, path); });
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > capacity_) entries_.resize(capacity_);
}

void RecentFileList::Remove(std::size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<long>(index));
}

void RecentFileList::Assign(const std::vector<std::string>& stored) {
    entries_.clear();
    for (const std::string& path : stored) {
        if (entries_.size() == capacity_) break;
        if (path.empty()) continue;
        if (std::none_of(entries_.begin(), entries_.end(),
                         [&](const std::string& e) { return base::EqualsNoCase(e, path); }))
            entries_.push_back(path);
    }
}

}  // namespace win
