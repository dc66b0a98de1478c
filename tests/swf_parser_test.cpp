#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "flash/actions.h"
#include "flash/swf_parser.h"
#include "tests/flash_fixture.h"

namespace {

using flash::LoadError;
using flash::LoadResult;
using flash::ParseMovie;
using swfwriter::Actions;
using swfwriter::Compression;
using swfwriter::MovieBuilder;
using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The DoAction blocks of a frame.
std::size_t ActionBlocks(const flash::Frame& frame) {
    return static_cast<std::size_t>(
        std::count_if(frame.tags.begin(), frame.tags.end(),
                      [](const flash::ControlTag& t) { return t.code == flash::tags::kDoAction; }));
}

// A movie with something in every frame, long enough that cutting it leaves frames behind.
MovieBuilder TenFrames() {
    MovieBuilder m;
    m.BackgroundColor({1, 2, 3});
    for (int i = 0; i < 10; ++i) {
        m.FrameLabel("f" + std::to_string(i))
            .DoAction(Actions().TraceText(std::string(40, 'a' + i)));
        m.ShowFrame();
    }
    return m;
}

class EveryCompression : public ::testing::TestWithParam<Compression> {};

TEST_P(EveryCompression, HeaderAndTagsRoundTrip) {
    MovieBuilder m;
    m.Version(9).StageTwips(-120, 6400, 40, 4840).FrameRate88(0x0C80).DeclaredFrames(7);
    m.BackgroundColor({0x12, 0x34, 0x56}).FrameLabel("Intro");
    m.DoAction(Actions().Stop()).DoAction(Actions().Play()).ShowFrame();
    m.BackgroundColor({0xFF, 0xFF, 0xFF}).ShowFrame();
    const LoadResult r = ParseMovie(m.Build(GetParam()));
    ASSERT_TRUE(r.Ok()) << flash::LoadErrorName(r.error);
    const flash::Movie& movie = r.movie;
    EXPECT_EQ(movie.header.compression, static_cast<flash::Compression>(GetParam()));
    EXPECT_EQ(movie.header.version, 9);
    EXPECT_EQ(movie.header.fileLength, movie.bytes.size());
    EXPECT_EQ(movie.header.stage, (flash::Rect{-120, 6400, 40, 4840}));
    EXPECT_DOUBLE_EQ(movie.header.FrameRate(), 12.5);
    EXPECT_EQ(movie.header.declaredFrames, 7);
    ASSERT_TRUE(movie.background.has_value());
    EXPECT_EQ(*movie.background, (flash::Rgb{0x12, 0x34, 0x56}));  // the first one counts
    ASSERT_EQ(movie.TotalFrames(), 2u);
    ASSERT_EQ(movie.frames[0].labels.size(), 1u);
    EXPECT_EQ(movie.Text(movie.frames[0].labels[0]), "Intro");
    EXPECT_EQ(ActionBlocks(movie.frames[0]), 2u);
    EXPECT_EQ(ActionBlocks(movie.frames[1]), 0u);
    EXPECT_FALSE(movie.truncated);
}

INSTANTIATE_TEST_SUITE_P(Swf, EveryCompression,
                         ::testing::Values(Compression::None, Compression::Zlib,
                                           Compression::Lzma));

TEST(SwfParser, StageRectanglesOfEveryFieldWidth) {
    const flash::Rect cases[] = {
        {0, 0, 0, 0},
        {0, 11000, 0, 8000},
        {-1, 1, -1, 0},
        {-20000, -10000, 5, 6},
        {-1073741824, 1073741823, 0, 1},  // 31-bit fields
    };
    for (const flash::Rect& c : cases) {
        MovieBuilder m;
        m.StageTwips(c.xMin, c.xMax, c.yMin, c.yMax).ShowFrame();
        const LoadResult r = ParseMovie(m.Build());
        ASSERT_TRUE(r.Ok());
        EXPECT_EQ(r.movie.header.stage, c) << c.xMin << " " << c.xMax;
    }
    // A hand-made RECT with Nbits = 0: all four fields are 0 and it takes one byte.
    Bytes b = {'F', 'W', 'S', 6, 0, 0, 0, 0, 0x00, 0x00, 0x18, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00};
    PutU32(b, 4, static_cast<std::uint32_t>(b.size()));
    const LoadResult r = ParseMovie(b);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.movie.header.stage, (flash::Rect{}));
    EXPECT_EQ(r.movie.header.frameRate88, 0x1800);
    EXPECT_EQ(r.movie.TotalFrames(), 1u);
    EXPECT_FALSE(r.movie.truncated);
}

TEST(SwfParser, FrameCountComesFromShowFrameTags) {
    struct Case {
        int declared;
        int showFrames;
        bool trailingContent;  // a DoAction after the last ShowFrame
        std::size_t expected;
    };
    const Case cases[] = {
        {1, 1, false, 1}, {2, 1, false, 1}, {1, 2, false, 2}, {0, 3, false, 3},
        {5, 0, false, 1}, {2, 2, true, 2},  {0, 0, true, 1},
    };
    for (const Case& c : cases) {
        MovieBuilder m;
        m.DeclaredFrames(static_cast<std::uint16_t>(c.declared));
        for (int i = 0; i < c.showFrames; ++i) m.ShowFrame();
        if (c.trailingContent) m.DoAction(Actions().Stop());
        const LoadResult r = ParseMovie(m.Build());
        ASSERT_TRUE(r.Ok());
        EXPECT_EQ(r.movie.TotalFrames(), c.expected) << c.declared << "/" << c.showFrames;
        EXPECT_EQ(r.movie.header.declaredFrames, c.declared);
        // Content after the last ShowFrame is not part of any frame.
        for (const flash::Frame& f : r.movie.frames) EXPECT_EQ(ActionBlocks(f), 0u);
    }
}

struct BadCase {
    const char* name;
    Bytes (*make)();
    LoadError error;
    std::size_t frames;  // when it loads: frames kept (it is then truncated)
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes Fws() {
    return TenFrames().Build(Compression::None);
}
Bytes Cws() {
    return TenFrames().Build(Compression::Zlib);
}
Bytes Zws() {
    return TenFrames().Build(Compression::Lzma);
}
Bytes Cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

const BadCase kBadCases[] = {
    {"empty", [] { return Bytes{}; }, LoadError::NotSwf, 0},
    {"seven bytes", [] { return Cut(Fws(), 7); }, LoadError::NotSwf, 0},
    {"unknown signature",
     [] {
         Bytes b = Fws();
         b[0] = 'G';
         return b;
     },
     LoadError::NotSwf, 0},
    {"lower-case signature",
     [] {
         Bytes b = Fws();
         b[1] = 'w';
         return b;
     },
     LoadError::NotSwf, 0},
    {"file length 0",
     [] {
         Bytes b = Fws();
         PutU32(b, 4, 0);
         return b;
     },
     LoadError::BadFileLength, 0},
    {"file length 7",
     [] {
         Bytes b = Cws();
         PutU32(b, 4, 7);
         return b;
     },
     LoadError::BadFileLength, 0},
    {"file length over 256 MiB",
     [] {
         Bytes b = Cws();
         PutU32(b, 4, (256u << 20) + 1);
         return b;
     },
     LoadError::TooLarge, 0},
    {"file length 4 GiB",
     [] {
         Bytes b = Zws();
         PutU32(b, 4, 0xFFFFFFFF);
         return b;
     },
     LoadError::TooLarge, 0},
    {"header only",
     [] {
         Bytes b = Cut(Fws(), 8);
         PutU32(b, 4, 8);
         return b;
     },
     LoadError::BadHeader, 0},
    {"rect cut short",
     [] {
         Bytes b = Cut(Fws(), 10);
         b[8] = 0xF8;
         PutU32(b, 4, 10);
         return b;
     },
     LoadError::BadHeader, 0},
    {"no frame count",
     [] {
         Bytes b = Cut(Fws(), 13);
         PutU32(b, 4, 13);
         return b;
     },
     LoadError::BadHeader, 0},
    {"zlib garbage",
     [] {
         Bytes b = Cws();
         for (std::size_t i = 8; i < b.size(); ++i) b[i] = 0x5A;
         return b;
     },
     LoadError::BrokenStream, 0},
    {"zlib nothing after header", [] { return Cut(Cws(), 8); }, LoadError::BrokenStream, 0},
    {"lzma without properties", [] { return Cut(Zws(), 15); }, LoadError::BrokenStream, 0},
    {"lzma impossible properties",
     [] {
         Bytes b = Zws();
         b[12] = 0xFF;
         return b;
     },
     LoadError::BrokenStream, 0},
    // Cut inside the movie: the frames completed before the cut are kept.
    {"fws cut in frame 6",
     [] {
         Bytes b = Fws();
         return Cut(b, b.size() * 6 / 10 - 10);
     },
     LoadError::None, 5},
    {"fws file length cuts",
     [] {
         Bytes b = Fws();
         PutU32(b, 4, static_cast<std::uint32_t>(b.size() * 6 / 10 - 10));
         return b;
     },
     LoadError::None, 5},
    {"zlib stream cut",
     [] {
         Bytes b = Cws();
         return Cut(b, b.size() / 2);
     },
     LoadError::None, 0},
    {"lzma stream cut",
     [] {
         Bytes b = Zws();
         return Cut(b, b.size() / 2);
     },
     LoadError::None, 0},
    {"zlib stream corrupt midway",
     [] {
         Bytes b = Cws();
         for (std::size_t i = b.size() / 2; i < b.size(); ++i) b[i] ^= 0xA5;
         return b;
     },
     LoadError::None, 0},
    {"tag length past the end",
     [] {
         Bytes b = Fws();
         b[b.size() - 4] = 0xFF;
         b[b.size() - 3] = 0xFF;
         return b;
     },
     LoadError::None, 9},
    {"long tag length 4 GiB",
     [] {
         MovieBuilder m = TenFrames();
         m.Tag(777, Bytes{1, 2, 3}, true);
         Bytes b = m.Build();
         PutU32(b, b.size() - 9, 0xFFFFFFFF);
         return b;
     },
     LoadError::None, 10},
};

class BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadInput, IsRejectedOrKeepsWhatCameBeforeTheFault) {
    const BadCase& c = GetParam();
    const LoadResult r = ParseMovie(c.make());
    ASSERT_EQ(r.error, c.error) << flash::LoadErrorName(r.error);
    if (!r.Ok()) {
        EXPECT_TRUE(r.movie.bytes.empty());
        return;
    }
    EXPECT_TRUE(r.movie.truncated);
    EXPECT_GE(r.movie.TotalFrames(), 1u);
    EXPECT_LE(r.movie.TotalFrames(), 10u);
    // Whatever frames are kept must point inside the bytes.
    for (const flash::Frame& f : r.movie.frames) {
        for (const flash::ControlTag& t : f.tags)
            EXPECT_LE(t.body.offset + t.body.length, r.movie.bytes.size());
    }
    if (c.frames != 0) {
        EXPECT_EQ(r.movie.TotalFrames(), c.frames);
    }
}

INSTANTIATE_TEST_SUITE_P(Swf, BadInput, ::testing::ValuesIn(kBadCases),
                         [](const ::testing::TestParamInfo<BadCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

TEST(SwfParser, TinyFileClaimingHugeSizeCostsOnlyWhatItDecodesTo) {
    for (Compression c : {Compression::Zlib, Compression::Lzma}) {
        Bytes b = TenFrames().Build(c);
        PutU32(b, 4, 256u << 20);
        const LoadResult r = ParseMovie(b);
        ASSERT_TRUE(r.Ok());
        EXPECT_TRUE(r.movie.truncated);
        EXPECT_EQ(r.movie.TotalFrames(), 10u);
        EXPECT_LT(r.movie.bytes.capacity(), 1u << 20);
    }
}

TEST(SwfParser, LzmaDictionarySizeIsNotAllocated) {
    // A 4 GiB dictionary in the properties: the output buffer serves as the dictionary.
    Bytes b = TenFrames().Build(Compression::Lzma);
    PutU32(b, 13, 0xFFFFFFFF);
    const LoadResult z = ParseMovie(b);
    const LoadResult f = ParseMovie(TenFrames().Build(Compression::None));
    ASSERT_TRUE(z.Ok() && f.Ok());
    EXPECT_FALSE(z.movie.truncated);
    EXPECT_EQ(Bytes(z.movie.bytes.begin() + 8, z.movie.bytes.end()),
              Bytes(f.movie.bytes.begin() + 8, f.movie.bytes.end()));
}

TEST(SwfParser, ZlibDataPastFileLengthIsIgnored) {
    // FileLength is authoritative: a shorter value cuts a compressed movie too.
    Bytes b = TenFrames().Build(Compression::Zlib);
    const LoadResult whole = ParseMovie(b);
    ASSERT_TRUE(whole.Ok());
    PutU32(b, 4, static_cast<std::uint32_t>(whole.movie.bytes.size() / 2));
    const LoadResult cut = ParseMovie(b);
    ASSERT_TRUE(cut.Ok());
    EXPECT_EQ(cut.movie.bytes.size(), whole.movie.bytes.size() / 2);
    EXPECT_TRUE(cut.movie.truncated);
    EXPECT_LT(cut.movie.TotalFrames(), 10u);
}

TEST(SwfParser, NotesTagsAndActionsItDoesNotRun) {
    MovieBuilder m;
    const std::uint8_t getUrl[] = {'a', 0, 0};
    m.Rectangle(1, 100, 100, {9, 9, 9}).PlaceObject(1, 1, 0, 0).Tag(777, Bytes{1});
    m.DoAction(Actions().Raw(0x83, getUrl).Code(0x1C).Stop().SetTarget("a")).ShowFrame();
    const LoadResult r = ParseMovie(m.Build());
    ASSERT_TRUE(r.Ok());
    EXPECT_TRUE(r.movie.otherTags.test(777));
    EXPECT_FALSE(r.movie.otherTags.test(2));   // DefineShape, a character
    EXPECT_FALSE(r.movie.otherTags.test(26));  // PlaceObject2, a control tag
    EXPECT_FALSE(r.movie.otherTags.test(12));
    EXPECT_TRUE(r.movie.otherActions.test(0x83));
    EXPECT_TRUE(r.movie.otherActions.test(0x1C));
    EXPECT_FALSE(r.movie.otherActions.test(0x8B));
    EXPECT_FALSE(r.movie.otherActions.test(0x07));
    EXPECT_EQ(r.movie.otherActions.count(), 2u);
}

TEST(SwfParser, SpritesHaveFramesOfTheirOwn) {
    struct Case {
        const char* name;
        int showFrames;
        bool trailing;  // a DoAction after the last ShowFrame
        bool endTag;
        std::size_t frames;
        bool loops;
    };
    const Case cases[] = {
        {"two frames", 2, false, true, 2, true},
        {"cut short", 2, false, false, 2, false},
        {"content after the last frame", 1, true, true, 2, false},
        {"three and a tail", 3, true, true, 4, true},
        {"no ShowFrame", 0, true, true, 1, false},
        {"empty", 0, false, false, 1, false},
    };
    for (const Case& c : cases) {
        MovieBuilder body;
        body.DeclaredFrames(9);  // never counts
        for (int i = 0; i < c.showFrames; ++i) body.DoAction(Actions().Stop()).ShowFrame();
        if (c.trailing) body.DoAction(Actions().Play());
        MovieBuilder m;
        m.DefineSprite(5, body, c.endTag).ShowFrame();
        const LoadResult r = ParseMovie(m.Build());
        ASSERT_TRUE(r.Ok()) << c.name;
        ASSERT_EQ(r.movie.sprites.size(), 1u) << c.name;
        const flash::Sprite& s = r.movie.sprites[0];
        EXPECT_EQ(s.id, 5) << c.name;
        EXPECT_EQ(s.declaredFrames, 9) << c.name;
        EXPECT_EQ(s.frames.size(), c.frames) << c.name;
        EXPECT_EQ(s.Loops(), c.loops) << c.name;
        EXPECT_EQ(ActionBlocks(s.frames.back()), c.trailing || c.showFrames > 0 ? 1u : 0u)
            << c.name;
        EXPECT_FALSE(r.movie.truncated) << c.name;
    }
}

TEST(SwfParser, DictionaryKeepsFirstDefinitionsAndRefusesNesting) {
    MovieBuilder inner;
    inner.Rectangle(8, 10, 10, {1, 1, 1});  // a definition inside a sprite
    inner.DefineSprite(9, MovieBuilder().ShowFrame()).ShowFrame();
    MovieBuilder m;
    m.Rectangle(3, 100, 100, {1, 2, 3}).DefineSprite(3, MovieBuilder().ShowFrame());
    m.DefineSprite(4, inner).Tag(37, Bytes{6, 0}).Tag(14, Bytes{7, 0}).Tag(87, Bytes{2, 0, 0});
    m.DoInitAction(4, Actions().Stop()).DoInitAction(3, Actions().Play());
    swfwriter::Place withEvents = flashtest::At(1, 4);
    withEvents.clipActions = swfwriter::ClipActionBytes(10, {{2, 0, Actions().Stop()}});
    m.PlaceObject2(withEvents).ShowFrame();
    const LoadResult r = ParseMovie(m.Build());
    ASSERT_TRUE(r.Ok());
    const flash::Movie& movie = r.movie;
    using K = flash::CharacterKind;
    const std::pair<std::uint16_t, K> expected[] = {
        {2, K::Other}, {3, K::Shape}, {4, K::Sprite}, {6, K::EditText}, {7, K::Sound}};
    ASSERT_EQ(movie.characters.size(), std::size(expected));
    for (const auto& [id, kind] : expected) {
        const flash::Character* c = movie.FindCharacter(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_EQ(c->kind, kind) << id;
    }
    EXPECT_EQ(movie.FindCharacter(3)->tagCode, 2);  // the shape, not the later sprite
    EXPECT_EQ(movie.FindCharacter(8), nullptr);
    EXPECT_EQ(movie.FindCharacter(9), nullptr);
    EXPECT_TRUE(movie.refused);
    EXPECT_EQ(movie.sprites.size(), 1u);
    EXPECT_EQ(movie.initActionBlocks, 2u);
    const std::vector<flash::ControlTag>& tags = movie.frames[0].tags;
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[1].spriteId, 3);
    EXPECT_EQ(tags[1].initIndex, 1u);
    EXPECT_EQ(movie.Bytes(tags[1].body)[0], 0x06);  // the actions, after the sprite id
    EXPECT_TRUE(movie.clipEvents);
}

TEST(SwfParser, TagsPerFrameAreBounded) {
    MovieBuilder m;
    for (std::size_t i = 0; i <= flash::kMaxTagsPerFrame; ++i) m.RemoveObject2(1);
    const LoadResult r = ParseMovie(m.ShowFrame().ShowFrame().Build());
    ASSERT_TRUE(r.Ok());
    EXPECT_TRUE(r.movie.limited);
    EXPECT_EQ(r.movie.frames[0].tags.size(), flash::kMaxTagsPerFrame);
    EXPECT_EQ(r.movie.frames[1].tagsBefore, flash::kMaxTagsPerFrame);
}

TEST(SwfParser, LoadsFilesAndReportsUnreadableOnes) {
    EXPECT_EQ(flash::LoadMovieFile("/nonexistent/dir/none.swf").error, LoadError::CannotRead);
    const std::string path = ::testing::TempDir() + "parser_test_movie.swf";
    ASSERT_TRUE(swfwriter::WriteFile(path, TenFrames().Build(Compression::Lzma)));
    const LoadResult r = flash::LoadMovieFile(path);
    std::remove(path.c_str());
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.movie.TotalFrames(), 10u);
    EXPECT_EQ(r.movie.Text(r.movie.frames[9].labels[0]), "f9");
}

// The readers of action records and their payloads.

std::vector<flash::ActionRecord> Records(const Bytes& block) {
    flash::ActionReader reader(block);
    std::vector<flash::ActionRecord> out;
    flash::ActionRecord a;
    while (reader.Next(a)) out.push_back(a);
    return out;
}

TEST(ActionReader, StopsAtEndActionAndAtRecordsRunningPastTheBlock) {
    Bytes block = Actions().Play().GotoFrame(3).Stop().Bytes();
    block.push_back(0);
    block.push_back(0x06);  // after End: never read
    auto r = Records(block);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].code, 0x81);
    EXPECT_EQ(r[1].data.size(), 2u);
    EXPECT_EQ(r[1].data[0], 3);

    // A record whose length claims more than is left ends the block before it.
    Bytes cut = Actions().Play().GotoLabel("somewhere").Bytes();
    cut.resize(cut.size() - 3);
    EXPECT_EQ(Records(cut).size(), 1u);
    // A long code with no room for its length.
    EXPECT_EQ(Records(Bytes{0x06, 0x96, 0x01}).size(), 1u);
}

TEST(PushReader, ReadsEveryValueTypeAndStopsAtUnknownOrShortOnes) {
    Bytes all = Actions()
                    .PushString("text")
                    .PushFloat(1.5f)
                    .PushNull()
                    .PushUndefined()
                    .PushRegister(2)
                    .PushBool(true)
                    .PushDouble(-0.25)
                    .PushInt(-7)
                    .PushConstant(5)
                    .PushConstant(700)
                    .Bytes();
    using K = flash::PushValue::Kind;
    const struct {
        K kind;
        double number;
        std::uint16_t index;
        const char* text;
    } expected[] = {
        {K::String, 0, 0, "text"}, {K::Number, 1.5, 0, ""},  {K::Null, 0, 0, ""},
        {K::Undefined, 0, 0, ""},  {K::Undefined, 0, 0, ""}, {K::Boolean, 1, 0, ""},
        {K::Number, -0.25, 0, ""}, {K::Number, -7, 0, ""},   {K::Constant, 0, 5, ""},
        {K::Constant, 0, 700, ""},
    };
    const auto records = Records(all);
    ASSERT_EQ(records.size(), std::size(expected));
    for (std::size_t i = 0; i < records.size(); ++i) {
        flash::PushReader values(records[i].data);
        flash::PushValue v;
        ASSERT_TRUE(values.Next(v)) << i;
        EXPECT_EQ(v.kind, expected[i].kind) << i;
        EXPECT_EQ(v.number, expected[i].number) << i;
        EXPECT_EQ(v.index, expected[i].index) << i;
        EXPECT_EQ(v.text, expected[i].text) << i;
        EXPECT_FALSE(values.Next(v)) << i;
    }

    // Several values in one record; an unknown type ends it, as does a value cut short.
    const Bytes payload = {7, 1, 0, 0, 0, 2, 42, 9, 9, 9};
    flash::PushReader mixed(payload);
    flash::PushValue v;
    ASSERT_TRUE(mixed.Next(v));
    EXPECT_EQ(v.number, 1);
    ASSERT_TRUE(mixed.Next(v));
    EXPECT_EQ(v.kind, K::Null);
    EXPECT_FALSE(mixed.Next(v));
    for (const Bytes& shortValue :
         {Bytes{0, 'a', 'b'}, Bytes{7, 1, 0}, Bytes{6, 0, 0, 0, 0, 0, 0, 0}, Bytes{9, 1}, Bytes{5},
          Bytes{1, 0, 0}}) {
        flash::PushReader r(shortValue);
        EXPECT_FALSE(r.Next(v)) << int(shortValue[0]);
    }
}

TEST(ConstantPoolReader, StopsAtItsCountOrAnUnterminatedString) {
    const Bytes pool = {3, 0, 'a', 0, 'b', 'c', 0, 'd'};  // third string has no NUL
    flash::ConstantPoolReader r(pool);
    EXPECT_EQ(r.Count(), 3);
    std::string_view s;
    ASSERT_TRUE(r.Next(s));
    EXPECT_EQ(s, "a");
    ASSERT_TRUE(r.Next(s));
    EXPECT_EQ(s, "bc");
    EXPECT_FALSE(r.Next(s));
    const Bytes counted = {1, 0, 'x', 0, 'y', 0};
    flash::ConstantPoolReader one(counted);
    ASSERT_TRUE(one.Next(s));
    EXPECT_FALSE(one.Next(s));  // "y" is beyond the count
    flash::ConstantPoolReader empty(Bytes{7});
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_FALSE(empty.Next(s));
}

}  // namespace
