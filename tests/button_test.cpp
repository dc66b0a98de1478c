// Buttons: state records read with their placements, colour transforms, filter lists (read
// past) and blend modes, kept in depth order; cut bodies keep the whole records before the cut.
#include <gtest/gtest.h>

#include "flash/render/button.h"

namespace {

using namespace flash;
using namespace flash::render;
using Bytes = std::vector<std::uint8_t>;

// DefineButton2 id 4: a record at depth 3 (up and hit, character 7, a colour transform that
// halves red, a blur filter, blend mode Multiply), then one at depth 1 (over, character 8).
Bytes Button2() {
    return {4,    0,    0,    0,    0,           // id, flags, no actions
            0x39, 7,    0,    3,    0,    0x00,  // filters and blend, up and hit
            0x68, 0x80, 0x40, 0x10, 0x04, 0x00,  // multiply terms 128, 256, 256, 256
            1,    1,    0,    0,    0,    0,    0,    0, 0, 0, 0x41,  // one blur
            3,                                                        // Multiply
            0x02, 8,    0,    1,    0,    0x00, 0x00,  // over, character 8, no colour terms
            0};
}

TEST(Buttons, RecordsAreReadInDepthOrder) {
    const std::optional<Button> b = ParseButton(kDefineButton2, Button2());
    ASSERT_TRUE(b);
    EXPECT_EQ(b->id, 4);
    ASSERT_EQ(b->records.size(), 2u);
    const ButtonRecord& first = b->records[0];
    EXPECT_EQ(first.depth, 1);
    EXPECT_EQ(first.characterId, 8);
    EXPECT_EQ(first.states, kButtonOver);
    EXPECT_TRUE(first.colorTransform.IsIdentity());
    const ButtonRecord& second = b->records[1];
    EXPECT_EQ(second.depth, 3);
    EXPECT_EQ(second.states, kButtonUp | kButtonHitTest);
    EXPECT_EQ(second.colorTransform.rMul, 128);
    EXPECT_EQ(second.colorTransform.gMul, 256);
    EXPECT_EQ(second.blendMode, BlendMode::Multiply);
    EXPECT_FALSE(ParseButton(kDefineButton2, Bytes{4}));
    EXPECT_FALSE(ParseButton(2, Button2()));
}

TEST(Buttons, CutBodiesKeepWholeRecords) {
    const Bytes body = Button2();
    for (std::size_t n = 2; n < body.size(); ++n) {
        const std::optional<Button> b = ParseButton(kDefineButton2, std::span(body.data(), n));
        ASSERT_TRUE(b);
        EXPECT_LE(b->records.size(), 2u);
        for (const ButtonRecord& r : b->records)
            EXPECT_TRUE(r.characterId == 7 || r.characterId == 8);
    }
}

}  // namespace
