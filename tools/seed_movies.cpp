#include "tools/seed_movies.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/swf_shape_writer.h"
#include "tools/sound_writer.h"
#include "tools/swf_writer.h"

namespace swfwriter {

namespace {

MovieBuilder LabelledLoop() {
    MovieBuilder m;
    m.StagePixels(320, 240).FrameRate(12).BackgroundColor({0x33, 0x66, 0x99});
    m.FrameLabel("Start").DoAction(Actions().TraceText("one")).ShowFrame();
    m.FrameLabel("middle").DoAction(Actions().TraceText("two").GotoLabel("END").Play()).ShowFrame();
    m.DoAction(Actions().TraceText("skipped")).ShowFrame();
    m.FrameLabel("end").DoAction(Actions().TraceText("three")).ShowFrame();
    return m;
}

MovieBuilder EveryPushType() {
    MovieBuilder m;
    m.Version(7).StageTwips(-200, 4000, 100, 3000).FrameRate88(0x0180);
    Actions a;
    a.ConstantPool({"alpha", "beta"})
        .PushConstant(1)
        .Trace()
        .PushInt(-42)
        .Trace()
        .PushDouble(0.1)
        .Trace()
        .PushFloat(2.5f)
        .Trace()
        .PushBool(true)
        .Trace()
        .PushNull()
        .Trace()
        .PushUndefined()
        .Trace()
        .PushRegister(3)
        .Trace()
        .PushConstant(300)
        .Trace()
        .PushString("dropped")
        .Pop()
        .Trace();
    m.DoAction(a).ShowFrame();
    m.DoAction(Actions().PushInt(1).GotoFrame2(false)).ShowFrame();
    return m;
}

MovieBuilder Navigation() {
    MovieBuilder m;
    m.FrameRate(30).DeclaredFrames(9);
    m.Rectangle(1, 2000, 1000, {0xFF, 0, 0}).PlaceObject(1, 1, 400, 400);
    m.DoAction(Actions().NextFrame()).ShowFrame();
    m.DoAction(Actions().TraceText("second").PreviousFrame()).ShowFrame();
    m.DoAction(Actions().GotoFrame(200).Stop()).ShowFrame();
    m.DoAction(Actions().PushString("Start").GotoFrame2(true)).ShowFrame();
    return m;
}

MovieBuilder OneFrame() {
    MovieBuilder m;
    m.Version(5).DeclaredFrames(3).DoAction(Actions().TraceText("once").Play()).ShowFrame();
    return m;
}

// Sprites in sprites' places, every placement field, filters of every kind, clip events,
// removals, init actions and targets: the movie model's inputs.
MovieBuilder SpritesAndPlacements() {
    MovieBuilder inner;
    inner.PlaceObject(1, 1, 0, 0).DoAction(Actions().TraceText("inner").Stop()).ShowFrame();
    inner.FrameLabel("two").RemoveObject2(1).ShowFrame();
    MovieBuilder outer;
    Place child;
    child.characterId = 2;
    child.name = "child";
    child.ratio = 3;
    outer.PlaceObject2(child).ShowFrame();
    outer.DoAction(Actions().SetTarget("child").GotoLabel("two").SetTarget("")).ShowFrame();

    MovieBuilder m;
    m.Version(8).FrameRate(20);
    m.Rectangle(1, 400, 300, {0x20, 0x80, 0xC0}).DefineSprite(2, inner).DefineSprite(3, outer);
    Place every;
    every.depth = 4;
    every.characterId = 3;
    every.matrix = Matrix{1.5, 0.25, -0.5, 0.75, 200, -100};
    ColorTransform cx;
    cx.hasMul = cx.hasAdd = true;
    every.colorTransform = cx;
    every.name = "outer";
    every.clipDepth = 9;
    every.filters = FilterListBytes(
        {FilterSpec{.kind = 0}, FilterSpec{.kind = 1}, FilterSpec{.kind = 2}, FilterSpec{.kind = 3},
         FilterSpec{.kind = 4, .stops = {{{1, 2, 3, 4}, 0}}},
         FilterSpec{.kind = 5, .matrixX = 1, .matrixY = 1, .matrix = {1}},
         FilterSpec{.kind = 6, .matrix = std::vector<float>(20, 1)}, FilterSpec{.kind = 7}});
    every.blendMode = 3;
    every.cacheAsBitmap = 1;
    every.visible = 1;
    every.background = Rgba{9, 8, 7, 6};
    every.clipActions = ClipActionBytes(8, {{0x00020001, 32, Actions().Stop()}});
    m.PlaceObject3(every).PlaceObject1(1, 2, Matrix{2, 0, 0, 2, 20, 20});
    m.DoInitAction(2, Actions().TraceText("init")).ShowFrame();
    Place move;
    move.depth = 4;
    move.move = true;
    move.matrix = Matrix{};
    m.PlaceObject2(move)
        .DoAction(Actions().PushString("/outer/child").SetTarget2().Play())
        .ShowFrame();
    m.RemoveObject(1, 2).RemoveObject2(4).DoAction(Actions().GotoFrame(0)).ShowFrame();
    return m;
}

// Buttons of both kinds: states that show a sprite and another button, condition actions for
// every transition, a menu button, and a button placed inside a sprite.
MovieBuilder Buttons() {
    MovieBuilder m;
    m.Version(6).StagePixels(100, 100);
    m.Rectangle(1, 400, 400, {0xC0, 0x40, 0x20});
    MovieBuilder spin;
    spin.PlaceObject(1, 1, 0, 0).ShowFrame().ShowFrame();
    m.DefineSprite(2, spin);
    std::vector<ButtonConditionAction> actions;
    for (int bit = 0; bit < 9; ++bit) {
        actions.push_back(
            {static_cast<std::uint16_t>(1 << bit), Actions().TraceText("transition").NextFrame()});
    }
    m.DefineButton2(3, {{0x09, 1, 1}, {0x02, 2, 2}, {0x04, 1, 3, Matrix{2, 0, 0, 2, 0, 0}}},
                    actions, true);
    m.DefineButton(4, {{0x0F, 1, 1}, {0x02, 3, 2}}, Actions().GotoFrame(0).Play());
    // Button 3's sounds: none on rolling out, sound 6 shaped on the other three.
    m.Tag(14, DefineSoundBody(6, SoundFormatByte(3, 1, true, false), 16, ByteVector(32, 0x10)));
    SoundInfoSpec shaped;
    shaped.loops = 2;
    shaped.envelope = std::vector<EnvelopeSpec>{{0, 0, 32768}};
    ByteVector sounds{3, 0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const ByteVector entry = StartSoundBody(6, shaped);
        sounds.insert(sounds.end(), entry.begin(), entry.end());
    }
    m.Tag(17, sounds);
    MovieBuilder holder;
    holder.PlaceObject(4, 1, 0, 0).ShowFrame();
    m.DefineSprite(5, holder);
    m.PlaceObject(3, 1, 0, 0).PlaceObject(5, 2, 800, 800).ShowFrame();
    m.RemoveObject2(1).ShowFrame();
    return m;
}

// ---- the demo's movies ----------------------------------------------------------------------

Color Opaque(Rgb c) {
    return {c.r, c.g, c.b, 255};
}

Rgb Shade(Rgb c, int num, int den) {
    return {static_cast<std::uint8_t>(c.r * num / den), static_cast<std::uint8_t>(c.g * num / den),
            static_cast<std::uint8_t>(c.b * num / den)};
}

// The colour farthest from the background on every channel, so the star and the bar show on
// any background.
Rgb Opposite(Rgb c) {
    return {static_cast<std::uint8_t>(255 - c.r), static_cast<std::uint8_t>(255 - c.g),
            static_cast<std::uint8_t>(255 - c.b)};
}

std::int32_t Twips(double pixels) {
    return static_cast<std::int32_t>(std::lround(pixels * 20));
}

void Add(MovieBuilder& movie, const ShapeWriter& shape) {
    const std::vector<std::uint8_t> body = shape.Build();
    movie.Tag(shape.TagCode(), body);
}

// The ground band over the stage's lowest third, shaded from left to right.
ShapeWriter Ground(const DemoMovieSpec& spec) {
    const std::int32_t w = Twips(spec.width), top = Twips(spec.height * 2 / 3.0),
                       h = Twips(spec.height) - top;
    ShapeWriter s(3, 1);
    s.Bounds(0, w, top, top + h);
    // The gradient square (-16384..16384) stretched over the band's width.
    const ShapeMatrix m{w / 32768.0, 0, 0, h / 32768.0, w / 2, top + h / 2};
    s.Fill1(s.Linear(m, {{0, Opaque(spec.accent)}, {255, Opaque(Shade(spec.accent, 1, 4))}}));
    s.Rect(0, top, w, h);
    return s;
}

// A disc in eight quadratic arcs, clockwise, lit from its centre.
ShapeWriter Sun(const DemoMovieSpec& spec) {
    const double r = std::max(4.0, std::min(spec.width, spec.height) / 7.0);
    const double cx = spec.width * 0.78, cy = spec.height * 0.28;
    ShapeWriter s(3, 2);
    s.Bounds(Twips(cx - r - 1), Twips(cx + r + 1), Twips(cy - r - 1), Twips(cy + r + 1));
    const ShapeMatrix m{r / 16384.0 * 20, 0, 0, r / 16384.0 * 20, Twips(cx), Twips(cy)};
    s.Fill1(s.Radial(m, {{0, {255, 255, 255, 255}}, {255, Opaque(spec.accent)}}));
    s.LineStyle(s.Line(40, Opaque(Shade(spec.accent, 1, 3))));
    const double step = std::numbers::pi / 4, reach = r / std::cos(step / 2);
    s.MoveTo(Twips(cx + r), Twips(cy));
    for (int i = 1; i <= 8; ++i) {
        const double mid = (i - 0.5) * step, end = i * step;
        s.CurveTo(Twips(cx + reach * std::cos(mid)), Twips(cy + reach * std::sin(mid)),
                  Twips(cx + r * std::cos(end)), Twips(cy + r * std::sin(end)));
    }
    return s;
}

// A five-pointed star around the origin, so that the sprite turns it about its centre.
ShapeWriter Star(const DemoMovieSpec& spec) {
    const double outer = std::max(6.0, std::min(spec.width, spec.height) / 6.0),
                 inner = outer * 0.45;
    ShapeWriter s(3, 3);
    s.Bounds(-Twips(outer + 1), Twips(outer + 1), -Twips(outer + 1), Twips(outer + 1));
    s.Fill1(s.Solid(Opaque(Opposite(spec.background))));
    s.LineStyle(s.Line(20, Opaque(spec.accent)));
    for (int i = 0; i <= 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double radius = i % 2 == 0 ? outer : inner;
        const std::int32_t x = Twips(radius * std::cos(angle)), y = Twips(radius * std::sin(angle));
        if (i == 0) {
            s.MoveTo(x, y);
        } else {
            s.LineTo(x, y);
        }
    }
    return s;
}

// Event sounds and streams, on the main timeline and in a sprite, started, stopped and
// jumped over.
MovieBuilder Sounds() {
    constexpr std::uint16_t kDefineSound = 14, kStartSound = 15, kStreamHead = 18,
                            kStreamBlock = 19, kStreamHead2 = 45, kStartSound2 = 89;
    const std::uint8_t pcm = SoundFormatByte(3, 1, true, false);
    const ByteVector samples(32, 0x10);
    MovieBuilder m;
    m.FrameRate(12);
    m.Tag(kDefineSound, DefineSoundBody(1, pcm, 16, samples));
    m.Tag(kDefineSound, DefineSoundBody(2, SoundFormatByte(1, 0, true, true), 40, samples));
    MovieBuilder sprite;
    sprite.Tag(kStreamHead, StreamHeadBody(pcm, pcm, 16))
        .Tag(kStreamBlock, StreamBlockBody(samples));
    sprite.Tag(kStartSound, StartSoundBody(2, {})).ShowFrame();
    sprite.Tag(kStreamBlock, StreamBlockBody(samples)).ShowFrame();
    m.DefineSprite(3, sprite);
    SoundInfoSpec shaped;
    shaped.noMultiple = true;
    shaped.loops = 2;
    shaped.inPoint = 4;
    shaped.envelope = std::vector<EnvelopeSpec>{{0, 0, 32768}, {40, 32768, 0}};
    m.Tag(kStreamHead2, StreamHeadBody(pcm, pcm, 16)).Tag(kStreamBlock, StreamBlockBody(samples));
    m.Tag(kStartSound, StartSoundBody(1, shaped)).PlaceObject(3, 1, 0, 0).ShowFrame();
    m.Tag(kStreamBlock, StreamBlockBody(samples)).Tag(kStartSound2, StartSound2Body("S", {}));
    m.ShowFrame();
    SoundInfoSpec stop;
    stop.stop = true;
    m.Tag(kStartSound, StartSoundBody(1, stop)).DoAction(Actions().GotoFrame(0)).ShowFrame();
    return m;
}

}  // namespace

void DemoStarCentre(const DemoMovieSpec& spec, int& x, int& y) {
    x = spec.width * 22 / 100;
    y = spec.height * 35 / 100;
}

std::vector<std::uint8_t> DemoMovie(const DemoMovieSpec& spec) {
    enum : std::uint16_t { kGround = 1, kSun, kStar, kSpinner, kBlock };
    const int frames = std::max(1, spec.frames);
    MovieBuilder movie;
    movie.Version(8)
        .StagePixels(spec.width, spec.height)
        .FrameRate(spec.fps)
        .BackgroundColor(spec.background);
    Add(movie, Ground(spec));
    Add(movie, Sun(spec));
    Add(movie, Star(spec));

    // The sprite's own timeline turns the star a twelfth of a turn per frame.
    MovieBuilder spinner;
    for (int i = 0; i < kDemoStarFrames; ++i) {
        const double angle = 2 * std::numbers::pi * i / kDemoStarFrames;
        Place place;
        place.depth = 1;
        place.move = i > 0;
        if (i == 0) place.characterId = kStar;
        place.matrix = Matrix{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};
        spinner.PlaceObject2(place).ShowFrame();
    }
    movie.DefineSprite(kSpinner, spinner);

    const int block = std::max(4, spec.width / (frames + 1));
    const std::int32_t barTop = Twips(spec.height * 0.72), barHeight = Twips(spec.height * 0.14);
    movie.Rectangle(kBlock, Twips(block) - 20, barHeight, Opposite(spec.background));

    int starX = 0, starY = 0;
    DemoStarCentre(spec, starX, starY);
    movie.PlaceObject(kGround, 1, 0, 0);
    movie.PlaceObject(kSpinner, 2, Twips(starX), Twips(starY));
    movie.PlaceObject(kSun, 3, 0, 0);
    for (int i = 0; i < frames; ++i) {
        movie.PlaceObject(kBlock, static_cast<std::uint16_t>(10 + i), i * Twips(block), barTop);
        movie.ShowFrame();
    }
    return movie.Build(spec.compression);
}

std::vector<SeedMovie> SeedMovies() {
    struct Source {
        const char* name;
        MovieBuilder movie;
    };
    const Source sources[] = {
        {"labelled_loop", LabelledLoop()},
        {"every_push_type", EveryPushType()},
        {"navigation", Navigation()},
        {"one_frame", OneFrame()},
        {"sprites_and_placements", SpritesAndPlacements()},
        {"sounds", Sounds()},
        {"buttons", Buttons()},
    };
    const struct {
        const char* suffix;
        Compression compression;
    } kinds[] = {
        {"fws", Compression::None}, {"cws", Compression::Zlib}, {"zws", Compression::Lzma}};

    std::vector<SeedMovie> seeds;
    for (const Source& s : sources) {
        for (const auto& k : kinds) {
            seeds.push_back(
                {std::string(s.name) + "_" + k.suffix + ".swf", s.movie.Build(k.compression)});
        }
    }
    return seeds;
}

}  // namespace swfwriter
