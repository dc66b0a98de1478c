#include "player/shell/association.h"

#include <windows.h>
#include <shlobj.h>

#include "player/resource.h"
#include "player/shell/association_rules.h"
#include "win/frame_rules.h"
#include "win/resource_text.h"
#include "win/unique_handle.h"

namespace player {
namespace {

constexpr char kOpenCommandKey[] = "FlashMovie\\shell\\open\\command";
constexpr char kIconKey[] = "FlashMovie\\DefaultIcon";
constexpr char kExplorerSwfKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.swf";

bool WriteDefault(const char* key, const std::string& text) {
    win::UniqueHkey hkey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, hkey.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(hkey.get(), nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// The default text of a key: REG_SZ or REG_EXPAND_SZ, any length; false when it cannot be read.
bool ReadDefault(const char* key, std::string& text) {
    win::UniqueHkey hkey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, hkey.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(hkey.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::string data(size, '\0');
    if (RegQueryValueExA(hkey.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    text = data.c_str();
    return true;
}

bool HasSubkeys(const std::string& key) {
    win::UniqueHkey hkey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS)
        return true;  // what cannot be looked into is left alone
    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(hkey.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return true;
    return subkeys != 0;
}

bool KeyExists(const std::string& key) {
    win::UniqueHkey hkey;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, hkey.put()) == ERROR_SUCCESS;
}

// Deletes key (only when it has no subkeys of its own), then each parent on its path that is
// left without subkeys, up to the first one that still has one. Values do not keep a key.
void DeleteKeyAndEmptyParents(const std::string& key) {
    std::string path = key;
    // The named key may be missing already; its empty parents still go.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
    for (;;) {
        const std::string parent = DirectoryOf(path);
        if (parent.empty()) return;
        if (!KeyExists(parent)) {
            path = parent;
            continue;
        }
        if (HasSubkeys(parent) || RegDeleteKeyA(HKEY_CLASSES_ROOT, parent.c_str()) != ERROR_SUCCESS)
            return;
        path = parent;
    }
}

std::string ShortPath(const std::string& path) {
    const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::string shortPath(needed, '\0');
    const DWORD got = GetShortPathNameA(path.c_str(), shortPath.data(), needed);
    if (got == 0 || got >= needed) return path;
    shortPath.resize(got);
    return shortPath;
}

std::string LongPath(const std::string& path) {
    const DWORD needed = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::string longPath(needed, '\0');
    const DWORD got = GetLongPathNameA(path.c_str(), longPath.data(), needed);
    if (got == 0 || got >= needed) return {};
    longPath.resize(got);
    return longPath;
}

void AnnounceChange() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace

std::string ModulePath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};  // none, or cut short
    return std::string(path, n);
}

std::string ModuleDirectory() {
    return DirectoryOf(ModulePath());
}

void RegisterAssociation(bool on, int iconKind, const std::string& programPath) {
    if (on) {
        const std::string typeName =
            win::ParseDocTemplate(win::LoadResourceString(GetModuleHandleA(nullptr), IDR_MAINFRAME))
                .fileTypeName;
        // Without the type and its command nothing else is worth writing, but the icon is.
        if (WriteDefault(kFileTypeId, typeName) && !programPath.empty() &&
            WriteDefault(kOpenCommandKey, OpenCommandText(ShortPath(programPath)))) {
            std::string swf;
            const bool read = ReadDefault(kSwfExtension, swf);
            if (SwfKeyIsOurs(read, swf)) WriteDefault(kSwfExtension, kFileTypeId);
        }
        const std::string icon = IconValue(iconKind, programPath, DirectoryOf(programPath));
        if (!icon.empty()) WriteDefault(kIconKey, icon);
    } else {
        DeleteKeyAndEmptyParents(kIconKey);
        DeleteKeyAndEmptyParents(kOpenCommandKey);
        DeleteKeyAndEmptyParents("FlashMovie\\shell\\print\\command");
        DeleteKeyAndEmptyParents("FlashMovie\\shell\\printto\\command");
        std::string swf;
        const bool read = ReadDefault(kSwfExtension, swf);
        if (SwfKeyIsOurs(read, swf)) {
            DeleteKeyAndEmptyParents(".swf\\ShellNew");
            DeleteKeyAndEmptyParents(kSwfExtension);
        }
    }
    AnnounceChange();
}

bool IsAssociated() {
    std::string command;
    ReadDefault(kOpenCommandKey, command);
    std::string path = CommandProgramPath(command);
    if (std::string longPath = LongPath(path); !longPath.empty()) path = longPath;
    return NamesTessaly(path);
}

void ForgetExplorerSwfChoice() {
    // RegDeleteTree removes the subkeys deepest first, then the key itself.
    RegDeleteTreeA(HKEY_CURRENT_USER, kExplorerSwfKey);
}

}  // namespace player
