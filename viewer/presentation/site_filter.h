// The site filter of the Internet Explorer source: which records the site combo's selection
// lets through, the combo's site entries, and the site chosen when the window opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "viewer/discovery/movie_catalogue.h"
#include "viewer/discovery/movie_record.h"

namespace viewer {

// The site test the movie list applies to records of the Internet Explorer source.
// selection: the combo's selected text, empty optional when nothing is selected. allSites /
// standalone: the texts of strings 132 and 133 as the window loaded them. The fixed texts
// are compared exactly, and a site must equal the selection byte for byte.
bool PassesSiteFilter(const MovieRecord& r, const std::optional<std::string>& selection,
                      const std::string& allSites, const std::string& standalone);

// The distinct non-empty sites of the catalogue in catalogue order, a site dropped when an
// equal one (letter case ignored, double-byte characters compared whole) came before: the
// entries the combo gets after its two fixed ones.
std::vector<std::string> SiteEntries(const MovieCatalogue& catalogue);

// siteFilter when the window opens: a command-line site wins ("all" meaning allSites), then a
// remembered non-empty site when saveSiteFilter is non-zero, else allSites.
std::string InitialSiteFilter(std::uint32_t saveSiteFilter, const std::string& storedSite,
                              const std::string& commandLineSite, const std::string& allSites);

}  // namespace viewer
