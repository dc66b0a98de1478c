#include "tools/seed_movies.h"

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
