#include "tooltip/markup_drawer.h"

#include <shellapi.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "base/ansi_text.h"
#include "tooltip/draw_manager.h"
#include "win/unique_handle.h"

namespace tooltip {

static_assert(syscolour::kBtnShadow == COLOR_BTNSHADOW && syscolour::kInfoBk == COLOR_INFOBK &&
              syscolour::k3dDkShadow == COLOR_3DDKSHADOW &&
              syscolour::kScrollBar == COLOR_SCROLLBAR &&
              syscolour::kInactiveCaptionText == COLOR_INACTIVECAPTIONTEXT);

namespace {

// An image loaded for one measure or paint; a handle given in the mark-up is not ours to free.
struct LoadedImage {
    win::UniqueHbitmap ownedBitmap;
    win::UniqueHicon ownedIcon;
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
    Size size;
};

HMODULE LoadDataModule(const std::string& path) {
    if (path.empty()) return nullptr;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

std::optional<LoadedImage> LoadImageRef(const ImageRef& ref) {
    const bool icon = ref.tagCode == tag::kIcon;
    const UINT type = icon ? IMAGE_ICON : IMAGE_BITMAP;
    const UINT flags = icon ? LR_DEFAULTSIZE : LR_CREATEDIBSECTION;
    HANDLE loaded = nullptr;
    LoadedImage img;
    switch (ref.source) {
        case ImageRef::Source::Resource:
            loaded =
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ref.id), type, 0, 0, flags);
            break;
        case ImageRef::Source::File:
            loaded = LoadImageA(nullptr, ref.path.c_str(), type, 0, 0, flags | LR_LOADFROMFILE);
            break;
        case ImageRef::Source::Module: {
            win::UniqueHmodule module(LoadDataModule(ref.path));
            if (module) {
                loaded = LoadImageA(module.get(), MAKEINTRESOURCEA(ref.id), type, 0, 0, flags);
            }
            break;
        }
        case ImageRef::Source::Handle:
            if (icon) {
                img.icon = reinterpret_cast<HICON>(ref.handle);
            } else {
                img.bitmap = reinterpret_cast<HBITMAP>(ref.handle);
            }
            break;
        case ImageRef::Source::None:
        case ImageRef::Source::ImageList:
            return std::nullopt;  // this system sets no image list
    }
    if (loaded) {
        if (icon) {
            img.ownedIcon.reset(static_cast<HICON>(loaded));
            img.icon = img.ownedIcon.get();
        } else {
            img.ownedBitmap.reset(static_cast<HBITMAP>(loaded));
            img.bitmap = img.ownedBitmap.get();
        }
    }
    if (icon) {
        ICONINFO info{};
        if (!img.icon || !GetIconInfo(img.icon, &info)) return std::nullopt;
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        img.size = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
        return img;
    }
    BITMAP bm{};
    if (!img.bitmap || GetObjectA(img.bitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0) {
        return std::nullopt;
    }
    img.size = {bm.bmWidth, std::abs(bm.bmHeight)};
    return img;
}

std::optional<win::UniqueHbitmap> LoadBackground(const BackgroundPicture& p) {
    HANDLE h = nullptr;
    if (p.source == BackgroundPicture::Source::File) {
        h = LoadImageA(nullptr, p.path.c_str(), IMAGE_BITMAP, 0, 0,
                       LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    } else {
        // The program's own resources serve both the application and its resource module.
        h = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.id), IMAGE_BITMAP, 0, 0,
                       LR_CREATEDIBSECTION);
    }
    if (!h) return std::nullopt;
    return win::UniqueHbitmap(static_cast<HBITMAP>(h));
}

// The image's pixels at the display size, and which of them are drawn.
struct ImagePixels {
    Picture colours;
    std::vector<char> opaque;
};

ImagePixels RenderImage(HDC dc, const LoadedImage& img, const ImageDraw& how, int w, int h) {
    ImagePixels out;
    constexpr std::uint32_t kKey = 0xFF00FF;  // icons are drawn over this and read back
    win::UniqueHdc mem(CreateCompatibleDC(dc));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win::UniqueHbitmap dib(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib) return out;
    const HGDIOBJ oldDib = SelectObject(mem.get(), dib.get());
    auto* p = static_cast<std::uint32_t*>(bits);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    if (img.icon) {
        std::fill(p, p + n, kKey);
        DrawIconEx(mem.get(), 0, 0, img.icon, w, h, 0, nullptr, DI_NORMAL);
    } else {
        win::UniqueHdc src(CreateCompatibleDC(dc));
        const HGDIOBJ oldSrc = SelectObject(src.get(), img.bitmap);
        const int frameW = how.frameSize.cx > 0 ? how.frameSize.cx : img.size.cx;
        const int frameH = how.frameSize.cy > 0 ? how.frameSize.cy : img.size.cy;
        SetStretchBltMode(mem.get(), COLORONCOLOR);
        StretchBlt(mem.get(), 0, 0, w, h, src.get(), how.frame * frameW, 0, frameW, frameH,
                   SRCCOPY);
        SelectObject(src.get(), oldSrc);
    }
    GdiFlush();
    out.colours = Picture(w, h);
    out.opaque.assign(n, 1);
    const bool keyed = img.icon || how.transparent;
    const std::uint32_t key = img.icon ? kKey : PixelOf(how.transparent.value_or(0));
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t px = p[i] & 0xFFFFFF;
        out.colours.pixels[i] = px;
        if (keyed && px == key) out.opaque[i] = 0;
    }
    SelectObject(mem.get(), oldDib);
    return out;
}

// A measuring and drawing device over one device context, for one measure or paint. It keeps
// the fonts it makes and gives the device context back as it found it.
class GdiDevice final : public MarkupPainter {
public:
    explicit GdiDevice(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {
        SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    }
    ~GdiDevice() override {
        SetTextJustification(dc_, 0, 0);
        RestoreDC(dc_, saved_);
        const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
        for (auto& f : fonts_) {
            if (f.second != stock) DeleteObject(f.second);
        }
    }
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    int Dpi() override { return GetDeviceCaps(dc_, LOGPIXELSY); }
    int XHeight(const TextStyle& style) override {
        UseFont(style);
        GLYPHMETRICS gm{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        if (GetGlyphOutlineA(dc_, 'x', GGO_METRICS, &gm, 0, nullptr, &identity) != GDI_ERROR &&
            gm.gmBlackBoxY > 0) {
            return static_cast<int>(gm.gmBlackBoxY);
        }
        return Metrics().ascent / 2;
    }
    void UseFont(const TextStyle& style) override {
        if (current_ && current_->SameFont(style)) return;
        for (auto& f : fonts_) {
            if (f.first.SameFont(style)) {
                SelectObject(dc_, f.second);
                current_ = &f.first;
                return;
            }
        }
        LOGFONTA lf{};
        lf.lfHeight = style.fontHeight;
        lf.lfWeight = std::clamp(style.weight, 0, 1000);
        lf.lfItalic = style.italic;
        lf.lfUnderline = style.underline;
        lf.lfStrikeOut = style.strikeout;
        lf.lfCharSet = DEFAULT_CHARSET;
        // The face name is cut to fit, never inside a double-byte character.
        std::string_view face = style.face;
        std::size_t cut = 0;
        while (cut < face.size() && cut + base::CharLength(face, cut) < LF_FACESIZE) {
            cut += base::CharLength(face, cut);
        }
        std::copy_n(face.data(), cut, lf.lfFaceName);
        HFONT font = CreateFontIndirectA(&lf);
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        fonts_.emplace_back(style, font);  // a deque: entries never move
        SelectObject(dc_, font);
        current_ = &fonts_.back().first;
    }
    FontMetrics Metrics() override {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        return {tm.tmHeight, tm.tmAscent};
    }
    Size Extent(std::string_view text) override {
        SIZE s{};
        GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &s);
        return {s.cx, s.cy};
    }
    std::optional<Size> ImageSize(const ImageRef& ref) override {
        const std::optional<LoadedImage> img = LoadImageRef(ref);
        if (!img) return std::nullopt;
        return img->size;
    }
    std::string LoadResourceString(const StringRef& ref) override {
        win::UniqueHmodule module;
        HMODULE from = GetModuleHandleA(nullptr);
        if (!ref.module.empty()) {
            module.reset(LoadDataModule(ref.module));
            if (!module) return {};
            from = module.get();
        }
        char buffer[4096];
        const int n = LoadStringA(from, static_cast<UINT>(ref.id), buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, n) : std::string();
    }

    void DrawRun(Point at, std::string_view text, const TextStyle& style, int extra,
                 int breaks) override {
        UseFont(style);
        SetTextColor(dc_, style.textColour);
        SetBkMode(dc_, style.opaqueBackground ? OPAQUE : TRANSPARENT);
        SetBkColor(dc_, style.backgroundColour);
        SetTextJustification(dc_, breaks > 0 ? extra : 0, breaks > 0 ? breaks : 0);
        TextOutA(dc_, at.x, at.y, text.data(), static_cast<int>(text.size()));
        if (breaks > 0) SetTextJustification(dc_, 0, 0);
    }
    void DrawStrokes(const std::vector<Stroke>& strokes) override {
        tooltip::DrawStrokes(dc_, strokes);
    }
    void FillEffect(Rect r, int code, Colour begin, Colour middle, Colour end, int granularity,
                    int blend) override {
        FillBackground(dc_, code, RECT{r.left, r.top, r.right, r.bottom}, begin, middle, end,
                       granularity, blend);
    }
    void TilePicture(Rect r, const BackgroundPicture& picture) override {
        const std::optional<win::UniqueHbitmap> bitmap = LoadBackground(picture);
        BITMAP bm{};
        if (!bitmap || GetObjectA(bitmap->get(), sizeof(bm), &bm) != sizeof(bm) ||
            bm.bmWidth <= 0 || bm.bmHeight == 0) {
            return;
        }
        const int bw = bm.bmWidth, bh = std::abs(bm.bmHeight);
        win::UniqueHdc src(CreateCompatibleDC(dc_));
        const HGDIOBJ old = SelectObject(src.get(), bitmap->get());
        for (int y = r.top; y < r.bottom; y += bh) {
            for (int x = r.left; x < r.right; x += bw) {
                BitBlt(dc_, x, y, std::min(bw, r.right - x), std::min(bh, r.bottom - y), src.get(),
                       0, 0, SRCCOPY);
            }
        }
        SelectObject(src.get(), old);
    }
    void DrawImage(const ImageRef& ref, const ImageDraw& how) override {
        const int w = how.rect.Width(), h = how.rect.Height();
        if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > 16LL * 1024 * 1024) return;
        const std::optional<LoadedImage> img = LoadImageRef(ref);
        if (!img) return;
        const ImagePixels image = RenderImage(dc_, *img, how, w, h);
        if (image.colours.pixels.empty()) return;
        // The area covers the image and, with a shadow, the image moved by the offset.
        const Point off = how.shadow ? how.shadowOffset : Point{0, 0};
        const int ax = how.rect.left + std::min(0, off.x), ay = how.rect.top + std::min(0, off.y);
        const int aw = w + std::abs(off.x), ah = h + std::abs(off.y);
        Picture area = ReadPicture(dc_, ax, ay, aw, ah);
        if (area.pixels.empty()) return;
        const int ix = how.rect.left - ax, iy = how.rect.top - ay;
        if (how.shadow) {
            const int grey = MulDiv(255, 100 - std::clamp(how.shadowDarkness, 0, 100), 100);
            const std::uint32_t g = static_cast<std::uint32_t>(grey);
            Picture mask(aw, ah, 0xFFFFFF);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    if (image.opaque[static_cast<std::size_t>(y) * w + x]) {
                        mask.At(ix + off.x + x, iy + off.y + y) = g << 16 | g << 8 | g;
                    }
                }
            }
            if (how.softShadow) {
                ApplySoftShadow(area, mask, how.shadowDepth.cx, how.shadowDepth.cy);
            } else {
                ApplyHardShadow(area.pixels, mask.pixels);
            }
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                if (!image.opaque[i]) continue;
                area.At(ix + x, iy + y) =
                    RecolourPixel(image.colours.pixels[i], how.recolour, how.single);
            }
        }
        WritePicture(dc_, ax, ay, area);
    }

private:
    HDC dc_;
    int saved_;
    std::deque<std::pair<TextStyle, HFONT>> fonts_;
    const TextStyle* current_ = nullptr;
};

}  // namespace

// ---- hyperlinks ---------------------------------------------------------------------------

bool OpenLinkTarget(const std::string& target) {
    const HINSTANCE result =
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) > 32) return true;
    // The program registered for web pages, with the target in place of its "%1".
    char progId[MAX_PATH] = {};
    LONG size = sizeof progId;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", progId, &size) != ERROR_SUCCESS) return false;
    const std::string key = std::string(progId) + "\\shell\\open\\command";
    char command[2048] = {};
    size = sizeof command;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), command, &size) != ERROR_SUCCESS ||
        command[0] == '\0') {
        return false;
    }
    const std::string line = HtmOpenCommand(command, target);
    return WinExec(line.c_str(), SW_SHOW) > 31;
}

class MarkupDrawer::Host final : public LinkHost {
public:
    explicit Host(MarkupDrawer& d) : d_(d) {}
    void HotLinkChanged(int index) override {
        if (d_.notifyWindow_ && d_.notifyMessage_) {
            SendMessageA(d_.notifyWindow_, d_.notifyMessage_, static_cast<WPARAM>(index),
                         d_.notifyParam_);
        }
    }
    void SetHandCursor() override {
        if (d_.hand_) SetCursor(d_.hand_);
    }
    void OpenTarget(const std::string& target) override {
        d_.FreeHandCursor();
        d_.LoadHandCursor();
        OpenLinkTarget(target);
    }
    void SendLinkMessage(const std::string& text) override {
        if (d_.notifyWindow_ && d_.notifyMessage_) {
            SendMessageA(d_.notifyWindow_, d_.notifyMessage_,
                         reinterpret_cast<WPARAM>(text.c_str()), d_.notifyParam_);
        }
    }

private:
    MarkupDrawer& d_;
};

MarkupDrawer::MarkupDrawer() : engine_([](int index) { return GetSysColor(index); }) {
    LoadHandCursor();
}

MarkupDrawer::~MarkupDrawer() {
    FreeHandCursor();
}

void MarkupDrawer::LoadHandCursor() {
    char folder[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        const std::string path = std::string(folder) + "\\winhlp32.exe";
        if (HMODULE help = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
            if (HCURSOR c = LoadCursorA(help, MAKEINTRESOURCEA(106))) {
                hand_ = static_cast<HCURSOR>(CopyIcon(c));
                handOwned_ = hand_ != nullptr;
            }
            FreeLibrary(help);
        }
    }
    // Windows without the help program (or a help program without that cursor) still has a
    // hand: the system's own.
    if (!hand_) {
        hand_ = LoadCursorA(nullptr, IDC_HAND);
        handOwned_ = false;
    }
}

void MarkupDrawer::FreeHandCursor() {
    if (hand_ && handOwned_) DestroyCursor(hand_);
    hand_ = nullptr;
    handOwned_ = false;
}

SIZE MarkupDrawer::MeasureText(HDC dc, std::string_view text) {
    GdiDevice device(dc);
    const Size s = engine_.MeasureText(device, text);
    return {s.cx, s.cy};
}

void MarkupDrawer::RenderText(HDC dc, const RECT& r) {
    GdiDevice device(dc);
    engine_.RenderText(device, {r.left, r.top, r.right, r.bottom});
}

void MarkupDrawer::FollowLinkAt(POINT p) {
    Host host(*this);
    engine_.FollowLinkAt({p.x, p.y}, host);
}

bool MarkupDrawer::UpdateHotLink(POINT p) {
    Host host(*this);
    return engine_.UpdateHotLink({p.x, p.y}, host);
}

void MarkupDrawer::SetHotLinkNotify(HWND window, UINT message, LPARAM param) {
    notifyWindow_ = window;
    notifyMessage_ = message;
    notifyParam_ = param;
}

}  // namespace tooltip
