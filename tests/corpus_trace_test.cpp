// Replays the outside corpus's timeline tests (movies with Flash Player's own trace output)
// and compares our trace text with the player's. Movies that rely on what this engine does
// not run yet (sprites, init actions, SetTarget, other actions) are reported as skipped,
// with the reason, rather than failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "flash/swf_parser.h"
#include "flash/timeline.h"

namespace {

namespace fs = std::filesystem;

fs::path TracesDir() {
    return fs::path(MORAVEL_CORPUS_DIR) / "traces";
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(TracesDir(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().filename() == "test.swf") {
            names.push_back(fs::relative(it->path().parent_path(), TracesDir()).generic_string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// num_frames or num_ticks from test.toml: each is one frame of the movie.
int FramesToRun(const std::string& toml) {
    std::istringstream lines(toml);
    std::string line;
    while (std::getline(lines, line)) {
        for (const char* key : {"num_frames", "num_ticks"}) {
            if (line.rfind(key, 0) == 0) {
                const std::size_t eq = line.find('=');
                if (eq != std::string::npos) return std::stoi(line.substr(eq + 1));
            }
        }
    }
    return 1;
}

// Why this engine cannot play the movie yet; empty when it can.
std::string MissingFeatures(const flash::Movie& movie) {
    std::string why;
    auto add = [&why](const std::string& what) { why += (why.empty() ? "" : ", ") + what; };
    if (movie.otherTags.test(39)) add("sprites (DefineSprite)");
    if (movie.otherTags.test(59)) add("init actions (DoInitAction)");
    if (movie.otherActions.test(0x8B) || movie.otherActions.test(0x20)) add("SetTarget");
    std::string codes;
    for (unsigned c = 0; c < 256; ++c) {
        if (movie.otherActions.test(c) && c != 0x8B && c != 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, " 0x%02X", c);
            codes += buf;
        }
    }
    if (!codes.empty()) add("actions" + codes);
    return why;
}

// Flash Player's log writes each trace as a line, a carriage return inside the text
// starting a new line.
class TraceLog : public flash::TraceSink {
public:
    void Trace(std::string_view text) override {
        for (char c : text) text_ += c == '\r' ? '\n' : c;
        text_ += '\n';
    }
    std::string text_;
};

class CorpusTrace : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTrace, MatchesFlashPlayer) {
    const fs::path dir = TracesDir() / GetParam();
    flash::LoadResult r = flash::LoadMovieFile((dir / "test.swf").string());
    ASSERT_TRUE(r.Ok()) << flash::LoadErrorName(r.error);
    const std::string missing = MissingFeatures(r.movie);
    if (!missing.empty()) GTEST_SKIP() << "needs " << missing;

    TraceLog log;
    flash::Timeline timeline(std::move(r.movie), &log);
    const int frames = FramesToRun(ReadText(dir / "test.toml"));
    for (int i = 0; i < frames; ++i) timeline.StepFrame();
    std::string expected = ReadText(dir / "output.txt");
    expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
    EXPECT_EQ(log.text_, expected);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTrace, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string n = info.param;
                             for (char& c : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return n;
                         });

TEST(CorpusTrace, CorpusIsPresent) {
    // Without this, a moved corpus would quietly turn the replay into zero tests.
    EXPECT_EQ(CaseNames().size(), 29u) << "looked in " << TracesDir();
}

}  // namespace
