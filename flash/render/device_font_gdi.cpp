// The system's fonts on Windows: GDI's font mapper chooses the face for a name (the generic
// names and names no installed font has go to Arial, Times New Roman or Courier New), and
// GetGlyphOutline gives each glyph's outline, which our rasteriser draws like any other.
// Characters the face lacks come from SimSun (宋体), the face Chinese Windows shows text in
// under code page 936.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <tuple>
#include <vector>
#include <string>

#include "flash/render/device_font.h"

namespace flash::render {

namespace {

// Glyphs are asked for at this many pixels per EM: outlines then keep their detail.
constexpr int kEmPixels = 1024;

const char* GenericFace(GenericFamily family) {
    switch (family) {
        case GenericFamily::Serif:
            return "Times New Roman";
        case GenericFamily::Typewriter:
            return "Courier New";
        case GenericFamily::Sans:
            break;
    }
    return "Arial";
}

// The movie's UTF-8 name in the ANSI code page, the way the ...A font calls take it.
std::string ToAnsi(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return {};
    std::string ansi(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr, nullptr);
    return ansi;
}

int CALLBACK FoundFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(HDC dc, const std::string& face) {
    if (face.empty() || face.size() >= LF_FACESIZE || face[0] == '_') return false;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, face.size());
    bool found = false;
    EnumFontFamiliesExA(dc, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

double Fixed(const FIXED& f) {
    return f.value + f.fract / 65536.0;
}

class GdiSource final : public DeviceFontSource {
public:
    GdiSource() : dc_(CreateCompatibleDC(nullptr)) {}
    ~GdiSource() override {
        for (auto& [key, font] : fonts_) DeleteObject(font);
        if (dc_ != nullptr) DeleteDC(dc_);
    }

    bool Metrics(const FaceRequest& face, FaceMetrics& out) override {
        std::lock_guard lock(mutex_);
        HFONT font = FontFor(face, false);
        if (font == nullptr) return false;
        const HGDIOBJ old = SelectObject(dc_, font);
        TEXTMETRICA tm{};
        const bool ok = GetTextMetricsA(dc_, &tm) != FALSE;
        SelectObject(dc_, old);
        if (!ok) return false;
        const double s = kDeviceEmSquare / kEmPixels;
        out = {tm.tmAscent * s, tm.tmDescent * s, tm.tmExternalLeading * s};
        return true;
    }

    bool Glyph(const FaceRequest& face, char32_t code, Shape& shape, double& advance) override {
        std::lock_guard lock(mutex_);
        if (code > 0xFFFF) return false;  // beyond what one UTF-16 unit names
        for (bool fallback : {false, true}) {
            HFONT font = FontFor(face, fallback);
            if (font != nullptr && Outline(font, static_cast<wchar_t>(code), shape, advance))
                return true;
        }
        return false;
    }

private:
    // The face's font, or with `fallback` the Chinese face in the same style.
    HFONT FontFor(const FaceRequest& face, bool fallback) {
        const auto key = std::tuple{fallback ? std::string() : face.name, face.bold, face.italic};
        if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
        if (dc_ == nullptr) return nullptr;
        std::string name = ToAnsi(face.name);
        if (fallback) {
            name = "SimSun";
        } else if (!Installed(dc_, name)) {
            name = GenericFace(face.family);
        }
        LOGFONTA lf{};
        lf.lfHeight = -kEmPixels;
        lf.lfWeight = face.bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = face.italic;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        lf.lfQuality = ANTIALIASED_QUALITY;
        name.copy(lf.lfFaceName, std::min<std::size_t>(name.size(), LF_FACESIZE - 1));
        HFONT font = CreateFontIndirectA(&lf);
        fonts_.emplace(key, font);
        return font;
    }

    bool Outline(HFONT font, wchar_t ch, Shape& shape, double& advance) {
        const HGDIOBJ old = SelectObject(dc_, font);
        WORD index = 0;
        const bool has = GetGlyphIndicesW(dc_, &ch, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
                         index != 0xFFFF;
        GLYPHMETRICS gm{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        const UINT format = GGO_NATIVE | GGO_UNHINTED;
        const DWORD size =
            has ? GetGlyphOutlineW(dc_, ch, format, &gm, 0, nullptr, &identity) : GDI_ERROR;
        bool ok = size != GDI_ERROR;
        std::vector<std::uint8_t> buffer(ok ? size : 0);
        if (ok && size > 0)
            ok =
                GetGlyphOutlineW(dc_, ch, format, &gm, size, buffer.data(), &identity) != GDI_ERROR;
        SelectObject(dc_, old);
        if (!ok) return false;
        OutlineBuilder b(kEmPixels);
        std::size_t at = 0;
        while (at + sizeof(TTPOLYGONHEADER) <= buffer.size()) {
            TTPOLYGONHEADER header;
            std::memcpy(&header, buffer.data() + at, sizeof header);
            const std::size_t end = std::min<std::size_t>(at + header.cb, buffer.size());
            if (header.cb < sizeof header) break;
            double x = Fixed(header.pfxStart.x), y = Fixed(header.pfxStart.y);
            b.MoveTo(x, y);
            std::size_t c = at + sizeof header;
            while (c + 4 <= end) {
                WORD type = 0, count = 0;
                std::memcpy(&type, buffer.data() + c, 2);
                std::memcpy(&count, buffer.data() + c + 2, 2);
                const std::size_t points = c + 4;
                if (points + count * sizeof(POINTFX) > end) break;
                auto point = [&](std::size_t i) {
                    POINTFX p;
                    std::memcpy(&p, buffer.data() + points + i * sizeof p, sizeof p);
                    return std::pair{Fixed(p.x), Fixed(p.y)};
                };
                if (type == TT_PRIM_LINE) {
                    for (std::size_t i = 0; i < count; ++i) {
                        std::tie(x, y) = point(i);
                        b.LineTo(x, y);
                    }
                } else if (type == TT_PRIM_QSPLINE) {
                    // B-spline: every point but the last is a control point, and the curve
                    // passes through the midpoints between controls.
                    for (std::size_t i = 0; i + 1 < count; ++i) {
                        const auto [cx, cy] = point(i);
                        auto [nx, ny] = point(i + 1);
                        if (i + 2 < count) {
                            nx = (cx + nx) / 2;
                            ny = (cy + ny) / 2;
                        }
                        b.QuadTo(cx, cy, nx, ny);
                        x = nx;
                        y = ny;
                    }
                } else if (type == TT_PRIM_CSPLINE) {
                    for (std::size_t i = 0; i + 2 < count; i += 3) {
                        const auto [c1x, c1y] = point(i);
                        const auto [c2x, c2y] = point(i + 1);
                        std::tie(x, y) = point(i + 2);
                        b.CubicTo(c1x, c1y, c2x, c2y, x, y);
                    }
                }
                c = points + count * sizeof(POINTFX);
            }
            b.Close();
            at = end;
        }
        shape = b.Finish();
        advance = gm.gmCellIncX * kDeviceEmSquare / kEmPixels;
        return true;
    }

    std::mutex mutex_;
    HDC dc_;
    std::map<std::tuple<std::string, bool, bool>, HFONT> fonts_;
};

}  // namespace

DeviceFontSource& SystemFontSource() {
    static GdiSource source;
    return source;
}

}  // namespace flash::render
