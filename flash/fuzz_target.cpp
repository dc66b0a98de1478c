#include "flash/fuzz_target.h"

#include <chrono>
#include <span>

#include "flash/sound/sound_fuzz.h"
#include "flash/swf_parser.h"
#include "flash/timeline.h"

namespace flash {

namespace {

// Reads every byte of every traced text, so the sanitizers see a view that points outside
// the movie.
class TouchingSink : public TraceSink {
public:
    void Trace(std::string_view text) override {
        for (char c : text) sum_ += static_cast<unsigned char>(c);
    }
    unsigned sum_ = 0;
};

}  // namespace

void FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    LoadResult result = ParseMovie(std::span(data, size));
    if (!result.Ok()) return;
    sound::FuzzMovieSounds(result.movie.bytes);
    TouchingSink sink;
    Timeline timeline(std::move(result.movie), &sink);
    for (int i = 0; i < 8; ++i) timeline.StepFrame();
    timeline.Tick(std::chrono::milliseconds(250));
    timeline.GotoFrame(static_cast<std::int64_t>(timeline.TotalFrames()) + 3);
    timeline.Back();
    timeline.Play();
    timeline.StepFrame();
    timeline.Forward();
    timeline.Rewind();
    timeline.Play();
    for (int i = 0; i < 4; ++i) timeline.StepFrame();
}

}  // namespace flash
