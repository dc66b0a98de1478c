#include "tooltip/draw_manager.h"

#include <algorithm>
#include <vector>

#include "win/unique_handle.h"

namespace tooltip {

namespace {

// Textures larger than this many pixels are filled in the begin colour instead: a palette
// picture of the whole area is made at once, and a rectangle from mark-up may be huge.
constexpr long long kMaxTexturePixels = 16LL * 1024 * 1024;

using UniqueHpen =
    win::UniqueAny<win::detail::NullTraits<HPEN, win::detail::DeleteGdiObject<HPEN>>>;

struct PaletteInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

int PenStyleOf(PenKind pen) {
    switch (pen) {
        case PenKind::Dash:
            return PS_DASH;
        case PenKind::Dot:
            return PS_DOT;
        case PenKind::DashDot:
            return PS_DASHDOT;
        case PenKind::DashDotDot:
            return PS_DASHDOTDOT;
        case PenKind::Solid:
            break;
    }
    return PS_SOLID;
}

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

void FillBackground(HDC dc, int code, const RECT& r, COLORREF begin, COLORREF middle, COLORREF end,
                    int granularity, int blendPercent, RandomSource& random) {
    const Rect area = ToRect(r);
    if (area.Empty()) return;
    const long long pixels = static_cast<long long>(area.Width()) * area.Height();
    if (IsTextureEffect(code) && pixels <= kMaxTexturePixels) {
        const PaletteImage img = MakeTexture(code, area.Width(), area.Height(), begin, middle, end,
                                             granularity, blendPercent, random);
        PaletteInfo info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = img.width;
        info.header.biHeight = img.height;  // bottom-up, as the picture is stored
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            info.colours[i] = {static_cast<BYTE>(BlueOf(img.palette[i])),
                               static_cast<BYTE>(GreenOf(img.palette[i])),
                               static_cast<BYTE>(RedOf(img.palette[i])), 0};
        }
        SetDIBitsToDevice(dc, area.left, area.top, img.width, img.height, 0, 0, 0, img.height,
                          img.bits.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                          DIB_RGB_COLORS);
        return;
    }
    const int solidCode = IsTextureEffect(code) ? effect::kSolid : code;
    for (const Band& band : PlanSolidFill(solidCode, area, begin, middle, end)) {
        win::UniqueHbrush brush(CreateSolidBrush(band.colour));
        const RECT br{band.rect.left, band.rect.top, band.rect.right, band.rect.bottom};
        FillRect(dc, &br, brush.get());
    }
}

Picture ReadPicture(HDC dc, int x, int y, int width, int height) {
    Picture picture(width, height);
    if (picture.pixels.empty()) return picture;
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    win::UniqueHbitmap dib(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::UniqueHdc mem(CreateCompatibleDC(dc));
    if (!dib || !mem) return Picture();
    const HGDIOBJ old = SelectObject(mem.get(), dib.get());
    BitBlt(mem.get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = p[i] & 0xFFFFFF;
    SelectObject(mem.get(), old);
    return picture;
}

void WritePicture(HDC dc, int x, int y, const Picture& picture) {
    if (picture.pixels.empty()) return;
    BITMAPINFO info = TopDown32(picture.width, picture.height);
    SetDIBitsToDevice(dc, x, y, picture.width, picture.height, 0, 0, 0, picture.height,
                      picture.pixels.data(), &info, DIB_RGB_COLORS);
}

Picture ReadBitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || GetObjectA(bitmap, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0) {
        return Picture();
    }
    Picture picture(bm.bmWidth, bm.bmHeight);
    BITMAPINFO info = TopDown32(bm.bmWidth, bm.bmHeight);
    win::UniqueHdc screen(CreateCompatibleDC(nullptr));
    if (GetDIBits(screen.get(), bitmap, 0, bm.bmHeight, picture.pixels.data(), &info,
                  DIB_RGB_COLORS) == 0) {
        return Picture();
    }
    for (std::uint32_t& p : picture.pixels) p &= 0xFFFFFF;
    return picture;
}

bool BlendPicture(HDC destination, const RECT& r, HDC source, POINT srcOrigin, int opacity) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || opacity <= 0) return true;
    if (opacity >= 100) {
        return BitBlt(destination, r.left, r.top, w, h, source, srcOrigin.x, srcOrigin.y,
                      SRCCOPY) != FALSE;
    }
    const Picture src = ReadPicture(source, srcOrigin.x, srcOrigin.y, w, h);
    Picture dst = ReadPicture(destination, r.left, r.top, w, h);
    if (src.pixels.empty() || dst.pixels.empty()) return false;
    BlendPixels(dst.pixels, src.pixels, opacity);
    WritePicture(destination, r.left, r.top, dst);
    return true;
}

bool CastShadow(HDC dc, int x, int y, int width, int height, HBITMAP mask, bool soft, int depthX,
                int depthY) {
    if (width <= 0 || height <= 0) return false;
    const Picture stored = ReadBitmap(mask);
    if (stored.pixels.empty()) return false;
    // The mask as large as the area; what it does not cover is white (no shadow).
    Picture m(width, height, 0xFFFFFF);
    for (int yy = 0; yy < std::min(height, stored.height); ++yy) {
        for (int xx = 0; xx < std::min(width, stored.width); ++xx) m.At(xx, yy) = stored.At(xx, yy);
    }
    Picture area = ReadPicture(dc, x, y, width, height);
    if (area.pixels.empty()) return false;
    if (soft) {
        ApplySoftShadow(area, m, depthX, depthY);
    } else {
        ApplyHardShadow(area.pixels, m.pixels);
    }
    WritePicture(dc, x, y, area);
    return true;
}

void DrawStrokes(HDC dc, const std::vector<Stroke>& strokes) {
    for (const Stroke& s : strokes) {
        if (s.points.size() < 2) continue;
        UniqueHpen pen(CreatePen(PenStyleOf(s.pen), s.width, s.colour));
        const HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, s.points[0].x, s.points[0].y, nullptr);
        for (std::size_t i = 1; i < s.points.size(); ++i) LineTo(dc, s.points[i].x, s.points[i].y);
        SelectObject(dc, old);
    }
}

void DrawStyledLine(HDC dc, POINT a, POINT b, COLORREF colour, int style, int width) {
    DrawStrokes(dc, StyledLineStrokes({a.x, a.y}, {b.x, b.y}, colour, style, width));
}

void DrawStyledFrame(HDC dc, const RECT& r, COLORREF first, COLORREF second, int style, int width) {
    DrawStrokes(dc, StyledFrameStrokes(ToRect(r), first, second, style, width));
}

}  // namespace tooltip
