// The mark-up drawer's core, without <windows.h>: it turns a tooltip text into a measured
// layout (lines of runs and objects, tables of cells) over a device that measures text, and
// draws that layout through a painter. The GDI side (markup_drawer.h) supplies both, the
// natives tests a fake with fixed metrics.
//
// The measure pass breaks lines and records them; the draw pass only places what the measure
// pass recorded (alignment, justification, table columns widened to the space given), so a
// paint never breaks lines again. A hyperlink's runs carry both their normal and their hot
// style, so the hot one can change at paint time without a new measure.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tooltip/colour.h"
#include "tooltip/markup_style.h"
#include "tooltip/markup_text.h"
#include "tooltip/pixel_effects.h"

namespace tooltip {

struct FontMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
};

// Where an image of a "bmp", "icon" or "ilst" tag comes from.
struct ImageRef {
    enum class Source { None, Resource, File, Module, Handle, ImageList };
    int tagCode = 0;  // tag::kBitmap, tag::kIcon or tag::kImageList
    Source source = Source::None;
    int id = 0;        // resource identifier, or the image list index
    std::string path;  // file, or the module of a Module source
    std::uintptr_t handle = 0;
};

// Where the text of a "string" tag comes from: the application, or a module.
struct StringRef {
    int id = 0;
    std::string module;  // empty for the application's own strings
};

// The picture of a table's "background" attribute.
struct BackgroundPicture {
    enum class Source { Resource, Module, File };
    Source source = Source::Resource;
    int id = 0;
    std::string path;
};
// "idres:12", "iddll:3" or "file:C:\pic.bmp"; empty for anything else.
std::optional<BackgroundPicture> ParseBackgroundPicture(std::string_view value);

// What measuring needs from a device context.
class MarkupDevice : public StyleEnvironment {
public:
    // Later calls measure with the font of this style.
    virtual void UseFont(const TextStyle& style) = 0;
    virtual FontMetrics Metrics() = 0;
    virtual Size Extent(std::string_view text) = 0;
    // The natural size of an image; empty when it cannot be loaded.
    virtual std::optional<Size> ImageSize(const ImageRef& image) = 0;
    virtual std::string LoadResourceString(const StringRef& ref) = 0;
};

// How an image is drawn.
struct ImageDraw {
    Rect rect;      // the display rectangle, shadow not included
    int frame = 0;  // the frame of a strip of frameCount frames side by side
    int frameCount = 1;
    Size frameSize;         // natural size of one frame
    unsigned recolour = 0;  // recolour:: flags
    Colour single = 0;      // the colour of recolour::kSingle
    std::optional<Colour> transparent;
    bool shadow = false;
    bool softShadow = true;
    Point shadowOffset;
    Size shadowDepth;
    int shadowDarkness = 50;  // percent
};

// What drawing needs beyond measuring.
class MarkupPainter : public MarkupDevice {
public:
    // Text at its top-left corner in the style's font, colours and background; justifyExtra
    // pixels are spread over the run's justifyBreaks blanks.
    virtual void DrawRun(Point topLeft, std::string_view text, const TextStyle& style,
                         int justifyExtra, int justifyBreaks) = 0;
    virtual void DrawStrokes(const std::vector<Stroke>& strokes) = 0;
    virtual void FillEffect(Rect r, int effectCode, Colour begin, Colour middle, Colour end,
                            int granularity, int blendPercent) = 0;
    virtual void TilePicture(Rect r, const BackgroundPicture& picture) = 0;
    virtual void DrawImage(const ImageRef& image, const ImageDraw& how) = 0;
};

// What following and hovering hyperlinks does outside the drawer.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    virtual void HotLinkChanged(int index) = 0;
    virtual void SetHandCursor() = 0;
    virtual void OpenTarget(const std::string& target) = 0;     // an "href" link
    virtual void SendLinkMessage(const std::string& text) = 0;  // a "msg" link
};

struct DrawerSettings {
    int maxWidth = 0;  // 0: lines are not wrapped
    bool newLineMode = true;
    bool enabled = true;
    Colour disabledColour = Rgb(128, 128, 128);
    int tabSize = 32;
    Point imageShadowOffset{4, 4};
    Size imageShadowDepth{7, 7};
    int imageShadowDarkness = 50;
    bool imageShadowSoft = true;
};

// One laid-out line, as the measure pass closes it.
struct LineRecord {
    int width = 0;    // pixels used
    int height = 0;   // the whole line
    int depth = 0;    // below the baseline
    int percent = 0;  // width given as a share of the space a paint has
    HAlign align = HAlign::Left;
    int blanks = 0;
    bool wrapped = false;  // ended because the text did not fit
};

// A hyperlink's area on the last paint; left, top, right and bottom are all inside it.
struct LinkArea {
    Rect area;
    int kind = 0;  // 1 a target to open, 2 a text to send
    int index = 0;
    std::string target;
};

struct AnimationRecord {
    int frame = 0;
    int frameCount = 0;
    int ticks = 0;
    int ticksPerFrame = 0;
};

constexpr int kNoHotLink = -2;

class MarkupEngine {
public:
    explicit MarkupEngine(const ColourTable::SystemColours& systemColours);
    ~MarkupEngine();
    MarkupEngine(const MarkupEngine&) = delete;
    MarkupEngine& operator=(const MarkupEngine&) = delete;

    DrawerSettings& Settings() { return settings_; }
    const ColourTable& Colours() const { return colours_; }
    void SetStyleSheet(std::string_view text) { sheet_.SetText(text); }

    // Prepares and lays out the text; the size used plus 1 in each direction (the width
    // limited to the maximum width when one is set). An empty text gives 0 x 0; a text that
    // lays out to nothing is cleared and gives 1 x 1.
    Size MeasureText(MarkupDevice& device, std::string_view text);
    // Draws the last measured layout into r and records the hyperlink areas.
    void RenderText(MarkupPainter& painter, Rect r);

    // The first hyperlink area (in drawing order) that contains the point, edges included.
    const LinkArea* LinkAt(Point p) const;
    // Makes the hyperlink under the point the hot one (kNoHotLink when there is none), telling
    // the host on a change; true, with the hand cursor set, when its target is not empty.
    bool UpdateHotLink(Point p, LinkHost& host);
    // Follows the hyperlink under the point, if any.
    void FollowLinkAt(Point p, LinkHost& host);
    int HotLink() const { return hot_; }

    // One animation tick; true when a frame changed.
    bool StepAnimations();

    // The lines of the last measure outside tables, in order.
    const std::vector<LineRecord>& Lines() const { return lineRecords_; }
    const std::vector<LinkArea>& LinkAreas() const { return areas_; }
    const std::vector<AnimationRecord>& Animations() const { return animations_; }

    struct Block;  // the layout (markup_layout.cpp)

private:
    friend class LayoutBuilder;
    friend class LayoutPainter;

    DrawerSettings settings_;
    ColourTable colours_;
    StyleSheet sheet_;
    std::unique_ptr<Block> layout_;
    std::vector<LinkArea> areas_;
    std::vector<AnimationRecord> animations_;
    struct LinkTarget {
        int kind = 0;
        std::string target;
    };
    std::vector<LinkTarget> links_;
    std::vector<LineRecord> lineRecords_;
    int hot_ = kNoHotLink;
};

}  // namespace tooltip
