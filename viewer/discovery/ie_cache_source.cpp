#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <new>
#include <vector>

#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_finder.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/ie_cache_entry.h"
#include "viewer/discovery/record_fields.h"
#include "viewer/discovery/source_folders.h"
#include "viewer/settings_store.h"
#include "win/unique_handle.h"

namespace viewer {
namespace {

// No cache entry comes near this; a larger size is taken as a buffer that can't be had.
constexpr DWORD kMaxEntrySize = 1 << 20;

struct CacheEnumClose {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { FindCloseUrlCache(h); }
};
using UniqueCacheEnum = win::UniqueAny<CacheEnumClose>;

// An entry buffer: INTERNET_CACHE_ENTRY_INFOA followed by the texts it points to, aligned
// for the structure.
class EntryBuffer {
public:
    bool Resize(DWORD size) {
        if (size == 0 || size > kMaxEntrySize) return false;
        try {
            words_.assign((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        size_ = size;
        return true;
    }
    INTERNET_CACHE_ENTRY_INFOA* Entry() {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(words_.data());
    }
    DWORD* Size() { return &size_; }

private:
    std::vector<std::uint64_t> words_;
    DWORD size_ = 0;
};

// Fetches one entry the way the cache asks for it: the size first (null buffer), then the
// entry. Should the entry grow between the two calls, the fetch is tried again at the new
// size rather than ending the walk.
template <typename Fetch>
bool FetchEntry(EntryBuffer& buffer, Fetch fetch) {
    DWORD size = 0;
    fetch(nullptr, &size);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!buffer.Resize(size)) return false;
        if (fetch(buffer.Entry(), buffer.Size())) return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || *buffer.Size() <= size) return false;
        size = *buffer.Size();
    }
    return false;
}

}  // namespace

std::optional<MovieRecord> RecordFromCacheEntry(const INTERNET_CACHE_ENTRY_INFOA& entry,
                                                std::int32_t& counter) {
    if (entry.CacheEntryType & kCookieOrHistoryEntry) return std::nullopt;
    if (entry.lpszLocalFileName == nullptr || !HasSwfFileName(entry.lpszLocalFileName))
        return std::nullopt;
    MovieRecord record;
    record.localPath = entry.lpszLocalFileName;
    const auto facts = ReadFileFacts(record.localPath);
    if (!facts || facts->sizeText.empty()) return std::nullopt;
    record.sizeText = facts->sizeText;
    record.id = ++counter;
    if (entry.lpszSourceUrlName != nullptr) record.url = entry.lpszSourceUrlName;
    record.name = DisplayNameFromPath(record.localPath);
    record.site = SiteFromUrl(record.url);
    const std::uint64_t modified = (std::uint64_t{entry.LastModifiedTime.dwHighDateTime} << 32) |
                                   entry.LastModifiedTime.dwLowDateTime;
    record.modifiedText = CacheTimeText(modified);
    record.time = facts->creation.value_or(base::Now());
    return record;
}

void ScanIeCacheIndex(MovieCatalogue& catalogue, std::int32_t& counter) {
    catalogue.Clear();
    counter = 0;
    EntryBuffer buffer;
    UniqueCacheEnum enumeration;
    const bool first = FetchEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        enumeration.reset(FindFirstUrlCacheEntryA(nullptr, entry, size));
        return static_cast<bool>(enumeration);
    });
    if (first) {
        do {
            if (auto record = RecordFromCacheEntry(*buffer.Entry(), counter))
                catalogue.Append(*record);
        } while (FetchEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
            return FindNextUrlCacheEntryA(enumeration.get(), entry, size) != FALSE;
        }));
    }
    ScanIeCacheFolder(catalogue, counter);
}

void ScanIeCacheFolder(MovieCatalogue& catalogue, std::int32_t& counter) {
    std::string setting;
    ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kIeCacheFolderValue, setting);
    const std::string root = SearchRoot(
        setting, setting.empty() ? SpecialFolderPath(CSIDL_INTERNET_CACHE) : std::string());
    if (root.empty()) return;

    FileFinder finder;
    std::vector<std::string> files;
    finder.SetCallback(Collector, &files);
    ProcessCollectorMode() = CollectorMode{};  // file mode, no signature check
    finder.SearchFolder(root, "*.swf", 1);

    for (const std::string& path : files) {
        if (catalogue.ContainsPath(path)) continue;
        if (auto movie = MovieFromFile(path, counter)) catalogue.Append(*movie);
    }
}

}  // namespace viewer
