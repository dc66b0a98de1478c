#include "flash/control_model.h"

#include <algorithm>

#include "base/color_text.h"

namespace flash {

void ControlModel::SetMovie(const std::string& location, LoadResult loaded) {
    location_ = location;
    player_.reset();
    if (loaded.Ok()) player_.emplace(std::move(loaded.movie));
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
}
void ControlModel::Back() {
    if (player_) player_->Back();
}
void ControlModel::Forward() {
    if (player_) player_->Forward();
}
void ControlModel::Rewind() {
    if (player_) player_->Rewind();
}
void ControlModel::GotoFrame(long frame) {
    if (player_) player_->GotoFrame(frame);
}
void ControlModel::Tick(std::chrono::microseconds elapsed) {
    if (player_) player_->Tick(elapsed);
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

}  // namespace flash
