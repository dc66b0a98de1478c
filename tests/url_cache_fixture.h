// Real entries in Wine's WinINet URL cache for the tests.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/disk_fixture.h"

namespace urlcache {

inline std::map<std::string, DWORD> Entries() {
    return filetree::UrlCacheEntries();
}
inline void Clear() {
    filetree::ClearUrlCache();
}

// A committed entry whose local file holds content; rename gives the local file another name
// in the same cache folder before the commit. Returns the local file's path.
inline std::string Make(const std::string& url, const std::string& content,
                        const char* rename = nullptr, DWORD type = NORMAL_CACHE_ENTRY,
                        FILETIME modified = {}) {
    char local[MAX_PATH] = {};
    EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "swf", local, 0)) << url;
    std::string path = local;
    if (rename != nullptr) path = path.substr(0, path.rfind('\\') + 1) + rename;
    disk::WriteBytes(path, content);
    FILETIME expires{};
    EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), path.c_str(), expires, modified, type, nullptr, 0,
                                     nullptr, nullptr))
        << url << " " << GetLastError();
    return path;
}

}  // namespace urlcache
