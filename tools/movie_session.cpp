#include "tools/movie_session.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "tools/swfrender_args.h"

namespace swfrender {

namespace {

class StreamTrace final : public flash::TraceSink {
public:
    explicit StreamTrace(std::FILE* out) : out_(out) {}
    void Trace(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), out_);
        std::fputc('\n', out_);
        std::fflush(out_);
    }

private:
    std::FILE* out_;
};

int PixelsOf(std::int32_t twips) {
    return std::max(1, static_cast<int>(std::lround(twips / 20.0)));
}

flash::render::Quality ToRenderQuality(Quality q) {
    switch (q) {
        case Quality::Low:
            return flash::render::Quality::Low;
        case Quality::Medium:
            return flash::render::Quality::Medium;
        case Quality::High:
            break;
    }
    return flash::render::Quality::High;
}

}  // namespace

MovieSession::MovieSession(flash::Movie movie, flash::TraceSink* trace)
    : player_(std::move(movie), trace), drawer_(player_.GetMovie()) {}

std::unique_ptr<MovieSession> MovieSession::Open(const std::string& path, flash::TraceSink* trace,
                                                 std::string& error) {
    flash::LoadResult loaded = flash::LoadMovieFile(path);
    if (!loaded.Ok()) {
        error = path + ": " + flash::LoadErrorName(loaded.error);
        return nullptr;
    }
    return std::unique_ptr<MovieSession>(new MovieSession(std::move(loaded.movie), trace));
}

int MovieSession::StageWidth() const {
    return PixelsOf(GetMovie().header.stage.WidthTwips());
}

int MovieSession::StageHeight() const {
    return PixelsOf(GetMovie().header.stage.HeightTwips());
}

const flash::render::PixelBuffer& MovieSession::Draw(int width, int height,
                                                     flash::render::Quality quality) {
    const bool ownSize = width <= 0 || height <= 0;
    if (ownSize) {
        width = StageWidth();
        height = StageHeight();
    }
    if (!surface_.Resize(width, height)) return surface_;
    renderer_.SetQuality(quality);
    const flash::Rgb bg = GetMovie().background.value_or(flash::Rgb{255, 255, 255});
    drawer_.Draw(player_, renderer_, surface_,
                 ownSize ? flash::ScaleMode::NoScale : flash::ScaleMode::ShowAll, bg);
    return surface_;
}

pngio::Image MovieSession::Picture() const {
    pngio::Image image;
    image.width = surface_.Width();
    image.height = surface_.Height();
    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    std::uint8_t* out = image.rgba.data();
    for (int y = 0; y < image.height; ++y) {
        const flash::render::Pixel* row = surface_.Row(y);
        for (int x = 0; x < image.width; ++x, out += 4) {
            const flash::render::Pixel p = row[x];
            const std::uint32_t a = flash::render::PixelA(p);
            auto straight = [a](std::uint32_t c) {
                return static_cast<std::uint8_t>(
                    a == 0 ? 0 : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
            };
            out[0] = straight(flash::render::PixelR(p));
            out[1] = straight(flash::render::PixelG(p));
            out[2] = straight(flash::render::PixelB(p));
            out[3] = static_cast<std::uint8_t>(a);
        }
    }
    return image;
}

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Options options;
    std::string error;
    if (!ParseArgs(argc, argv, options, error)) {
        std::fprintf(err, "swfrender: %s\n", error.c_str());
        return 2;
    }
    StreamTrace trace(out);
    std::unique_ptr<MovieSession> session =
        MovieSession::Open(options.movie, options.trace ? &trace : nullptr, error);
    if (!session) {
        std::fprintf(err, "swfrender: %s\n", error.c_str());
        return 2;
    }
    for (int i = 0; i < options.frames; ++i) session->StepFrame();
    if (!options.png.empty()) {
        const flash::render::PixelBuffer& drawn =
            session->Draw(options.width, options.height, ToRenderQuality(options.quality));
        if (drawn.Width() == 0) {
            std::fprintf(err, "swfrender: the picture is too large to draw\n");
            return 2;
        }
        if (!pngio::WritePng(options.png, session->Picture())) {
            std::fprintf(err, "swfrender: cannot write %s\n", options.png.c_str());
            return 2;
        }
    }
    return 0;
}

}  // namespace swfrender
