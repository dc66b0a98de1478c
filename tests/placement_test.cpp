// Reading PlaceObject 1-3: every field, every filter kind, clip actions by version, and
// bodies cut anywhere.
#include <gtest/gtest.h>

#include <vector>

#include "flash/placement.h"
#include "tests/flash_fixture.h"

namespace {

using flash::Placement;
using swfwriter::FilterSpec;
using swfwriter::MovieBuilder;
using Bytes = std::vector<std::uint8_t>;

// The first control tag of the movie's first frame, read.
struct Parsed {
    flash::Movie movie;
    bool ok = false;
    Placement p;
};

Parsed ParseFirst(const MovieBuilder& m, std::uint8_t version = 10) {
    Parsed r;
    MovieBuilder frame = m;
    r.movie = flashtest::Load(frame.ShowFrame());
    const flash::ControlTag& tag = r.movie.frames.at(0).tags.at(0);
    r.ok = flash::ParsePlaceObject(tag.code, r.movie.bytes, tag.body, version, r.p);
    return r;
}

swfwriter::Place EveryField() {
    swfwriter::Place p;
    p.depth = 7;
    p.move = true;
    p.characterId = 3;
    p.matrix = swfwriter::Matrix{2, 0.5, -0.25, 1.5, -40, 300};
    swfwriter::ColorTransform cx;
    cx.hasMul = cx.hasAdd = true;
    const std::int16_t mul[4] = {128, 256, 512, -64};
    const std::int16_t add[4] = {-10, 20, 255, -255};
    std::copy(mul, mul + 4, cx.mul);
    std::copy(add, add + 4, cx.add);
    p.colorTransform = cx;
    p.ratio = 900;
    p.name = "clip";
    p.clipDepth = 12;
    p.className = "Cls";
    p.filters = swfwriter::FilterListBytes({FilterSpec{.kind = 1, .blurX = 4, .blurY = 2.5}});
    p.blendMode = 3;
    p.cacheAsBitmap = 1;
    p.visible = 0;
    p.background = swfwriter::Rgba{1, 2, 3, 4};
    p.clipActions = swfwriter::ClipActionBytes(10, {{0x0002, 0, swfwriter::Actions().Stop()}});
    return p;
}

TEST(Placement, PlaceObject2And3ReadEveryField) {
    for (const bool third : {false, true}) {
        MovieBuilder m;
        third ? m.PlaceObject3(EveryField()) : m.PlaceObject2(EveryField());
        const Parsed r = ParseFirst(m);
        ASSERT_TRUE(r.ok);
        const Placement& p = r.p;
        EXPECT_FALSE(p.cut);
        EXPECT_EQ(p.used, r.movie.frames[0].tags[0].body.length);
        EXPECT_EQ(p.depth, 7);
        EXPECT_TRUE(p.move);
        EXPECT_EQ(p.characterId, 3);
        EXPECT_EQ(p.matrix, (flash::Matrix{2, 0.5, -0.25, 1.5, -40, 300}));
        EXPECT_EQ(p.colorTransform,
                  (flash::ColorTransform{128, 256, 512, -64, -10, 20, 255, -255}));
        EXPECT_EQ(p.ratio, 900);
        ASSERT_TRUE(p.name.has_value());
        EXPECT_EQ(r.movie.Text(*p.name), "clip");
        EXPECT_EQ(p.clipDepth, 12);
        ASSERT_TRUE(p.clipActions.has_value());
        EXPECT_EQ(p.clipEventFlags, 0x0002u);
        // PlaceObject2 has no flags for the rest.
        EXPECT_EQ(p.className.has_value(), third);
        EXPECT_EQ(p.blendMode, third ? std::optional(flash::BlendMode::Multiply) : std::nullopt);
        EXPECT_EQ(p.cacheAsBitmap, third ? std::optional(true) : std::nullopt);
        EXPECT_EQ(p.visible, third ? std::optional(false) : std::nullopt);
        EXPECT_EQ(p.opaqueBackground,
                  third ? std::optional(flash::Rgba{1, 2, 3, 4}) : std::nullopt);
        ASSERT_EQ(p.filters.has_value(), third);
        if (third) {
            EXPECT_EQ(r.movie.Text(*p.className), "Cls");
            EXPECT_EQ(p.filters->count, 1);
        }
    }
}

TEST(Placement, PlaceObjectTakesAColourTransformWithoutAlphaWhenThereIsRoom) {
    swfwriter::ColorTransform cx;
    cx.hasAdd = true;
    cx.add[0] = 255;
    cx.add[3] = 99;  // not written: no alpha in PlaceObject's CXFORM
    for (const bool withCx : {false, true}) {
        MovieBuilder m;
        m.PlaceObject1(4, 2, swfwriter::Matrix{1, 0, 0, 1, 20, 40},
                       withCx ? std::optional(cx) : std::nullopt);
        const Parsed r = ParseFirst(m);
        ASSERT_TRUE(r.ok);
        EXPECT_FALSE(r.p.move);
        EXPECT_EQ(r.p.characterId, 4);
        EXPECT_EQ(r.p.depth, 2);
        EXPECT_EQ(r.p.matrix, flash::Matrix::Translate(20, 40));
        EXPECT_EQ(r.p.colorTransform.has_value(), withCx);
        if (withCx) {
            EXPECT_EQ(r.p.colorTransform, (flash::ColorTransform{.rAdd = 255}));
        }
    }
}

TEST(Placement, ABodyCutAnywhereKeepsTheFieldsBeforeTheCut) {
    MovieBuilder whole;
    whole.PlaceObject3(EveryField());
    const Parsed full = ParseFirst(whole);
    const Bytes body(full.movie.bytes.begin() + full.movie.frames[0].tags[0].body.offset,
                     full.movie.bytes.begin() + full.movie.frames[0].tags[0].body.offset +
                         full.movie.frames[0].tags[0].body.length);
    // The fields in the order the tag stores them: each cut keeps a prefix of them.
    auto present = [](const Placement& p) {
        const bool fields[] = {
            p.className.has_value(),      p.characterId.has_value(), p.matrix.has_value(),
            p.colorTransform.has_value(), p.ratio.has_value(),       p.name.has_value(),
            p.clipDepth.has_value(),      p.filters.has_value(),     p.blendMode.has_value(),
            p.cacheAsBitmap.has_value(),  p.visible.has_value(),     p.opaqueBackground.has_value(),
            p.clipActions.has_value()};
        int n = 0;
        while (n < static_cast<int>(std::size(fields)) && fields[n]) ++n;
        for (int i = n; i < static_cast<int>(std::size(fields)); ++i) EXPECT_FALSE(fields[i]);
        return n;
    };
    int last = 0;
    for (std::size_t size = 0; size < body.size(); ++size) {
        MovieBuilder m;
        m.Tag(70, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(size)));
        const Parsed r = ParseFirst(m);
        ASSERT_EQ(r.ok, size >= 4) << size;  // flags, flags, depth
        if (!r.ok) continue;
        // A cut inside the clip actions shows when their handlers are read.
        EXPECT_TRUE(r.p.cut || r.p.clipActions) << size;
        const int n = present(r.p);
        EXPECT_GE(n, last) << size;
        last = n;
    }
    EXPECT_EQ(present(full.p), 13);
}

TEST(Placement, FiltersOfEveryKindRoundTrip) {
    const swfwriter::Rgba red{255, 0, 0, 128};
    const swfwriter::Rgba blue{0, 0, 255, 255};
    std::vector<float> colorMatrix(20);
    for (int i = 0; i < 20; ++i) colorMatrix[i] = i * 0.5f - 3;
    const std::vector<FilterSpec> specs = {
        {.kind = 0,
         .color = red,
         .blurX = 4,
         .blurY = 5,
         .angle = 0.785,
         .distance = 6,
         .strength = 1.5,
         .passes = 3,
         .inner = true,
         .knockout = true},
        {.kind = 1, .blurX = 10.25, .blurY = 0.5, .passes = 31},
        {.kind = 2,
         .color = blue,
         .blurX = 2,
         .blurY = 3,
         .strength = 2,
         .passes = 2,
         .compositeSource = false},
        {.kind = 3,
         .color = red,
         .highlight = blue,
         .blurX = 1,
         .blurY = 1,
         .angle = -1,
         .distance = -2,
         .strength = 0.5,
         .passes = 15,
         .onTop = true},
        {.kind = 4, .blurX = 1, .passes = 1, .stops = {{red, 0}, {blue, 255}}},
        {.kind = 5,
         .matrixX = 3,
         .matrixY = 2,
         .divisor = 2,
         .bias = 0.5,
         .matrix = {1, 2, 3, 4, 5, 6},
         .defaultColor = blue,
         .clamp = true},
        {.kind = 6, .matrix = colorMatrix},
        {.kind = 7, .strength = 3, .passes = 4, .inner = true, .stops = {{blue, 7}}},
    };
    swfwriter::Place place = flashtest::At(1, 1);
    place.filters = swfwriter::FilterListBytes(specs);
    MovieBuilder m;
    m.PlaceObject3(place);
    const Parsed r = ParseFirst(m);
    ASSERT_TRUE(r.ok && r.p.filters);
    flash::FilterReader reader(r.movie.bytes, *r.p.filters);
    flash::Filter f;
    auto rgba = [](swfwriter::Rgba c) { return flash::Rgba{c.r, c.g, c.b, c.a}; };
    for (const FilterSpec& s : specs) {
        SCOPED_TRACE(int(s.kind));
        ASSERT_TRUE(reader.Next(f));
        EXPECT_EQ(static_cast<int>(f.kind), s.kind);
        EXPECT_NEAR(f.blurX, s.blurX, 1e-4);
        EXPECT_NEAR(f.blurY, s.blurY, 1e-4);
        EXPECT_NEAR(f.strength, s.strength, 1e-2);
        if (s.kind == 0 || s.kind == 3 || s.kind == 4 || s.kind == 7) {
            EXPECT_NEAR(f.angle, s.angle, 1e-4);
            EXPECT_NEAR(f.distance, s.distance, 1e-4);
        }
        if (s.kind <= 4 || s.kind == 7) {
            EXPECT_EQ(f.passes, s.passes);
            EXPECT_EQ(f.inner, s.inner);
            EXPECT_EQ(f.knockout, s.knockout);
        }
        if (s.kind == 0 || s.kind == 2 || s.kind == 3) {
            EXPECT_EQ(f.color, rgba(s.color));
        }
        if (s.kind == 3) {
            EXPECT_EQ(f.highlight, rgba(s.highlight));
        }
        if (s.kind == 3 || s.kind == 4 || s.kind == 7) {
            EXPECT_EQ(f.onTop, s.onTop);
        }
        ASSERT_EQ(f.stopCount, s.stops.size());
        for (std::size_t i = 0; i < s.stops.size(); ++i) {
            EXPECT_EQ(f.stopColors[i], rgba(s.stops[i].first));
            EXPECT_EQ(f.stopRatios[i], s.stops[i].second);
        }
        for (std::size_t i = 0; i < s.matrix.size(); ++i) EXPECT_EQ(f.matrix[i], s.matrix[i]);
        if (s.kind == 5) {
            EXPECT_EQ(f.matrixX, 3);
            EXPECT_EQ(f.matrixY, 2);
            EXPECT_EQ(f.divisor, 2);
            EXPECT_EQ(f.bias, 0.5);
            EXPECT_EQ(f.defaultColor, rgba(blue));
            EXPECT_TRUE(f.clamp);
            EXPECT_FALSE(f.preserveAlpha);
        }
    }
    EXPECT_FALSE(reader.Next(f));
}

TEST(Placement, OversizedFiltersAreReadPastAndUnknownOnesEndTheList) {
    std::vector<std::pair<swfwriter::Rgba, std::uint8_t>> stops(20, {{1, 2, 3, 4}, 9});
    const FilterSpec big{.kind = 5, .matrixX = 16, .matrixY = 1, .matrix = std::vector<float>(16)};
    const FilterSpec many{.kind = 4, .stops = stops};
    const FilterSpec blur{.kind = 1, .blurX = 7};
    const FilterSpec unknown{.kind = 9};
    swfwriter::Place place = flashtest::At(1, 1);
    place.filters = swfwriter::FilterListBytes({big, many, blur, unknown, blur});
    place.blendMode = 5;
    MovieBuilder m;
    m.PlaceObject3(place);
    const Parsed r = ParseFirst(m);
    ASSERT_TRUE(r.ok && r.p.filters);
    // The list up to the unknown filter is kept; the fields after it cannot be found.
    EXPECT_EQ(r.p.filters->count, 3);
    EXPECT_TRUE(r.p.cut);
    EXPECT_FALSE(r.p.blendMode.has_value());
    flash::FilterReader reader(r.movie.bytes, *r.p.filters);
    flash::Filter f;
    ASSERT_TRUE(reader.Next(f));  // the 16-column convolution is dropped
    EXPECT_EQ(f.kind, flash::FilterKind::GradientGlow);
    EXPECT_EQ(f.stopCount, flash::kMaxFilterStops);
    EXPECT_EQ(f.stopRatios[15], 9);
    ASSERT_TRUE(reader.Next(f));
    EXPECT_EQ(f.kind, flash::FilterKind::Blur);
    EXPECT_EQ(f.blurX, 7);
    EXPECT_FALSE(reader.Next(f));
}

TEST(Placement, ClipActionEventsAre16BitsBeforeVersion6And32From) {
    const swfwriter::Actions stop = swfwriter::Actions().Stop();
    for (const std::uint8_t version : {5, 6}) {
        SCOPED_TRACE(int(version));
        const std::uint32_t keyPress = version >= 6 ? 0x00020000u : 0;
        const std::vector<swfwriter::ClipHandler> handlers = {
            {0x0001, 0, stop}, {0x0102 | keyPress, 65, swfwriter::Actions().Play()}};
        swfwriter::Place place = flashtest::At(1, 1);
        place.clipActions = swfwriter::ClipActionBytes(version, handlers);
        MovieBuilder m;
        m.Version(version).PlaceObject2(place);
        const Parsed r = ParseFirst(m, version);
        ASSERT_TRUE(r.ok && r.p.clipActions);
        EXPECT_FALSE(r.p.cut);
        flash::ClipActionReader reader(r.movie.bytes, *r.p.clipActions, version);
        EXPECT_EQ(reader.AllEvents(), 0x0103u | keyPress);
        flash::ClipAction a;
        ASSERT_TRUE(reader.Next(a));
        EXPECT_EQ(a.events, 0x0001u);
        EXPECT_EQ(r.movie.Bytes(a.actions).size(), 2u);  // Stop, End
        ASSERT_TRUE(reader.Next(a));
        EXPECT_EQ(a.events, 0x0102u | keyPress);
        EXPECT_EQ(a.keyCode, version >= 6 ? 65 : 0);
        ASSERT_EQ(r.movie.Bytes(a.actions).size(), 2u);
        EXPECT_EQ(r.movie.Bytes(a.actions)[0], 0x06);  // Play
        EXPECT_FALSE(reader.Next(a));
    }
}

}  // namespace
