// The records of the current scan, kept in the order the sources appended them. Readers get
// copies. The disk scans ask whether a path is already present once per file they find, so
// the catalogue keeps an index of case-folded paths in step with every change.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "viewer/discovery/movie_record.h"

namespace viewer {

class MovieCatalogue {
public:
    using const_iterator = std::list<MovieRecord>::const_iterator;

    void Clear();
    void Append(const MovieRecord& record);

    // A copy of the first record with this id; a fresh, empty record when none has it (its
    // empty localPath tells callers there is nothing to act on).
    MovieRecord Find(std::int32_t id) const;

    // Removes the first record with this id; false when none has it.
    bool Remove(std::int32_t id);

    // True when some record's localPath equals path, ignoring the case of ASCII letters and
    // comparing double-byte characters whole.
    bool ContainsPath(std::string_view path) const;

    std::size_t Count() const { return records_.size(); }
    bool Empty() const { return records_.empty(); }
    const_iterator begin() const { return records_.begin(); }
    const_iterator end() const { return records_.end(); }

private:
    void Unindex(const std::string& path);

    std::list<MovieRecord> records_;
    // Folded localPath -> number of records that have it.
    std::unordered_map<std::string, std::size_t> folded_paths_;
};

}  // namespace viewer
