// The recent-file list of a frame program: most recent first, each path once (letter case
// ignored, whole characters compared), at most a fixed number of entries.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace win {

class RecentFileList {
public:
    explicit RecentFileList(std::size_t capacity) : capacity_(capacity) {}

    std::size_t Capacity() const { return capacity_; }
    const std::vector<std::string>& Entries() const { return entries_; }

    // Puts path first, removing an equal entry and dropping the oldest beyond the capacity.
    // An empty path changes nothing.
    void Add(const std::string& path);
    // Removes entry index; an index out of range changes nothing.
    void Remove(std::size_t index);
    // Replaces the list with stored entries in order, skipping empty ones and repeats.
    void Assign(const std::vector<std::string>& stored);

private:
    std::size_t capacity_;
    std::vector<std::string> entries_;
};

}  // namespace win
