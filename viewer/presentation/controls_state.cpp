#include "viewer/presentation/controls_state.h"

#include "viewer/discovery/movie_record.h"
#include "viewer/presentation/date_filter.h"
#include "viewer/resource.h"

namespace viewer {

ControlsState ComputeControlsState(int rowCount, int selectedCount, std::optional<int> source,
                                   std::optional<int> dateKind) {
    ControlsState s{};
    const bool anySelected = selectedCount >= 1;
    s.deleteEnabled = anySelected;
    s.saveAsEnabled = anySelected;
    s.saveEnabled = anySelected;
    s.saveAllEnabled = rowCount >= 1;
    // The viewer opens one movie at a time.
    s.viewEnabled = selectedCount == 1;

    // Only the cache index gives a URL, a site and a last-modified time; the disk-based
    // sources show the file, its size and its creation time instead.
    const int src = source.value_or(kIeCacheSource);
    const bool ie = src == kIeCacheSource;
    s.siteComboEnabled = ie;
    s.createdVisible = ie;
    if (ie) {
        s.labelIds[0] = IDS_LABEL_URL;
        s.labelIds[1] = IDS_LABEL_MODIFIED;
        s.labelIds[2] = IDS_LABEL_SIZE;
    } else {
        s.labelIds[0] = IDS_LABEL_FILE;
        s.labelIds[1] = IDS_LABEL_SIZE;
        s.labelIds[2] = IDS_LABEL_CREATED;
    }

    // Only the exact date and the range have a day or span to choose.
    s.dateChooseEnabled = dateKind == kExactDate || dateKind == kTimeRange;
    s.folderEnabled = src == kCustomFolderSource;
    return s;
}

}  // namespace viewer
