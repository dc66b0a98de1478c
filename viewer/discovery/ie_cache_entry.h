// One entry of the WinINet URL cache index turned into a catalogue record.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <optional>

#include "viewer/discovery/movie_record.h"

namespace viewer {

// Cookie and history entries are never movies.
inline constexpr DWORD kCookieOrHistoryEntry = 0x00300000;

// The record of a cache entry whose local file ends in ".swf" (in any case) and exists with
// non-zero length, numbered on from counter; empty, with the counter unchanged, otherwise.
std::optional<MovieRecord> RecordFromCacheEntry(const INTERNET_CACHE_ENTRY_INFOA& entry,
                                                std::int32_t& counter);

}  // namespace viewer
