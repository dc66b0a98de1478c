#include "tools/seed_movies.h"

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
