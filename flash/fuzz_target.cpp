#include "flash/fuzz_target.h"

#include <chrono>
#include <memory>
#include <span>

#include "flash/movie_sound.h"
#include "flash/placement.h"
#include "flash/player.h"
#include "flash/render/button_picker.h"
#include "flash/render/renderer.h"
#include "flash/render/stage_drawer.h"
#include "flash/render/surface.h"
#include "flash/sound/sound_fuzz.h"
#include "flash/swf_parser.h"

namespace flash {

namespace {

// Reads every byte of every traced text, so the sanitizers see a view that points outside
// the movie.
class TouchingSink : public TraceSink {
public:
    void Trace(std::string_view text) override {
        for (char c : text) sum_ += static_cast<unsigned char>(c);
    }
    void Warning(std::string_view text) override { Trace(text); }
    unsigned sum_ = 0;
};

// Walks the display tree as a drawer would: every entry, its character's body, its name, its
// filters and the entries of sprite instances.
unsigned Walk(const Movie& movie, const Clip& clip, unsigned depth) {
    unsigned sum = depth;
    Filter filter;
    for (const DisplayEntry& e : clip.Entries()) {
        if (e.character != nullptr) {
            for (std::uint8_t b : movie.Bytes(e.character->body)) sum += b;
        }
        for (char c : movie.Text(e.name)) sum += static_cast<unsigned char>(c);
        FilterReader filters(movie.bytes, e.filters);
        while (filters.Next(filter)) sum += filter.passes + filter.stopCount;
        if (e.clip != nullptr) sum += Walk(movie, *e.clip, depth + 1);
    }
    return sum;
}

// Draws the next `frames` frames at a small size, with a scale mode and quality chosen by the
// input's length, so that every mode and sampling pattern meets every kind of movie.
void DrawFrames(Player& player, std::size_t size, int frames) {
    static constexpr ScaleMode kModes[] = {ScaleMode::ShowAll, ScaleMode::ExactFit,
                                           ScaleMode::NoBorder, ScaleMode::NoScale};
    static constexpr render::Quality kQualities[] = {render::Quality::Low, render::Quality::High,
                                                     render::Quality::Medium};
    render::StageDrawer drawer(player.GetMovie());
    render::Renderer renderer;
    renderer.SetQuality(kQualities[size / 4 % 3]);
    render::PixelBuffer surface(kFuzzDrawWidth, kFuzzDrawHeight);
    const Rgb background = player.GetMovie().background.value_or(Rgb{255, 255, 255});
    for (int i = 0; i < frames; ++i) {
        player.StepFrame();
        drawer.Draw(player, renderer, surface, kModes[size % 4], background);
    }
}

// Points near the buttons' origins, found down the tree (a few inside a hit area, most likely).
void ButtonPoints(const Clip& clip, const Matrix& m, std::vector<Point>& out, int depth) {
    for (const DisplayEntry& e : clip.Entries()) {
        if (out.size() >= 6 || depth > 4) return;
        if (e.clip == nullptr) continue;
        const Matrix placed = m * e.matrix;
        if (e.clip->ButtonDefinition() != nullptr) {
            out.push_back(placed.Apply(Point{20, 20}));
        } else {
            ButtonPoints(*e.clip, placed, out, depth + 1);
        }
    }
}

// Moves, presses, drags and releases the mouse over the buttons and off them, so that every
// phase change and the actions it names run, the display lists changing under them.
void PlayTheMouse(Player& player) {
    render::ButtonPicker picker;
    std::vector<Point> points;
    ButtonPoints(player.Root(), Matrix{}, points, 0);
    const Point off{-1e7, -1e7};
    points.push_back(off);
    static constexpr bool kDown[] = {false, true, true, false, true, false};
    for (std::size_t round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            for (const bool down : kDown) {
                const Point p = (i + round) % 3 == 2 && down ? off : points[i];
                player.Mouse(picker.ButtonAt(player, p), down);
            }
        }
        player.StepFrame();
    }
    player.Mouse(nullptr, false);
}

bool HasSound(const Movie& movie) {
    for (const Character& c : movie.characters) {
        if (c.kind == CharacterKind::Sound) return true;
    }
    const auto anyIn = [](const std::vector<Frame>& frames) {
        for (const Frame& f : frames) {
            for (const ControlTag& t : f.tags) {
                if (t.code == tags::kSoundStreamHead || t.code == tags::kSoundStreamHead2 ||
                    f.sounds) {
                    return true;
                }
            }
        }
        return false;
    };
    if (anyIn(movie.frames)) return true;
    for (const Sprite& s : movie.sprites) {
        if (anyIn(s.frames)) return true;
    }
    return false;
}

}  // namespace

void FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    LoadResult result = ParseMovie(std::span(data, size));
    if (!result.Ok()) return;
    sound::FuzzMovieSounds(result.movie.bytes);
    TouchingSink sink;
    // The engine outlives the player's movie only until it is cleared at the end. Movies
    // without sound (most inputs) skip it, to keep the fuzzer fast.
    sound::SoundEngine engine(sound::kOutputRate, 1 << 20);
    Player player(std::move(result.movie), &sink);
    const Movie& movie = player.GetMovie();
    std::unique_ptr<MovieSound> movieSound;
    if (HasSound(movie)) {
        movieSound = std::make_unique<MovieSound>(movie, engine);
        player.SetFrameSound(movieSound.get());
    }
    std::int16_t mix[2 * 256];
    unsigned sum = 0;
    for (int i = 0; i < 8; ++i) {
        player.StepFrame();
        if (movieSound) movieSound->Sync();
        engine.Render(mix, 256);
        sum += Walk(movie, player.Root(), 0);
    }
    player.Tick(std::chrono::milliseconds(250));
    player.GotoFrame(static_cast<std::int64_t>(player.TotalFrames()) + 3);
    sum += Walk(movie, player.Root(), 0);
    player.Back();
    player.Play();
    player.StepFrame();
    player.Forward();
    sum += Walk(movie, player.Root(), 0);
    player.Rewind();
    player.Play();
    for (int i = 0; i < 4; ++i) player.StepFrame();
    player.GotoFrame(static_cast<std::int64_t>(player.TotalFrames()) / 2);
    player.GotoFrame(1);
    sum += Walk(movie, player.Root(), 0);
    PlayTheMouse(player);
    sum += Walk(movie, player.Root(), 0);
    DrawFrames(player, size, 3);
    engine.Render(mix, 256);
    player.SetFrameSound(nullptr);
    movieSound.reset();
    engine.Clear();
    sink.sum_ += sum;
}

}  // namespace flash
