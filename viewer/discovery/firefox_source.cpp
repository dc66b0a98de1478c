#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_finder.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/record_fields.h"
#include "viewer/discovery/source_folders.h"
#include "viewer/settings_store.h"

namespace viewer {
namespace {

constexpr char kRoamingSegment[] = "\\Application Data\\Mozilla\\Firefox";
constexpr char kLocalSegment[] = "\\Local Settings\\Application Data\\Mozilla\\Firefox";
// Neither segment contains it, so the two-step rewrite never finds its own replacement.
constexpr char kRewriteMarker[] = "### !!! NEW FOLDER !!! ###";

// The signature check is on for exactly one search.
class SignatureCheck {
public:
    SignatureCheck() { ProcessCollectorMode() = CollectorMode{false, true}; }
    ~SignatureCheck() { ProcessCollectorMode().checkSignature = false; }
    SignatureCheck(const SignatureCheck&) = delete;
    SignatureCheck& operator=(const SignatureCheck&) = delete;
};

void ScanTree(const std::string& root, MovieCatalogue& catalogue, std::int32_t& counter) {
    FileFinder finder;
    std::vector<std::string> files;
    finder.SetCallback(Collector, &files);
    {
        SignatureCheck check;
        finder.SearchFolder(root, "*.*", 1);
    }
    int nameCounter = 1;
    for (const std::string& path : files) {
        if (catalogue.ContainsPath(path)) continue;
        auto movie = MovieFromFile(path, counter);
        if (!movie) continue;
        char name[32];
        std::snprintf(name, sizeof(name), "flash%03d", nameCounter++);
        movie->name = name;
        catalogue.Append(*movie);
    }
}

}  // namespace

void ScanFirefoxCache(MovieCatalogue& catalogue, std::int32_t& counter) {
    std::string setting;
    ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, kFirefoxProfileFolderValue, setting);
    std::string root =
        FirefoxRoot(setting, setting.empty() ? SpecialFolderPath(CSIDL_APPDATA) : std::string());
    if (root.empty()) return;

    ScanTree(root, catalogue, counter);
    ReplaceNoCase(root, kRoamingSegment, kRewriteMarker);
    ReplaceNoCase(root, kRewriteMarker, kLocalSegment);
    ScanTree(root, catalogue, counter);
}

}  // namespace viewer
