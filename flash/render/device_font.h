// Device fonts: text fields that do not use embedded outlines (or whose font carries no
// glyphs) are drawn with the system's fonts. The system is reached through one interface,
// DeviceFontSource, which gives a face's metrics and a glyph's outline; GDI serves it on
// Windows and stb_truetype over Debian's fonts natively. DeviceFonts turns what the source
// gives into Fonts, glyph by glyph as text needs them, so the layout and the drawer treat
// device text exactly like embedded text and one rasteriser draws both.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "flash/render/font_text.h"

namespace flash::render {

// Units per EM square of device font glyphs: fine enough that outlines keep their shape in
// the edges' whole units.
inline constexpr double kDeviceEmSquare = 20480;

// The three generic families Flash names (`_sans`, `_serif`, `_typewriter`); every other name
// is placed in the family it most likely belongs to, sans-serif when nothing says otherwise.
enum class GenericFamily : std::uint8_t { Sans, Serif, Typewriter };
GenericFamily FamilyOf(std::string_view fontName);

struct FaceRequest {
    std::string name;  // as the movie gives it (UTF-8)
    GenericFamily family = GenericFamily::Sans;
    bool bold = false;
    bool italic = false;
    auto Key() const { return std::tie(name, bold, italic); }
};

// A face's vertical metrics in units of kDeviceEmSquare.
struct FaceMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;
};

// Collects an outline given in a font's own units (y up, as fonts store it) as edges in
// units of kDeviceEmSquare with y down, filled on their right under the non-zero rule.
class OutlineBuilder {
public:
    explicit OutlineBuilder(double unitsPerEm) : scale_(kDeviceEmSquare / unitsPerEm) {}
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void QuadTo(double cx, double cy, double x, double y);
    // A cubic segment, split into quadratic ones.
    void CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    void Close();
    // The glyph shape (one solid fill, non-zero winding); the builder is left empty.
    Shape Finish();

private:
    std::int32_t X(double x) const;
    std::int32_t Y(double y) const;
    double scale_;
    double startX_ = 0, startY_ = 0, x_ = 0, y_ = 0;
    bool open_ = false;
    std::vector<Edge> edges_;
};

class DeviceFontSource {
public:
    virtual ~DeviceFontSource() = default;
    // The metrics of the face standing for the request; false when the system has no font.
    virtual bool Metrics(const FaceRequest& face, FaceMetrics& out) = 0;
    // The glyph of `code` in the face standing for the request, or in a fallback face that
    // has it (CJK text in a Latin face). On success `shape` holds the outline (see
    // OutlineBuilder) and `advance` the advance in units of kDeviceEmSquare; on failure both
    // are unchanged.
    virtual bool Glyph(const FaceRequest& face, char32_t code, Shape& shape, double& advance) = 0;
};

// The system's font source: GDI on Windows, Debian's fonts natively. Shared by every drawer
// in the process and safe to use from several threads.
DeviceFontSource& SystemFontSource();

// Fonts built from a source, one per name and style, their glyphs added on first use.
class DeviceFonts {
public:
    explicit DeviceFonts(DeviceFontSource& source) : source_(source) {}
    // The font for the name and style; null when the system has no font at all.
    const Font* Face(const std::string& name, bool bold, bool italic);
    // The glyph of `code` in `font` (a font this object returned), added when first asked
    // for; -1 when no system font has it.
    int Glyph(const Font& font, char32_t code);

private:
    struct Entry {
        FaceRequest request;
        Font font;
        // Every code asked for, with its glyph (-1: no face has it).
        std::unordered_map<char32_t, int> glyphs;
    };
    DeviceFontSource& source_;
    std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<Entry>> faces_;
};

}  // namespace flash::render
