// Folders, files and URL cache entries made and removed by the development programs: test
// fixtures, benchmarks and the demo seed. Header-only, Windows only.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/ansi_text.h"

namespace filetree {

// Creates every missing folder of an absolute path; a trail byte '\' is no separator.
inline bool MakeFolders(const std::string& path) {
    for (std::size_t i = base::FindChar(path, '\\', 3); i != std::string::npos;
         i = base::FindChar(path, '\\', i + 1))
        CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Writes the file whole, making its folder first.
inline bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    const std::size_t slash = base::FindLastChar(path, '\\');
    if (slash != std::string::npos) MakeFolders(path.substr(0, slash));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// Removes a folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Every entry of the content cache, with its type bits.
inline std::map<std::string, DWORD> UrlCacheEntries() {
    std::map<std::string, DWORD> entries;
    std::vector<std::uint64_t> buffer(8192);
    DWORD size = static_cast<DWORD>(buffer.size() * 8);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (find == nullptr) return entries;
    do {
        if (entry->lpszSourceUrlName) entries[entry->lpszSourceUrlName] = entry->CacheEntryType;
        size = static_cast<DWORD>(buffer.size() * 8);
    } while (FindNextUrlCacheEntryA(find, entry, &size));
    FindCloseUrlCache(find);
    return entries;
}

inline void ClearUrlCache() {
    for (const auto& [url, type] : UrlCacheEntries()) DeleteUrlCacheEntryA(url.c_str());
}

}  // namespace filetree
