#include "flash/control_model.h"

#include <algorithm>

#include "base/color_text.h"

namespace flash {

ControlModel::~ControlModel() {
    Forget();
}

void ControlModel::Forget() {
    // Every sound stops and every stream's source goes before the movie's bytes do: the
    // output's thread may be mixing them. The player forgets its listener first.
    if (player_) player_->SetFrameSound(nullptr);
    // The finder's shapes belong to the movie going away.
    if (finder_ != nullptr) finder_->Reset();
    overButton_ = false;
    mouseDown_ = false;
    movieSound_.reset();
    engine_.Clear();
    player_.reset();
    clock_.Stop();
}

void ControlModel::SetMovie(const std::string& location, LoadResult loaded) {
    location_ = location;
    ++generation_;
    Forget();
    if (!loaded.Ok()) return;
    player_.emplace(std::move(loaded.movie));
    // The sound listens before the first frame is entered: its sounds start with it.
    movieSound_ = std::make_unique<MovieSound>(player_->GetMovie(), engine_);
    player_->SetFrameSound(movieSound_.get());
    // The first frame shows as soon as the movie is there, before any time has passed; the
    // next one follows a frame interval later.
    player_->StepFrame();
    Synced();
}

long ControlModel::TotalFrames() const {
    return player_ ? static_cast<long>(player_->TotalFrames()) : 0;
}
long ControlModel::CurrentFrame() const {
    return player_ ? static_cast<long>(player_->CurrentFrame()) : 0;
}
bool ControlModel::IsPlaying() const {
    return player_ && player_->IsPlaying();
}

void ControlModel::Play() {
    if (player_) player_->Play();
}
void ControlModel::Stop() {
    if (player_) player_->Stop();
    Synced();
}
void ControlModel::Back() {
    if (player_) player_->Back();
    Synced();
}
void ControlModel::Forward() {
    if (player_) player_->Forward();
    Synced();
}
void ControlModel::Rewind() {
    if (player_) player_->Rewind();
    Synced();
}
void ControlModel::GotoFrame(long frame) {
    if (player_) player_->GotoFrame(frame);
    Synced();
}

void ControlModel::Tick(std::chrono::microseconds elapsed) {
    if (!player_) return;
    if (audioClock_ && movieSound_->Root().active) {
        FollowStream();
    } else {
        player_->Tick(elapsed);
    }
    Synced();
}

void ControlModel::FollowStream() {
    const MovieSound::RootStream stream = movieSound_->Root();
    if (stream.starts != clockStarts_ || !clock_.Running()) {
        clockStarts_ = stream.starts;
        clock_.Start(stream.frame, stream.startMix, movieSound_->FrameRate());
        stepsSinceStart_ = 0;
    }
    const std::size_t due = clock_.FrameAt(audioClock_()) - stream.frame;
    for (int n = 0; stepsSinceStart_ < due && n < Player::kMaxStepsPerTick; ++n) {
        player_->StepFrame();
        ++stepsSinceStart_;
        Synced();
        // A jump started the stream again, or the timeline stopped or went past the stream:
        // the clock starts over, or the timer takes over, at the next tick.
        const MovieSound::RootStream now = movieSound_->Root();
        if (now.starts != clockStarts_ || !now.active) break;
    }
}

unsigned ControlModel::FrameIntervalMs() const {
    if (!player_) return 100;
    std::uint16_t rate = player_->GetMovie().header.frameRate88;
    if (rate == 0) rate = Player::kZeroRateFallback88;
    const unsigned ms = static_cast<unsigned>(1000u * 256u / rate);
    return std::max(10u, ms);
}

bool ControlModel::SetScale(const std::string& text) {
    const auto mode = ParseScaleMode(text);
    if (!mode) return false;
    scale_ = *mode;
    return true;
}

bool ControlModel::SetBackground(const std::string& rrggbb) {
    const auto color = base::ParseBgColorText(rrggbb);
    if (!color) return false;
    background_ = color;
    return true;
}

std::string ControlModel::BackgroundText() const {
    return base::ToBgColorText(BackgroundColorref());
}

std::uint32_t ControlModel::BackgroundColorref() const {
    if (background_) return *background_;
    if (player_ && player_->GetMovie().background) {
        const Rgb c = *player_->GetMovie().background;
        return c.r | (c.g << 8) | (std::uint32_t{c.b} << 16);
    }
    return 0xFFFFFF;
}

PixelRect ControlModel::StageRect(int width, int height) const {
    if (!player_) return PixelRect{0, 0, width, height};
    const Rect& stage = player_->GetMovie().header.stage;
    return PlaceStage(scale_, width, height, stage.WidthTwips() / 20, stage.HeightTwips() / 20);
}

void ControlModel::SetButtonFinder(ButtonFinder* finder) {
    if (finder_ != nullptr) finder_->Reset();
    finder_ = finder;
    overButton_ = false;
}

void ControlModel::Mouse(int x, int y, int width, int height, bool down) {
    mouseDown_ = down;
    if (!player_ || finder_ == nullptr) return;
    const Point at = WindowToStage(scale_, width, height, player_->GetMovie().header.stage, x, y);
    const Clip* hit = finder_->ButtonAt(*player_, at);
    overButton_ = hit != nullptr;
    player_->Mouse(hit, down);
    // A button's actions may have stopped or moved a timeline.
    Synced();
}

void ControlModel::MouseLeft() {
    overButton_ = false;
    mouseDown_ = false;
    if (!player_) return;
    player_->Mouse(nullptr, false);
    Synced();
}

}  // namespace flash
