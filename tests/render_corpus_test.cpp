// Flash Player's own pictures of the simple corpus movies whose first frame is shapes placed
// on the root timeline, drawn through the test-side scene and compared within each test's
// tolerance. The list holds the movies that pass; it only grows.
#include <gtest/gtest.h>

#include <string>

#include "tests/render_scene.h"

namespace {

const char* const kPassing[] = {
    "visual/simple_shapes/winding_rule",
    "visual/simple_shapes/overlaps",
    "visual/simple_shapes/gradients/gradients",
    "visual/simple_shapes/gradients/radial",
    "visual/simple_shapes/gradients/reflect",
    "visual/simple_shapes/gradients/repeat",
    "visual/simple_shapes/gradients/focal_radial",
    "visual/gradient_issue_9892",
    "visual/gradient_nonsequential_ratios",
    "visual/gradient_same_ratios",
    "from_shumway/acid/acid-clip-2",
    "from_shumway/acid/acid-gradient",
    "from_shumway/gradient",
};

class CorpusPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusPicture, MatchesFlashPlayerWithinTheTolerance) {
    const std::string dir = std::string(MORAVEL_CORPUS_DIR) + "/images/" + GetParam();
    std::string why;
    const std::optional<rendertest::RootScene> scene =
        rendertest::RootScene::Load(dir + "/test.swf", why);
    ASSERT_TRUE(scene) << why;
    const rendertest::CorpusCase c = rendertest::ReadCorpusToml(dir + "/test.toml");
    ASSERT_EQ(c.frames, 1);
    flash::render::PixelBuffer expected, actual;
    ASSERT_TRUE(rendertest::LoadPng(dir + "/output.expected.png", expected));
    flash::render::Renderer renderer;
    renderer.SetQuality(c.quality);
    scene->Draw(renderer, actual);
    const rendertest::Difference d = rendertest::Compare(actual, expected, c.tolerance);
    EXPECT_FALSE(d.sizeMismatch);
    EXPECT_LE(d.outliers, c.maxOutliers) << "largest difference " << d.largest;
    if (HasFailure())
        rendertest::SavePng(::testing::TempDir() + "/render_" +
                                std::to_string(std::hash<std::string>{}(dir)) + ".png",
                            actual);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusPicture, ::testing::ValuesIn(kPassing));

}  // namespace
