#include "viewer/discovery/record_fields.h"

#include <algorithm>
#include <cstdio>

#include "base/ansi_text.h"

namespace viewer {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kMaxHost = 256;
constexpr std::size_t kMaxUserOrPassword = 128;
// No sensible rewrite needs more replacements; the bound only keeps odd input from spinning.
constexpr int kMaxReplacements = 1 << 16;

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

// Days since 1970-01-01 to a proleptic Gregorian date.
void CivilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

}  // namespace

std::string GroupDigits(std::uint64_t size) {
    const std::string digits = std::to_string(size);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

std::string DisplayNameFromPath(std::string_view path) {
    const std::size_t slash = base::FindLastChar(path, '\\');
    const std::size_t start = slash == npos ? 0 : slash + 1;
    const std::size_t bracket = base::FindLastChar(path, '[');
    const std::size_t dot = base::FindLastChar(path, '.');
    std::string_view name;
    if (bracket != npos && bracket > start) {
        name = path.substr(start, bracket - start);
    } else if (dot != npos && dot > start) {
        name = path.substr(start, dot - start);
    }
    return name.empty() ? std::string("flash") : std::string(name);
}

std::string SiteFromUrl(std::string_view url) {
    const std::size_t colon = base::FindChar(url, ':');
    if (colon == npos || colon == 0) return {};
    for (std::size_t i = 0; i < colon; ++i) {
        if (!IsSchemeChar(url[i])) return {};
    }
    if (url.compare(colon, 3, "://") != 0) return {};

    // The authority runs to the first "/", "?" or "#" after the scheme.
    const std::size_t authStart = colon + 3;
    std::size_t authEnd = url.size();
    for (char stop : {'/', '?', '#'}) {
        const std::size_t p = base::FindChar(url, stop, authStart);
        if (p != npos && p < authEnd) authEnd = p;
    }
    std::string_view authority = url.substr(authStart, authEnd - authStart);

    const std::size_t at = base::FindLastChar(authority, '@');
    if (at != npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t sep = base::FindChar(userInfo, ':');
        const std::size_t userLen = sep == npos ? userInfo.size() : sep;
        const std::size_t passLen = sep == npos ? 0 : userInfo.size() - sep - 1;
        if (userLen > kMaxUserOrPassword || passLen > kMaxUserOrPassword) return {};
        authority = authority.substr(at + 1);
    }

    std::string_view host;
    if (!authority.empty() && authority[0] == '[') {
        // A literal IPv6 address keeps its colons.
        const std::size_t close = base::FindChar(authority, ']');
        if (close == npos) return {};
        host = authority.substr(0, close + 1);
    } else {
        host = authority.substr(0, std::min(base::FindChar(authority, ':'), authority.size()));
    }
    if (host.empty() || host.size() > kMaxHost) return {};

    if (host.size() >= 5 && base::EqualsNoCase(host.substr(0, 4), "www.")) host.remove_prefix(4);
    return base::ToLowerAnsi(host);
}

std::string CacheTimeText(std::uint64_t ticks) {
    if (ticks == 0 || ticks >= (std::uint64_t{1} << 63)) return {};
    static const char* const kDays[7] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    constexpr std::int64_t kEpochDelta = 11644473600LL;  // seconds from 1601 to 1970
    const std::int64_t seconds = static_cast<std::int64_t>(ticks / 10000000) - kEpochDelta;
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    std::int64_t year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    const int weekday = static_cast<int>(((days % 7) + 7) % 7);  // 1970-01-01 was a Thursday
    char text[64];
    std::snprintf(text, sizeof(text), "%s, %02u %s %lld %02d:%02d:%02d GMT", kDays[weekday], day,
                  kMonths[month - 1], static_cast<long long>(year), static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

std::optional<base::Time64> CreationTimeFromUtcFields(const base::CivilTime& utc) {
    if (utc.year < 1900) return base::Time64{0};
    return base::ComposeLocal(utc);
}

bool HasSwfFileName(std::string_view name) {
    return name.size() >= 5 && base::ToLowerAnsi(name.substr(name.size() - 4)) == ".swf";
}

bool IsSwfSignature(const char (&b)[3]) {
    const std::string_view text(b, 3);
    if (text.find('\0') != npos) return false;
    return base::EqualsNoCase(text, "FWS") || base::EqualsNoCase(text, "CWS");
}

int ReplaceNoCase(std::string& target, std::string_view search, std::string_view replacement) {
    if (search.empty()) return 0;
    const std::string foldedSearch = base::ToLowerAnsi(search);
    const std::string foldedReplacement = base::ToLowerAnsi(replacement);
    const bool restartAtBeginning = base::FindText(foldedReplacement, foldedSearch) == npos;

    std::string folded = base::ToLowerAnsi(target);
    int count = 0;
    std::size_t pos = base::FindText(folded, foldedSearch);
    while (pos != npos && count < kMaxReplacements) {
        target.replace(pos, search.size(), replacement);
        folded.replace(pos, search.size(), foldedReplacement);
        ++count;
        pos = base::FindText(folded, foldedSearch,
                             restartAtBeginning ? 0 : pos + foldedReplacement.size());
    }
    return count;
}

}  // namespace viewer
