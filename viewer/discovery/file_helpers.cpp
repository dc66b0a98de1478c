#include "viewer/discovery/file_helpers.h"

#include <windows.h>
#include <shlobj.h>

#include "viewer/discovery/record_fields.h"
#include "viewer/settings_store.h"
#include "win/unique_handle.h"

namespace viewer {
namespace {

win::UniqueFile OpenForReading(const std::string& path) {
    return win::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ShellAnswer(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || pidl == nullptr) return {};
    char path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListA(pidl, path);
    CoTaskMemFree(pidl);
    return ok ? std::string(path) : std::string();
}

// The system's own folder functions, loaded at run time as older systems may lack them.
std::string LibraryAnswer(const char* dll, const char* name, const char* fallbackName, int csidl) {
    win::UniqueHmodule module(LoadLibraryA(dll));
    if (!module) return {};
    FARPROC proc = GetProcAddress(module.get(), name);
    if (proc == nullptr) proc = GetProcAddress(module.get(), fallbackName);
    if (proc == nullptr) return {};
    char path[MAX_PATH] = {};
    if (std::string(dll) == "shfolder.dll") {
        using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
        if (FAILED(reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(proc))(
                nullptr, csidl, nullptr, 0, path)))
            return {};
    } else {
        using GetSpecialFolderPath = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
        if (!reinterpret_cast<GetSpecialFolderPath>(reinterpret_cast<void*>(proc))(nullptr, path,
                                                                                   csidl, FALSE))
            return {};
    }
    path[MAX_PATH - 1] = '\0';
    return path;
}

}  // namespace

bool HasSwfSignature(const std::string& path) {
    const win::UniqueFile file = OpenForReading(path);
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 3) return false;
    char first[3] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), first, sizeof(first), &read, nullptr) || read != sizeof(first))
        return false;
    return IsSwfSignature(first);
}

std::optional<FileFacts> ReadFileFacts(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    FileFacts facts;
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    if (size > 0) facts.sizeText = GroupDigits(size);
    SYSTEMTIME utc{};
    if (FileTimeToSystemTime(&data.ftCreationTime, &utc))
        facts.creation = CreationTimeFromUtcFields(
            {utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond});
    return facts;
}

std::string SizeText(const std::string& path) {
    const auto facts = ReadFileFacts(path);
    return facts ? facts->sizeText : std::string();
}

bool FileCreationTime(const std::string& path, base::Time64& time) {
    const auto facts = ReadFileFacts(path);
    if (!facts || !facts->creation) return false;
    time = *facts->creation;
    return true;
}

std::string ShellFoldersFallback(int csidl) {
    struct Fallback {
        int csidl;
        HKEY root;
        const char* value;
    };
    static const Fallback kTable[] = {
        {CSIDL_PROGRAMS, HKEY_CURRENT_USER, "Programs"},
        {CSIDL_PERSONAL, HKEY_CURRENT_USER, "Personal"},
        {CSIDL_STARTUP, HKEY_CURRENT_USER, "Startup"},
        {CSIDL_SENDTO, HKEY_CURRENT_USER, "SendTo"},
        {CSIDL_DESKTOPDIRECTORY, HKEY_CURRENT_USER, "Desktop"},
        {CSIDL_COMMON_PROGRAMS, HKEY_LOCAL_MACHINE, "Common Programs"},
        {CSIDL_COMMON_STARTUP, HKEY_LOCAL_MACHINE, "Common Startup"},
        {CSIDL_COMMON_DESKTOPDIRECTORY, HKEY_LOCAL_MACHINE, "Common Desktop"},
        {CSIDL_APPDATA, HKEY_CURRENT_USER, "AppData"},
        {CSIDL_COMMON_APPDATA, HKEY_LOCAL_MACHINE, "Common AppData"},
        {CSIDL_MYPICTURES, HKEY_CURRENT_USER, "My Pictures"},
        {CSIDL_COMMON_DOCUMENTS, HKEY_LOCAL_MACHINE, "Common Documents"},
    };
    char dir[MAX_PATH] = {};
    if (csidl == CSIDL_WINDOWS) {
        const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(dir, n) : std::string();
    }
    if (csidl == CSIDL_SYSTEM) {
        const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(dir, n) : std::string();
    }
    for (const Fallback& f : kTable) {
        if (f.csidl != csidl) continue;
        std::string path;
        ReadStringSetting(f.root,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          f.value, path);
        return path;
    }
    return {};
}

std::string SpecialFolderPath(int csidl) {
    std::string path = ShellAnswer(csidl);
    if (path.empty()) path = ShellFoldersFallback(csidl);
    if (path.empty())
        path = LibraryAnswer("shfolder.dll", "SHGetFolderPathA", "SHGetFolderPath", csidl);
    if (path.empty())
        path = LibraryAnswer("shell32.dll", "SHGetSpecialFolderPathA", "SHGetSpecialFolderPath",
                             csidl);
    return path;
}

std::string ProgramDrive() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n > 3 && n <= MAX_PATH) return std::string(path, 3);
    return kNoProgramDrive;
}

}  // namespace viewer
