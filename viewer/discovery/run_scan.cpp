#include "viewer/discovery/run_scan.h"

namespace viewer {
namespace {

class WaitCursor {
public:
    explicit WaitCursor(ScanWindow& window) : window_(window) { window_.BeginWaitCursor(); }
    ~WaitCursor() { window_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    ScanWindow& window_;
};

}  // namespace

SourceKind SourceFromSelection(std::optional<int> selected) {
    if (selected == kFirefoxCacheSource) return kFirefoxCacheSource;
    if (selected == kCustomFolderSource) return kCustomFolderSource;
    return kIeCacheSource;
}

std::optional<SourceKind> RunScan(ScanWindow& window, MovieSources& sources,
                                  MovieCatalogue& catalogue) {
    if (window.IsClosing()) return std::nullopt;
    WaitCursor wait(window);

    const SourceKind source = SourceFromSelection(window.SelectedSource());
    std::int32_t counter = 0;  // ids start afresh with every scan
    switch (source) {
        case kFirefoxCacheSource:
            catalogue.Clear();
            sources.ScanFirefoxCache(catalogue, counter);
            break;
        case kCustomFolderSource:
            catalogue.Clear();
            sources.ScanCustomFolder(catalogue, counter);
            break;
        default:
            sources.ScanIeCacheIndex(catalogue, counter);
            window.FillSiteCombo();
            break;
    }
    window.FillMovieList(source);
    window.SaveSource(source);
    window.UpdateControls();
    return source;
}

}  // namespace viewer
