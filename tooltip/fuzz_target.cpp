#include "tooltip/fuzz_target.h"

#include <string>
#include <string_view>

#include "tooltip/fixed_metrics.h"

namespace tooltip {

namespace {

// Counts what it is told, so nothing it is given goes unread.
class CountingHost final : public LinkHost {
public:
    void HotLinkChanged(int index) override { sum_ += static_cast<unsigned>(index); }
    void SetHandCursor() override { ++sum_; }
    void OpenTarget(const std::string& t) override { Touch(t); }
    void SendLinkMessage(const std::string& t) override { Touch(t); }
    unsigned sum_ = 0;

private:
    void Touch(const std::string& t) {
        for (char c : t) sum_ += static_cast<unsigned char>(c);
    }
};

}  // namespace

void FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    const std::uint8_t settings = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    MarkupEngine engine([](int index) { return Rgb(index * 10, 255 - index, index); });
    engine.Settings().newLineMode = (settings & 1) != 0;
    engine.Settings().enabled = (settings & 2) != 0;
    engine.Settings().maxWidth = (settings >> 2) * 8;
    if (const std::size_t split = text.find('\x01'); split != std::string_view::npos) {
        engine.SetStyleSheet(text.substr(0, split));
        text.remove_prefix(split + 1);
    }

    FixedMetricsDevice device;
    device.images = [](const ImageRef& ref) -> std::optional<Size> {
        if (ref.source == ImageRef::Source::None || ref.source == ImageRef::Source::ImageList) {
            return std::nullopt;
        }
        return Size{ref.id % 64 + 1 + static_cast<int>(ref.path.size()), ref.id % 32 + 1};
    };
    device.strings = [](const StringRef& ref) { return std::string(ref.id % 7, 'w') + " s"; };

    const Size size2 = engine.MeasureText(device, text);
    engine.RenderText(device, {2, 3, 2 + size2.cx, 3 + size2.cy});
    CountingHost host;
    const std::vector<LinkArea> areas = engine.LinkAreas();
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const LinkArea& a = areas[i];
        engine.UpdateHotLink({a.area.right, a.area.bottom}, host);
        // A paint in the hot style for the first few; the rest only hover and follow.
        if (i < 3) engine.RenderText(device, {2, 3, 2 + size2.cx + 40, 3 + size2.cy});
        engine.FollowLinkAt({a.area.left, a.area.top}, host);
    }
    engine.UpdateHotLink({-100, -100}, host);
    for (int i = 0; i < 12; ++i) {
        if (engine.StepAnimations()) engine.RenderText(device, {0, 0, size2.cx, size2.cy});
    }
}

}  // namespace tooltip
