// The four detail fields under the preview for one record, by source.
#pragma once

#include <string>

#include "base/local_time.h"
#include "viewer/discovery/movie_record.h"

namespace viewer {

struct DetailTexts {
    std::string field1005, field1009, field1008, field1010;
};

// The detail fields from top to bottom (1005, 1009, 1008, 1010). For the Internet Explorer
// source: URL (the local path when the record has none), last-modified text, size, creation
// time; for the Firefox and folder sources: local path, size, creation time, and nothing in
// the hidden fourth field. bytesUnit is string 144 (" 字节" in CP936, leading blank
// included), appended to the size.
DetailTexts DetailsFor(const MovieRecord& r, int source, const std::string& bytesUnit);

// t broken down into local time and formatted with strftime "%c" (the current C locale's date
// and time), at most 127 characters; empty when t cannot be broken down.
std::string TimeText(base::Time64 t);

}  // namespace viewer
