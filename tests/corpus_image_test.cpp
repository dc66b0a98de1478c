// Draws the outside corpus's picture tests through swfrender's own session and compares each
// with the picture Flash Player showed, within the test's tolerances. The cases listed in
// corpus/image_passes.txt must pass; the others are skipped with the reason they differ, and
// one that passes while not listed is named so that the list can grow.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/corpus_harness.h"
#include "tools/movie_session.h"

namespace {

namespace fs = std::filesystem;
using corpus::CaseSpec;

fs::path ImagesDir() {
    return corpus::Root() / "images";
}

const std::set<std::string>& Listed() {
    static const std::set<std::string> listed = corpus::ReadPassList(MORAVEL_IMAGE_PASSES);
    return listed;
}

int passes = 0;

flash::render::Quality QualityOf(const std::string& text) {
    return flash::render::ParseQuality(text).value_or(flash::render::Quality::High);
}

// Empty when every comparison of the case matches; else why the first one does not.
std::string RunCase(const std::string& name) {
    const fs::path dir = ImagesDir() / name;
    const CaseSpec spec = corpus::ReadSpec(corpus::ReadText(dir / "test.toml"));
    std::string error;
    std::unique_ptr<swfrender::MovieSession> session =
        swfrender::MovieSession::Open((dir / "test.swf").string(), nullptr, error);
    if (!session) return error;
    if (spec.comparisons.empty()) return "no picture to compare";
    int last = spec.frames;
    for (const corpus::Comparison& c : spec.comparisons) last = std::max(last, c.trigger);
    const char* out = std::getenv("MORAVEL_CORPUS_OUT");
    for (int frame = 1; frame <= last; ++frame) {
        session->StepFrame();
        for (const corpus::Comparison& c : spec.comparisons) {
            if ((c.trigger == 0 ? spec.frames : c.trigger) != frame) continue;
            pngio::Image expected;
            if (!pngio::ReadPng((dir / (c.name + ".expected.png")).string(), expected))
                return c.name + ": no expected picture";
            session->Draw(spec.viewportWidth, spec.viewportHeight, QualityOf(spec.quality));
            const pngio::Image actual = session->Picture();
            if (out != nullptr) {
                // For a person to look at: the pictures as drawn, named after the case.
                std::string file = corpus::ParamName(name) + "." + c.name + ".png";
                pngio::WritePng((fs::path(out) / file).string(), actual);
            }
            std::string why;
            if (!corpus::Matches(expected, actual, c.checks, why)) return c.name + ": " + why;
        }
    }
    return {};
}

class CorpusImage : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusImage, MatchesFlashPlayer) {
    const std::string why = RunCase(GetParam());
    const bool listed = Listed().count(GetParam()) != 0;
    if (why.empty()) {
        ++passes;
        if (!listed) std::printf("passes, not yet listed: %s\n", GetParam().c_str());
        return;
    }
    // A listed case must keep passing; the others say why they differ.
    if (listed) FAIL() << why;
    GTEST_SKIP() << why;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusImage, ::testing::ValuesIn(corpus::CaseNames(ImagesDir())),
                         [](const auto& info) { return corpus::ParamName(info.param); });

TEST(CorpusImageList, NamesOnlyCasesOfTheCorpus) {
    // A listed case that vanished from the corpus would otherwise stop counting quietly.
    const std::vector<std::string> names = corpus::CaseNames(ImagesDir());
    EXPECT_EQ(names.size(), 163u) << "looked in " << ImagesDir();
    for (const std::string& listed : Listed())
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), listed)) << listed;
}

class PassCount : public ::testing::Environment {
public:
    void TearDown() override {
        std::printf("corpus pictures: %d of %zu pass (%zu listed)\n", passes,
                    corpus::CaseNames(ImagesDir()).size(), Listed().size());
    }
};
const auto* const kPassCount = ::testing::AddGlobalTestEnvironment(new PassCount);

}  // namespace
