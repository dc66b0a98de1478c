// The text rules that turn what a source finds into the fields of a MovieRecord. Pure
// functions over ANSI text (code page 936 in the programs' home setting): every search steps
// over whole characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/local_time.h"

namespace viewer {

// A file size as decimal digits grouped in threes from the right by single spaces:
// 999, 1 234, 1 234 567. Sizes of 2 GB and more are shown in full.
std::string GroupDigits(std::uint64_t size);

// The display name of a movie file: the file name up to its last "[" (cache copies are named
// like intro[1].swf), else up to its last ".", else "flash"; never empty.
std::string DisplayNameFromPath(std::string_view path);

// The site of a cache entry: the URL's host in lower case without a leading "www.". Empty for
// an empty URL and for one that does not split as scheme "://" [user[:password]@] host
// [:port] path, has a host longer than 256 bytes, or a user name or password longer than
// 128 bytes.
std::string SiteFromUrl(std::string_view url);

// A cache entry's last-modified time, given in FILETIME ticks (100 ns since 1601, UTC), as
// "%a, %d %b %Y %H:%M:%S GMT" with English names. Empty for zero and for a value the system
// could not convert (2^63 ticks or more).
std::string CacheTimeText(std::uint64_t fileTimeTicks);

// A file's creation time from its UTC calendar fields, read as local time (the clock time
// shown is the UTC clock time of creation). 0 for a year before 1900; empty when the fields
// form no local time.
std::optional<base::Time64> CreationTimeFromUtcFields(const base::CivilTime& utc);

// True for the local file name of a cache entry that may be a movie: at least 5 bytes, and
// the last four, in lower case, are ".swf".
bool HasSwfFileName(std::string_view localFileName);

// True when three bytes read from the start of a file are "FWS" or "CWS" in any letter case;
// a zero byte among them ends the text early and fails.
bool IsSwfSignature(const char (&firstBytes)[3]);

// Replaces every occurrence of search in target, ignoring the case of ASCII letters, by
// replacement, and returns how many it replaced. After each replacement the search starts
// again at the beginning, so a replacement may join with the text before it to form a new
// occurrence. A replacement that itself contains the search text would be found again
// without end: then the search goes on after the inserted text instead.
int ReplaceNoCase(std::string& target, std::string_view search, std::string_view replacement);

}  // namespace viewer
