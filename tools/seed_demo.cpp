// seed_demo: fills the current Wine prefix (or Windows profile) with movies to try Moravel on.
//
//   seed_demo.exe            seed once; a later run sees the "DemoSeeded" marker and stops
//   seed_demo.exe --force    remove what an earlier run made, then seed again
//   seed_demo.exe --clear    remove what an earlier run made, and the marker
//
// What it makes, all with our own SWF writer:
//   - movies of three sites in the WinINet URL cache (real index entries, local files in the
//     cache folder, some with a last-modified time and one without);
//   - standalone movies in the internet cache folder that the index does not know;
//   - a Firefox cache tree and its "Local Settings" mirror with cache2 entries (a movie body
//     followed by metadata, as Firefox keeps them) and non-movie entries, and the setting
//     "FirefoxProfileFolder" pointing to it;
//   - a folder of movies with subfolders, one named in code page 936, and the setting
//     "CurrViewFolder" pointing to it.
// Every file's creation, access and write times are set to one moment, spread over today,
// yesterday, earlier this month and last month, so the date filter has something to do.
// Removal only touches what this program creates: its URLs, its file names in the cache
// folder, the demo folder and the three values it writes.
#include <shlobj.h>
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tools/file_tree.h"
#include "tools/seed_movies.h"
#include "tools/swf_writer.h"

namespace {

using filetree::MakeFolders;
using filetree::RemoveTree;

constexpr char kSettingsKey[] = "Software\\Veltrano\\Moravel";
constexpr char kMarkerValue[] = "DemoSeeded";
constexpr char kDemoRoot[] = "C:\\users\\Public\\Demo";
constexpr char kFirefoxRoot[] = "C:\\users\\Public\\Demo\\Application Data\\Mozilla\\Firefox";
constexpr char kFirefoxMirror[] =
    "C:\\users\\Public\\Demo\\Local Settings\\Application Data\\Mozilla\\Firefox";
constexpr char kMoviesFolder[] = "C:\\users\\Public\\Demo\\Movies";

// Code page 936 names: 小游戏 (small games), 謀略 (its second byte is '\'), 烟花, 片头.
constexpr char kGamesFolderName[] = "\xd0\xa1\xd3\xce\xcf\xb7";
constexpr char kStrategyName[] = "\xd6\x5c\xc2\xd4";
constexpr char kFireworksName[] = "\xd1\xcc\xbb\xa8";
constexpr char kOpeningName[] = "\xc6\xac\xcd\xb7";

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = 86400 * kTicksPerSecond;

// ---- output ---------------------------------------------------------------------------------

// The tool runs under Wine from a Linux shell, whose terminal reads UTF-8: paths in the ANSI
// code page are converted for printing only.
std::string Printable(const std::string& ansi) {
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return ansi;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return ansi;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(length - 1));
    return utf8;
}

// ---- times ----------------------------------------------------------------------------------

std::int64_t Ticks(const FILETIME& ft) {
    return static_cast<std::int64_t>((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
}

FILETIME FromTicks(std::int64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks));
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return ft;
}

// Moments relative to the local calendar. Moravel takes a file's creation time as its UTC
// clock fields read as local time, so a file meant to show "yesterday 23:59" gets 23:59 of
// yesterday's local date as its UTC time. All arithmetic is therefore done on local fields
// held as if they were UTC, where every day has 24 hours.
class Clock {
public:
    Clock() {
        FILETIME nowUtc;
        GetSystemTimeAsFileTime(&nowUtc);
        SYSTEMTIME utc, local;
        FileTimeToSystemTime(&nowUtc, &utc);
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
        SystemTimeToFileTime(&local, &now_);
        today_ = local;
        today_.wHour = today_.wMinute = today_.wSecond = today_.wMilliseconds = 0;
    }

    // Local day `days` from today (negative: back) at hh:mm. A moment of today that has not
    // come yet is moved back to just before now, so nothing lies in the future.
    FILETIME DayAt(int days, int hour, int minute) const {
        FILETIME midnight;
        SystemTimeToFileTime(&today_, &midnight);
        const std::int64_t ticks = Ticks(midnight) + days * kTicksPerDay +
                                   (hour * 3600LL + minute * 60LL) * kTicksPerSecond;
        const std::int64_t latest = Ticks(now_) - 60 * kTicksPerSecond;
        return FromTicks(ticks < latest ? ticks : latest);
    }

    // Local day `day` of the month `monthsBack` months ago at hh:mm (day clamped to 28).
    FILETIME MonthDayAt(int monthsBack, int day, int hour, int minute) const {
        int year = today_.wYear;
        int month = today_.wMonth - monthsBack;
        while (month < 1) {
            month += 12;
            --year;
        }
        const int dayOfMonth = day > 28 ? 28 : day;
        // Days from today to that day, through the local calendar.
        SYSTEMTIME target = today_;
        target.wYear = static_cast<WORD>(year);
        target.wMonth = static_cast<WORD>(month);
        target.wDay = static_cast<WORD>(dayOfMonth);
        FILETIME a, b;
        SystemTimeToFileTime(&today_, &a);
        SystemTimeToFileTime(&target, &b);
        return DayAt(static_cast<int>((Ticks(b) - Ticks(a)) / kTicksPerDay), hour, minute);
    }

    int DayOfMonth() const { return today_.wDay; }

private:
    FILETIME now_;      // local fields, held as UTC
    SYSTEMTIME today_;  // local, at midnight
};

// ---- files, folders, registry ----------------------------------------------------------------

bool WriteFileAt(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 const FILETIME& when) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    // All three times: Wine reports the earliest of a file's times as its creation time.
    ok = ok && SetFileTime(file, &when, &when, &when);
    CloseHandle(file);
    return ok;
}

// Sets the times of a file that exists already (a URL cache entry's local file).
bool SetTimes(const std::string& path, const FILETIME& when) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(file, &when, &when, &when) != FALSE;
    CloseHandle(file);
    return ok;
}

bool SetString(const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc =
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool SetMarker() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD one = 1;
    const LONG rc = RegSetValueExA(key, kMarkerValue, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool HasMarker() {
    DWORD value = 0, size = sizeof value, type = 0;
    const LONG rc = RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kMarkerValue, RRF_RT_REG_DWORD,
                                 &type, &value, &size);
    return rc == ERROR_SUCCESS && value != 0;
}

void DeleteValues() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const char* name : {kMarkerValue, "FirefoxProfileFolder", "CurrViewFolder"})
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

std::string InternetCacheFolder() {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

// ---- movies ---------------------------------------------------------------------------------

// Each demo movie draws a gradient ground, a sun, a turning star in a sprite and a growing
// bar in its own colours (see swfwriter::DemoMovie).
using MovieShape = swfwriter::DemoMovieSpec;

std::vector<std::uint8_t> MakeMovie(const MovieShape& shape) {
    return swfwriter::DemoMovie(shape);
}

using swfwriter::Compression;
using swfwriter::Rgb;

// ---- the parts of the demo --------------------------------------------------------------------

struct CacheMovie {
    const char* url;
    MovieShape shape;
    int day;        // days back from today; -1 = earlier this month, -2 = last month
    bool modified;  // whether the index holds a last-modified time
};

const CacheMovie kCacheMovies[] = {
    {"http://www.games.example.com/intro.swf",
     {550, 400, 24, {0x10, 0x20, 0x60}, {0xff, 0xd0, 0x20}, 48, Compression::None},
     0,
     true},
    {"http://www.games.example.com/arcade/tetra.swf",
     {320, 240, 12, {0x00, 0x00, 0x00}, {0x20, 0xe0, 0x40}, 20, Compression::Zlib},
     0,
     true},
    {"http://www.games.example.com/arcade/racer.swf",
     {640, 480, 30, {0x30, 0x30, 0x30}, {0xe0, 0x20, 0x20}, 90, Compression::Lzma},
     1,
     false},
    {"http://cartoons.example.net/ep01/opening.swf",
     {400, 300, 15, {0xff, 0xf0, 0xd0}, {0x80, 0x40, 0x00}, 30, Compression::Zlib},
     1,
     true},
    {"http://cartoons.example.net/ep02/opening.swf",
     {400, 300, 15, {0xd0, 0xf0, 0xff}, {0x00, 0x40, 0x80}, 36, Compression::None},
     -1,
     true},
    {"http://cartoons.example.net/banner.swf",
     {468, 60, 20, {0xff, 0xff, 0xff}, {0xff, 0x60, 0x00}, 10, Compression::Lzma},
     -2,
     true},
    {"http://www.news.example.org/ads/skyscraper.swf",
     {120, 600, 18, {0x20, 0x60, 0x20}, {0xff, 0xff, 0xff}, 24, Compression::None},
     0,
     true},
    {"http://www.news.example.org/weather/map.swf",
     {500, 350, 10, {0x60, 0xa0, 0xe0}, {0xf0, 0xf0, 0x40}, 8, Compression::Zlib},
     -1,
     true},
    {"http://www.news.example.org/clock.swf",
     {200, 200, 1, {0xf0, 0xf0, 0xf0}, {0x20, 0x20, 0x20}, 60, Compression::None},
     -2,
     true},
};

const char* const kStandaloneNames[] = {"promo_loop.swf", "site_loader.swf", "fireworks.swf"};

FILETIME WhenFor(const Clock& clock, int day, int index) {
    const int minute = (index * 17) % 60;
    switch (day) {
        case 0:
            return clock.DayAt(0, 8 + index % 8, minute);
        case 1:
            // One of them at the last minute of yesterday.
            return index % 2 == 0 ? clock.DayAt(-1, 23, 59) : clock.DayAt(-1, 9 + index, minute);
        case -1:
            // Earlier this month: before yesterday when the month is old enough.
            return clock.DayOfMonth() > 3 ? clock.DayAt(-(2 + index % (clock.DayOfMonth() - 2)),
                                                        10 + index % 10, minute)
                                          : clock.MonthDayAt(0, 1, 6, minute);
        default:
            return clock.MonthDayAt(1, 5 + index * 3, 14, minute);
    }
}

void RemoveDemo(const std::string& cacheFolder) {
    for (const CacheMovie& m : kCacheMovies) DeleteUrlCacheEntryA(m.url);
    if (!cacheFolder.empty()) {
        for (const char* name : kStandaloneNames) DeleteFileA((cacheFolder + "\\" + name).c_str());
    }
    RemoveTree(kDemoRoot);
}

int SeedUrlCache(const Clock& clock) {
    int made = 0;
    int index = 0;
    static const char kHeaders[] =
        "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n\r\n";
    for (const CacheMovie& m : kCacheMovies) {
        const FILETIME when = WhenFor(clock, m.day, index++);
        char local[MAX_PATH] = {};
        if (!CreateUrlCacheEntryA(m.url, 0, "swf", local, 0)) {
            std::printf("  FAILED to create the cache entry of %s (%lu)\n", m.url, GetLastError());
            continue;
        }
        const std::vector<std::uint8_t> bytes = MakeMovie(m.shape);
        if (!WriteFileAt(local, bytes, when)) {
            std::printf("  FAILED to write %s\n", Printable(local).c_str());
            continue;
        }
        // The server's last-modified time lies a few days before the download.
        const FILETIME modified =
            m.modified ? FromTicks(Ticks(when) - (3 + index) * kTicksPerDay) : FILETIME{};
        const FILETIME expires{};
        if (!CommitUrlCacheEntryA(m.url, local, expires, modified, NORMAL_CACHE_ENTRY,
                                  reinterpret_cast<BYTE*>(const_cast<char*>(kHeaders)),
                                  sizeof kHeaders - 1, nullptr, nullptr)) {
            std::printf("  FAILED to commit %s (%lu)\n", m.url, GetLastError());
            DeleteFileA(local);
            continue;
        }
        // The commit may touch the file; the times are what the date filter reads.
        SetTimes(local, when);
        std::printf("  cache  %-48s -> %s (%zu bytes)\n", m.url, Printable(local).c_str(),
                    bytes.size());
        ++made;
    }
    return made;
}

int SeedStandalone(const Clock& clock, const std::string& cacheFolder) {
    const MovieShape shapes[] = {
        {300, 250, 24, {0x80, 0x00, 0x80}, {0xff, 0xff, 0x00}, 40, Compression::None},
        {100, 100, 12, {0xff, 0xff, 0xff}, {0x00, 0x00, 0xff}, 12, Compression::Zlib},
        {800, 600, 25, {0x00, 0x00, 0x20}, {0xff, 0x80, 0xc0}, 75, Compression::Lzma},
    };
    const int days[] = {0, 1, -2};
    int made = 0;
    for (int i = 0; i < 3; ++i) {
        const std::string path = cacheFolder + "\\" + kStandaloneNames[i];
        if (WriteFileAt(path, MakeMovie(shapes[i]), WhenFor(clock, days[i], i))) {
            std::printf("  disk   %s\n", Printable(path).c_str());
            ++made;
        } else {
            std::printf("  FAILED to write %s\n", Printable(path).c_str());
        }
    }
    return made;
}

// A cache2 entry: the body as it came from the server, then Firefox's metadata (here a
// plausible imitation: the key, a few headers, a 4-byte offset of the metadata at the end).
std::vector<std::uint8_t> CacheEntry(std::vector<std::uint8_t> body, const std::string& url) {
    const std::uint32_t offset = static_cast<std::uint32_t>(body.size());
    const std::string meta = std::string(8, '\0') + ":" + url + '\0' +
                             "request-method\0GET\0response-head\0HTTP/1.1 200 OK\r\n\0";
    body.insert(body.end(), meta.begin(), meta.end());
    for (int shift = 24; shift >= 0; shift -= 8)
        body.push_back(static_cast<std::uint8_t>(offset >> shift));
    return body;
}

// 40 hex digits, like the SHA-1 names Firefox gives its entries; ours come from a simple
// mix of the URL, which is all a file name needs.
std::string EntryName(const std::string& url) {
    std::uint64_t h = 1469598103934665603ULL;
    std::string name;
    for (int part = 0; part < 3; ++part) {
        for (unsigned char c : url) h = (h ^ c) * 1099511628211ULL;
        h ^= static_cast<std::uint64_t>(part + 1) * 0x9E3779B97F4A7C15ULL;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(h));
        name += hex;
    }
    return name.substr(0, 40);
}

// Moravel knows a Firefox entry only by an "FWS" or "CWS" signature, so these movies are
// never LZMA-compressed.
int SeedFirefox(const Clock& clock) {
    struct Entry {
        const char* tree;
        const char* url;
        bool movie;
        MovieShape shape;
        int day;
    };
    const Entry entries[] = {
        {kFirefoxRoot,
         "http://flash.example.com/spinner.swf",
         true,
         {250, 250, 30, {0x00, 0x30, 0x30}, {0x00, 0xff, 0xc0}, 45, Compression::None},
         0},
        {kFirefoxRoot,
         "http://flash.example.com/quiz.swf",
         true,
         {640, 360, 12, {0xf0, 0xe0, 0xc0}, {0x60, 0x30, 0x10}, 16, Compression::Zlib},
         1},
        {kFirefoxRoot,
         "http://www.games.example.com/puzzle.swf",
         true,
         {480, 480, 20, {0x20, 0x00, 0x40}, {0xc0, 0x80, 0xff}, 28, Compression::Zlib},
         -1},
        {kFirefoxRoot, "http://flash.example.com/index.html", false, {}, 0},
        {kFirefoxRoot, "http://flash.example.com/logo.png", false, {}, 1},
        {kFirefoxMirror,
         "http://cartoons.example.net/ep03/opening.swf",
         true,
         {400, 300, 15, {0xe0, 0xff, 0xe0}, {0x00, 0x80, 0x00}, 32, Compression::None},
         1},
        {kFirefoxMirror,
         "http://www.news.example.org/ticker.swf",
         true,
         {728, 90, 24, {0x00, 0x00, 0x00}, {0xff, 0xff, 0xff}, 50, Compression::Zlib},
         -2},
        {kFirefoxMirror, "http://www.news.example.org/style.css", false, {}, 0},
    };
    int made = 0;
    int index = 0;
    for (const Entry& e : entries) {
        const std::string folder =
            std::string(e.tree) + "\\Profiles\\demo.default\\cache2\\entries";
        MakeFolders(folder);
        std::vector<std::uint8_t> body;
        if (e.movie) {
            body = MakeMovie(e.shape);
        } else if (std::string(e.url).ends_with(".png")) {
            body = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0};
        } else {
            const std::string text = "<html><body>Demo page</body></html>\n";
            body.assign(text.begin(), text.end());
        }
        const std::string path = folder + "\\" + EntryName(e.url);
        if (WriteFileAt(path, CacheEntry(std::move(body), e.url), WhenFor(clock, e.day, index++))) {
            std::printf("  %s %s\n", e.movie ? "ffox  " : "other ", Printable(path).c_str());
            made += e.movie ? 1 : 0;
        } else {
            std::printf("  FAILED to write %s\n", Printable(path).c_str());
        }
    }
    // Firefox keeps more than entries in a profile; the viewer must pass these by.
    const std::string profile = std::string(kFirefoxRoot) + "\\Profiles\\demo.default";
    const std::string prefs = "user_pref(\"browser.cache.disk.enable\", true);\n";
    WriteFileAt(profile + "\\prefs.js", {prefs.begin(), prefs.end()}, clock.DayAt(-1, 8, 0));
    WriteFileAt(profile + "\\cache2\\index", std::vector<std::uint8_t>(64, 0),
                clock.DayAt(0, 0, 1));
    return made;
}

int SeedFolder(const Clock& clock) {
    struct File {
        std::string subfolder;
        std::string name;
        MovieShape shape;
        int day;
    };
    const std::string games = kGamesFolderName;
    const File files[] = {
        {"",
         "welcome.swf",
         {550, 400, 24, {0x40, 0x40, 0x80}, {0xff, 0xff, 0xff}, 24, Compression::None},
         0},
        {"",
         std::string(kFireworksName) + ".swf",
         {600, 400, 30, {0x00, 0x00, 0x00}, {0xff, 0x40, 0x40}, 60, Compression::Zlib},
         1},
        {games,
         "snake.swf",
         {320, 320, 10, {0x10, 0x40, 0x10}, {0x80, 0xff, 0x80}, 30, Compression::None},
         0},
        {games,
         std::string(kStrategyName) + ".swf",
         {800, 600, 20, {0x50, 0x30, 0x10}, {0xff, 0xd0, 0x80}, 40, Compression::Lzma},
         -1},
        {"Cartoons",
         std::string(kOpeningName) + ".swf",
         {400, 300, 15, {0xff, 0xe0, 0xe0}, {0x80, 0x00, 0x40}, 36, Compression::Zlib},
         -1},
        {"Cartoons",
         "credits.swf",
         {400, 300, 12, {0x00, 0x00, 0x00}, {0xc0, 0xc0, 0xc0}, 18, Compression::None},
         -2},
        {"Cartoons\\Old",
         "pilot.swf",
         {320, 240, 8, {0x70, 0x70, 0x50}, {0xe0, 0xe0, 0xa0}, 16, Compression::None},
         -2},
    };
    int made = 0;
    int index = 0;
    for (const File& f : files) {
        const std::string folder =
            f.subfolder.empty() ? kMoviesFolder : std::string(kMoviesFolder) + "\\" + f.subfolder;
        MakeFolders(folder);
        const std::string path = folder + "\\" + f.name;
        if (WriteFileAt(path, MakeMovie(f.shape), WhenFor(clock, f.day, index++))) {
            std::printf("  folder %s\n", Printable(path).c_str());
            ++made;
        } else {
            std::printf("  FAILED to write %s\n", Printable(path).c_str());
        }
    }
    const std::string note = "Demo movies for Moravel.\r\n";
    WriteFileAt(std::string(kMoviesFolder) + "\\readme.txt", {note.begin(), note.end()},
                clock.DayAt(0, 0, 2));
    // An empty subfolder, to browse into.
    MakeFolders(std::string(kMoviesFolder) + "\\Empty");
    return made;
}

}  // namespace

int main(int argc, char** argv) {
    bool force = false, clear = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--force") {
            force = true;
        } else if (arg == "--clear") {
            clear = true;
        } else {
            std::fprintf(stderr, "usage: seed_demo [--force | --clear]\n");
            return 2;
        }
    }

    const std::string cacheFolder = InternetCacheFolder();
    if (clear) {
        RemoveDemo(cacheFolder);
        DeleteValues();
        std::printf("seed_demo: removed the demo movies and settings.\n");
        return 0;
    }
    if (HasMarker() && !force) {
        std::printf("seed_demo: already seeded (%s\\%s is set); --force seeds again.\n",
                    kSettingsKey, kMarkerValue);
        return 0;
    }

    // Whatever an earlier or interrupted run left is removed first, so nothing doubles.
    RemoveDemo(cacheFolder);
    const Clock clock;
    std::printf("seed_demo: Internet Explorer cache\n");
    const int cached = SeedUrlCache(clock);
    int standalone = 0;
    if (cacheFolder.empty()) {
        std::printf("  FAILED: no internet cache folder\n");
    } else {
        standalone = SeedStandalone(clock, cacheFolder);
    }
    std::printf("seed_demo: Firefox cache\n");
    const int firefox = SeedFirefox(clock);
    std::printf("seed_demo: movie folder\n");
    const int folder = SeedFolder(clock);

    const bool settings = SetString("FirefoxProfileFolder", kFirefoxRoot) &&
                          SetString("CurrViewFolder", kMoviesFolder);
    const bool complete = cached == static_cast<int>(std::size(kCacheMovies)) && standalone == 3 &&
                          firefox == 5 && folder == 7 && settings;
    // Only a complete demo is marked, so a failed run is redone the next time.
    const bool marked = complete && SetMarker();
    std::printf(
        "seed_demo: %d cache movies from 3 sites, %d standalone, %d Firefox, %d in the folder;"
        " settings %s%s.\n",
        cached, standalone, firefox, folder, settings ? "written" : "NOT written",
        marked ? ", marked as seeded" : "");
    return complete ? 0 : 1;
}
