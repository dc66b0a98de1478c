// The scan driver against a window and sources that record what they are asked to do.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/discovery/run_scan.h"

namespace {

using viewer::MovieCatalogue;
using viewer::MovieRecord;
using viewer::SourceKind;

struct Journal {
    std::vector<std::string> calls;
};

class RecordingSources : public viewer::MovieSources {
public:
    explicit RecordingSources(Journal& journal) : journal_(journal) {}

    void ScanFirefoxCache(MovieCatalogue& c, std::int32_t& counter) override {
        Add("firefox", c, counter);
    }
    void ScanCustomFolder(MovieCatalogue& c, std::int32_t& counter) override {
        Add("folder", c, counter);
    }
    void ScanIeCacheIndex(MovieCatalogue& c, std::int32_t& counter) override {
        c.Clear();
        Add("ie", c, counter);
    }

    std::size_t sizeOnEntry = 0;
    int moviesPerScan = 2;
    bool fail = false;

private:
    void Add(const std::string& what, MovieCatalogue& c, std::int32_t& counter) {
        journal_.calls.push_back(what + "@" + std::to_string(counter));
        sizeOnEntry = c.Count();
        if (fail) throw std::runtime_error("disk gone");
        for (int i = 0; i < moviesPerScan; ++i) {
            MovieRecord r;
            r.id = ++counter;
            r.localPath = "C:\\" + what + std::to_string(r.id) + ".swf";
            c.Append(r);
        }
    }
    Journal& journal_;
};

class RecordingWindow : public viewer::ScanWindow {
public:
    explicit RecordingWindow(Journal& journal) : journal_(journal) {}

    bool IsClosing() const override { return closing; }
    std::optional<int> SelectedSource() const override { return selected; }
    void BeginWaitCursor() override { journal_.calls.push_back("wait"); }
    void EndWaitCursor() override { journal_.calls.push_back("arrow"); }
    void FillSiteCombo() override { journal_.calls.push_back("sites"); }
    void FillMovieList(int source) override {
        journal_.calls.push_back("list " + std::to_string(source));
    }
    void SaveSource(int source) override {
        journal_.calls.push_back("save " + std::to_string(source));
    }
    void UpdateControls() override { journal_.calls.push_back("update"); }

    bool closing = false;
    std::optional<int> selected;

private:
    Journal& journal_;
};

struct SourceCase {
    std::optional<int> selected;
    std::vector<std::string> calls;
};

class RunScanSource : public testing::TestWithParam<SourceCase> {};

TEST_P(RunScanSource, ScansTheChosenSourceInsideTheWaitCursor) {
    Journal journal;
    RecordingSources sources(journal);
    RecordingWindow window(journal);
    window.selected = GetParam().selected;
    MovieCatalogue catalogue;
    MovieRecord stale;
    stale.id = 42;
    stale.localPath = "C:\\stale.swf";
    catalogue.Append(stale);

    const auto scanned = viewer::RunScan(window, sources, catalogue);

    EXPECT_EQ(journal.calls, GetParam().calls);
    ASSERT_TRUE(scanned.has_value());
    // Every source starts from an empty catalogue, and the stale record is gone.
    EXPECT_EQ(sources.sizeOnEntry, 0u);
    EXPECT_FALSE(catalogue.ContainsPath("C:\\stale.swf"));
    EXPECT_EQ(catalogue.Count(), 2u);
}

const std::vector<std::string> kIeCalls = {"wait",     "ie@0",   "sites", "list 135",
                                           "save 135", "update", "arrow"};

INSTANTIATE_TEST_SUITE_P(
    Selections, RunScanSource,
    testing::Values(
        SourceCase{134, {"wait", "firefox@0", "list 134", "save 134", "update", "arrow"}},
        SourceCase{136, {"wait", "folder@0", "list 136", "save 136", "update", "arrow"}},
        SourceCase{135, kIeCalls},
        // No selection, and any code that is not a source, read as the Internet Explorer cache.
        SourceCase{std::nullopt, kIeCalls}, SourceCase{0, kIeCalls}, SourceCase{137, kIeCalls}));

TEST(RunScan, DoesNothingWhileTheWindowCloses) {
    Journal journal;
    RecordingSources sources(journal);
    RecordingWindow window(journal);
    window.closing = true;
    window.selected = 134;
    MovieCatalogue catalogue;
    MovieRecord kept;
    kept.id = 1;
    catalogue.Append(kept);

    EXPECT_FALSE(viewer::RunScan(window, sources, catalogue).has_value());
    EXPECT_TRUE(journal.calls.empty());
    EXPECT_EQ(catalogue.Count(), 1u);
}

TEST(RunScan, IdsStartAfreshWithEveryScan) {
    Journal journal;
    RecordingSources sources(journal);
    RecordingWindow window(journal);
    window.selected = 136;
    MovieCatalogue catalogue;
    viewer::RunScan(window, sources, catalogue);
    viewer::RunScan(window, sources, catalogue);
    std::vector<std::int32_t> ids;
    for (const MovieRecord& r : catalogue) ids.push_back(r.id);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2}));
}

TEST(RunScan, RestoresTheCursorWhenASourceFails) {
    Journal journal;
    RecordingSources sources(journal);
    sources.fail = true;
    RecordingWindow window(journal);
    window.selected = 134;
    MovieCatalogue catalogue;
    EXPECT_THROW(viewer::RunScan(window, sources, catalogue), std::runtime_error);
    ASSERT_FALSE(journal.calls.empty());
    EXPECT_EQ(journal.calls.back(), "arrow");
    // Nothing after the failed source ran: no list refill, no "source" written.
    EXPECT_EQ(journal.calls, (std::vector<std::string>{"wait", "firefox@0", "arrow"}));
}

TEST(RunScan, EmptySourceLeavesAnEmptyCatalogue) {
    Journal journal;
    RecordingSources sources(journal);
    sources.moviesPerScan = 0;
    RecordingWindow window(journal);
    window.selected = 134;
    MovieCatalogue catalogue;
    MovieRecord old;
    old.id = 9;
    catalogue.Append(old);
    EXPECT_EQ(viewer::RunScan(window, sources, catalogue), SourceKind::kFirefoxCacheSource);
    EXPECT_TRUE(catalogue.Empty());
}

}  // namespace
