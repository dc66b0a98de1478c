#include "viewer/presentation/site_filter.h"

#include <unordered_set>

#include "base/ansi_text.h"

namespace viewer {

bool PassesSiteFilter(const MovieRecord& r, const std::optional<std::string>& selection,
                      const std::string& allSites, const std::string& standalone) {
    if (!selection || selection->empty() || *selection == allSites) return true;
    if (*selection == standalone) return r.standalone;
    return r.site == *selection;
}

std::vector<std::string> SiteEntries(const MovieCatalogue& catalogue) {
    // Folding only touches single-byte ASCII letters and leaves every double-byte character
    // as it is, so two sites fold to the same text exactly when they are equal ignoring case.
    // A set of folded texts keeps a scan of thousands of records linear.
    std::vector<std::string> entries;
    std::unordered_set<std::string> seen;
    for (const MovieRecord& r : catalogue) {
        if (r.site.empty()) continue;
        if (seen.insert(base::ToLowerAnsi(r.site)).second) entries.push_back(r.site);
    }
    return entries;
}

std::string InitialSiteFilter(std::uint32_t saveSiteFilter, const std::string& storedSite,
                              const std::string& commandLineSite, const std::string& allSites) {
    if (!commandLineSite.empty()) return commandLineSite == "all" ? allSites : commandLineSite;
    if (saveSiteFilter != 0 && !storedSite.empty()) return storedSite;
    return allSites;
}

}  // namespace viewer
