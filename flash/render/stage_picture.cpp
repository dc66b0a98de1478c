#include "flash/render/stage_picture.h"

namespace flash::render {

StagePicture::Key StagePicture::KeyOf(const ControlModel& model, int width, int height) {
    const Player* player = model.Playing();
    return {model.MovieGeneration(),
            player ? player->DisplayVersion() : 0,
            width,
            height,
            model.Scale(),
            model.BackgroundColorref()};
}

bool StagePicture::Stale(const ControlModel& model, int width, int height) const {
    return !last_ || !(*last_ == KeyOf(model, width, height));
}

bool StagePicture::Update(const ControlModel& model, Surface& surface) {
    const Key key = KeyOf(model, surface.Width(), surface.Height());
    if (last_ && *last_ == key) return false;
    const std::uint32_t c = key.background;
    const Rgb background{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c >> 16)};
    const Player* player = model.Playing();
    if (player == nullptr) {
        drawer_.reset();
        renderer_.BeginFrame(surface, MakeStageView(key.mode, key.width, key.height, Rect{}),
                             background);
        renderer_.EndFrame();
    } else {
        if (!drawer_ || drawerMovie_ != key.movie) {
            drawer_ = std::make_unique<StageDrawer>(player->GetMovie());
            drawerMovie_ = key.movie;
        }
        drawer_->Draw(*player, renderer_, surface, key.mode, background);
    }
    last_ = key;
    return true;
}

}  // namespace flash::render
