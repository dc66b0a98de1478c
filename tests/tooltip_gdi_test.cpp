// The tooltips' GDI side under Wine, read back from the pixels: the draw manager's effects,
// blending, shadows and styled strokes; the mark-up drawer's text, images, device-context
// hygiene and hyperlinks (hot-link messages, the shell and the ".htm" fallback); and golden
// pictures of whole tooltips, kept in the build tree as PNG files for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

#include "tests/tooltip_harness.h"
#include "tooltip/draw_manager.h"
#include "tooltip/markup_drawer.h"
#include "tooltip/markup_seeds.h"

namespace {

using namespace tooltip_test;

// A 32-bit picture with a memory device context over it.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        dib_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        old_ = SelectObject(dc_, dib_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(dib_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    int Width() const { return w_; }
    int Height() const { return h_; }
    void Fill(COLORREF c) {
        GdiFlush();
        std::fill(bits_, bits_ + static_cast<std::size_t>(w_) * h_, PixelOf(c));
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        return ColourOfPixel(bits_[static_cast<std::size_t>(y) * w_ + x] & 0xFFFFFF);
    }
    // Pixels that are not the colour c.
    int CountNot(COLORREF c, RECT r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += At(x, y) != c;
        }
        return n;
    }
    std::vector<unsigned char> Rgb() const {
        GdiFlush();
        std::vector<unsigned char> out;
        out.reserve(static_cast<std::size_t>(w_) * h_ * 3);
        for (std::size_t i = 0; i < static_cast<std::size_t>(w_) * h_; ++i) {
            out.push_back(static_cast<unsigned char>(bits_[i] >> 16));
            out.push_back(static_cast<unsigned char>(bits_[i] >> 8));
            out.push_back(static_cast<unsigned char>(bits_[i]));
        }
        return out;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP dib_;
    HGDIOBJ old_;
    std::uint32_t* bits_;
};

// A bitmap of w x h in one colour, with an optional second colour in its left half.
HBITMAP MakeBitmap(int w, int h, COLORREF c, std::optional<COLORREF> left = std::nullopt) {
    Canvas canvas(w, h, c);
    if (left) {
        HBRUSH b = CreateSolidBrush(*left);
        const RECT r{0, 0, w / 2, h};
        FillRect(canvas.dc(), &r, b);
        DeleteObject(b);
    }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, canvas.dc(), 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return bitmap;
}

std::string HandleText(const void* handle) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(handle));
}

// --- the draw manager ------------------------------------------------------------------------

TEST(DrawManager, GradientsDrawTheirBandsOnTheDevice) {
    Canvas c(128, 20);
    const COLORREF a = RGB(0, 64, 255), b = RGB(255, 0, 1);
    FillBackground(c.dc(), effect::kHGradient, RECT{0, 0, 128, 20}, a, 0, b, 0, 0);
    EXPECT_EQ(c.At(0, 10), a);
    EXPECT_EQ(c.At(127, 19), RGB((0 + 63 * 255) / 64, (64 + 0) / 64, (255 + 63) / 64));
    // Ten pixels: only the ten bands of non-zero width, the first of them band 6.
    c.Fill(RGB(1, 2, 3));
    FillBackground(c.dc(), effect::kHGradient, RECT{5, 0, 15, 4}, a, 0, b, 0, 0);
    EXPECT_EQ(c.At(5, 0), RGB(255 * 6 / 64, 64 * 58 / 64, (255 * 58 + 6) / 64));
    EXPECT_EQ(c.At(4, 0), RGB(1, 2, 3));
    EXPECT_EQ(c.At(15, 0), RGB(1, 2, 3));
    c.Fill(RGB(1, 2, 3));
    FillBackground(c.dc(), effect::kSolid, RECT{0, 0, 3, 3}, a, 0, b, 0, 0);
    EXPECT_EQ(c.At(2, 2), a);
    EXPECT_EQ(c.At(3, 3), RGB(1, 2, 3));
}

TEST(DrawManager, TexturesArePalettePicturesDrawnBottomUp) {
    Canvas c(4, 4);
    ScriptedRandom random({0});
    const COLORREF begin = RGB(200, 0, 0), middle = RGB(0, 200, 0), end = RGB(0, 0, 200);
    FillBackground(c.dc(), effect::kHShade, RECT{0, 0, 4, 4}, begin, middle, end, 0, 0, random);
    const auto palette = TexturePalette(begin, middle, end, 0);
    EXPECT_EQ(c.At(0, 3), palette[0]);    // the bottom row: value A = 0
    EXPECT_EQ(c.At(3, 0), palette[191]);  // the top row: 255 x 3 / 4
    FillBackground(c.dc(), effect::kNoise, RECT{0, 0, 4, 4}, begin, middle, end, 0, 50, random);
    EXPECT_EQ(c.At(2, 2), TexturePalette(begin, middle, end, 50)[128]);  // no noise at all
    EXPECT_EQ(random.calls, 0u);
}

TEST(DrawManager, BlendingAtZeroHalfAndFullOpacity) {
    Canvas dst(8, 8, RGB(100, 200, 255)), src(8, 8, RGB(200, 100, 0));
    const RECT r{0, 0, 8, 8};
    ASSERT_TRUE(BlendPicture(dst.dc(), r, src.dc(), POINT{0, 0}, 0));
    EXPECT_EQ(dst.At(4, 4), RGB(100, 200, 255));
    ASSERT_TRUE(BlendPicture(dst.dc(), r, src.dc(), POINT{0, 0}, 50));
    EXPECT_EQ(dst.At(4, 4), RGB(150, 150, 127));
    ASSERT_TRUE(BlendPicture(dst.dc(), RECT{0, 0, 4, 8}, src.dc(), POINT{0, 0}, 100));
    EXPECT_EQ(dst.At(3, 4), RGB(200, 100, 0));
    EXPECT_EQ(dst.At(4, 4), RGB(150, 150, 127));
}

TEST(DrawManager, HardAndSoftShadowsThroughAMaskBitmap) {
    Canvas c(20, 20, RGB(200, 100, 50));
    HBITMAP mask = MakeBitmap(10, 10, RGB(128, 128, 128));
    ASSERT_TRUE(CastShadow(c.dc(), 5, 5, 10, 10, mask, false, 7, 7));
    EXPECT_EQ(c.At(6, 6), RGB(200 * 128 / 255, 100 * 128 / 255, 50 * 128 / 255));
    EXPECT_EQ(c.At(4, 4), RGB(200, 100, 50));
    // A soft shadow of depth 6 is the shadow of depth 7.
    Canvas six(20, 20, RGB(200, 100, 50)), seven(20, 20, RGB(200, 100, 50));
    ASSERT_TRUE(CastShadow(six.dc(), 0, 0, 20, 20, mask, true, 6, 6));
    ASSERT_TRUE(CastShadow(seven.dc(), 0, 0, 20, 20, mask, true, 7, 7));
    EXPECT_EQ(six.Rgb(), seven.Rgb());
    EXPECT_NE(seven.At(5, 5), RGB(200, 100, 50));
    EXPECT_FALSE(CastShadow(c.dc(), 0, 0, 10, 10, nullptr, true, 7, 7));
    DeleteObject(mask);
}

TEST(DrawManager, StyledLinesAndFramesOnTheDevice) {
    Canvas c(40, 40);
    DrawStyledLine(c.dc(), POINT{2, 5}, POINT{30, 5}, RGB(255, 0, 0), linestyle::kDouble, 1);
    EXPECT_EQ(c.At(10, 5), RGB(255, 0, 0));
    EXPECT_EQ(c.At(10, 7), RGB(255, 0, 0));  // the second line, twice the width below
    EXPECT_EQ(c.At(10, 6), RGB(255, 255, 255));
    DrawStyledLine(c.dc(), POINT{2, 20}, POINT{30, 20}, RGB(0, 0, 255), linestyle::kNone, 3);
    EXPECT_EQ(c.CountNot(RGB(255, 255, 255), RECT{0, 15, 40, 25}), 0);
    c.Fill(RGB(255, 255, 255));
    DrawStyledFrame(c.dc(), RECT{10, 10, 30, 25}, RGB(0, 255, 0), RGB(0, 0, 255), linestyle::kSolid,
                    1);
    EXPECT_EQ(c.At(10, 10), RGB(0, 255, 0));  // top-left corner: first colour
    EXPECT_EQ(c.At(10, 24), RGB(0, 255, 0));  // bottom-left: the first edge starts there
    EXPECT_EQ(c.At(29, 10), RGB(0, 0, 255));  // top-right: the second edge starts there
    EXPECT_EQ(c.At(29, 24), RGB(0, 0, 255));
    EXPECT_EQ(c.At(30, 25), RGB(255, 255, 255));
}

// --- the mark-up drawer ----------------------------------------------------------------------

class Drawing : public ::testing::Test {
protected:
    // Measures the text on the canvas and draws it at (x, y) in the measured size.
    SIZE Draw(Canvas& c, std::string_view text, int x = 0, int y = 0) {
        const SIZE s = drawer.MeasureText(c.dc(), text);
        drawer.RenderText(c.dc(), RECT{x, y, x + s.cx, y + s.cy});
        return s;
    }
    MarkupDrawer drawer;
};

TEST_F(Drawing, TextIsDrawnInItsColourAndTheDeviceContextIsLeftAsItWas) {
    Canvas c(200, 40);
    HFONT mine = CreateFontA(20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    const HGDIOBJ before = SelectObject(c.dc(), mine);
    SetTextColor(c.dc(), RGB(1, 2, 3));
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(4, 5, 6));
    const SIZE s = Draw(c, "<font color=red>xxxx</font>");
    EXPECT_GT(s.cx, 10);
    EXPECT_GT(s.cy, 10);
    int red = 0, other = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const COLORREF p = c.At(x, y);
            if (p == RGB(255, 255, 255)) continue;
            (GetRValue(p) > GetGValue(p) && GetRValue(p) > GetBValue(p) ? red : other)++;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_FONT), mine);
    EXPECT_EQ(GetTextColor(c.dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(c.dc()), OPAQUE);
    EXPECT_EQ(GetBkColor(c.dc()), RGB(4, 5, 6));
    SelectObject(c.dc(), before);
    DeleteObject(mine);
}

TEST_F(Drawing, MeasuringFollowsTheMarkUp) {
    Canvas c(10, 10);
    EXPECT_EQ(drawer.MeasureText(c.dc(), "").cx, 0);
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<b></b>").cx, 1);
    const SIZE plain = drawer.MeasureText(c.dc(), "Tooltip text");
    const SIZE bold = drawer.MeasureText(c.dc(), "<b>Tooltip text</b>");
    const SIZE two = drawer.MeasureText(c.dc(), "Tooltip<br>text");
    const SIZE big = drawer.MeasureText(c.dc(), "<h1>Tooltip text</h1>");
    EXPECT_GT(bold.cx, plain.cx);
    EXPECT_LT(two.cx, plain.cx);
    EXPECT_GT(two.cy, plain.cy + 5);
    EXPECT_GT(big.cy, plain.cy);
    // As wide as the longer word: the text wraps at its blank into the two lines of "two".
    drawer.Settings().maxWidth = two.cx;
    const SIZE wrapped = drawer.MeasureText(c.dc(), "Tooltip text");
    EXPECT_LE(wrapped.cx, two.cx);
    EXPECT_EQ(wrapped.cy, two.cy);
}

TEST_F(Drawing, ImagesFromHandlesWithStylesMasksAndShadows) {
    HBITMAP red = MakeBitmap(8, 8, RGB(255, 0, 0), RGB(255, 0, 255));  // magenta left half
    const std::string h = HandleText(red);
    Canvas c(40, 40);
    Draw(c, "<bmp handle=" + h + ">");
    EXPECT_EQ(c.At(1, 1), RGB(255, 0, 255));
    EXPECT_EQ(c.At(6, 6), RGB(255, 0, 0));
    c.Fill(RGB(255, 255, 255));
    Draw(c, "<bmp handle=" + h + " mask style=g>");
    EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));  // the mask colour is not drawn
    EXPECT_EQ(c.At(6, 6), RGB(76, 76, 76));     // grey: 0.299 x 255
    c.Fill(RGB(255, 255, 255));
    drawer.Settings().imageShadowSoft = false;
    Draw(c, "<bmp handle=" + h + " mask style=s width=200% height=16>");
    EXPECT_EQ(c.At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(c.At(17, 17), RGB(128, 128, 128));  // the shadow, 4 pixels off, half dark
    EXPECT_EQ(c.At(5, 17), RGB(255, 255, 255));   // under the masked half: no shadow
    c.Fill(RGB(255, 255, 255));
    drawer.Settings().enabled = false;
    Draw(c, "<bmp handle=" + h + ">");
    EXPECT_EQ(c.At(6, 6), GetSysColor(COLOR_BTNSHADOW));
    DeleteObject(red);
    c.Fill(RGB(255, 255, 255));
    drawer.Settings().enabled = true;
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<bmp handle=12345>").cx, 1);  // no such bitmap
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));           // IDI_APPLICATION
    const SIZE s = Draw(c, "<icon handle=" + HandleText(icon) + ">");
    EXPECT_EQ(s.cx, GetSystemMetrics(SM_CXICON) + 1);
    EXPECT_GT(c.CountNot(RGB(255, 255, 255), RECT{0, 0, 40, 40}), 0);
}

TEST_F(Drawing, ImagesAndStringsFromFilesAndModules) {
    // A bitmap file written here, and the test program itself as a module of strings.
    HBITMAP blue = MakeBitmap(6, 3, RGB(0, 0, 255));
    Canvas tmp(6, 3, RGB(0, 0, 255));
    BITMAPINFOHEADER bih{sizeof(bih), 6, 3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> px(18, 0x0000FF);
    BITMAPFILEHEADER bfh{0x4D42, static_cast<DWORD>(sizeof(bfh) + sizeof(bih) + 72), 0, 0,
                         sizeof(bfh) + sizeof(bih)};
    {
        std::ofstream f("tooltip-blue.bmp", std::ios::binary);
        f.write(reinterpret_cast<const char*>(&bfh), sizeof bfh);
        f.write(reinterpret_cast<const char*>(&bih), sizeof bih);
        f.write(reinterpret_cast<const char*>(px.data()), 72);
    }
    DeleteObject(blue);
    Canvas c(60, 30);
    const SIZE s = Draw(c, "<bmp file=\"tooltip-blue.bmp\" width=12>");
    EXPECT_EQ(s.cx, 13);
    EXPECT_EQ(c.At(11, 2), RGB(0, 0, 255));
    EXPECT_EQ(c.At(12, 2), RGB(255, 255, 255));

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const SIZE app = drawer.MeasureText(c.dc(), "<string idres=7>");
    const SIZE module =
        drawer.MeasureText(c.dc(), std::string("<string iddll=7 srcdll=\"") + self + "\">");
    const SIZE same = drawer.MeasureText(c.dc(), "hello");
    EXPECT_EQ(app.cx, same.cx);
    EXPECT_EQ(module.cx, same.cx);
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<string idres=9999>").cx, 1);
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<string iddll=7 srcdll=nowhere.dll>").cx, 1);
    // A string resource is text, never mark-up.
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<string idres=8>").cx,
              drawer.MeasureText(c.dc(), "&lt;b>kept as text&lt;/b>").cx);
}

TEST_F(Drawing, ImagesFromResourcesModulesAndTiledBackgrounds) {
    Canvas c(64, 64);
    // Bitmap 42 of this program is 2 x 2 green pixels.
    EXPECT_EQ(Draw(c, "<bmp idres=42 width=6 height=6>").cx, 7);
    EXPECT_EQ(c.At(5, 5), RGB(0, 255, 0));
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<bmp idres=43>").cx, 1);  // no such bitmap
    c.Fill(RGB(255, 255, 255));
    Draw(c,
         "<table background=idres:42 border=0 cellspacing=0 cellpadding=0 width=20>"
         "<tr><td height=20></td></tr></table>");
    EXPECT_EQ(c.CountNot(RGB(0, 255, 0), RECT{0, 0, 20, 20}), 0);  // tiled over the table
    EXPECT_EQ(c.At(20, 20), RGB(255, 255, 255));
    // The system's own modules: a bitmap and an icon of user32.
    c.Fill(RGB(255, 255, 255));
    const SIZE bitmap = Draw(c, "<bmp iddll=32754 srcdll=user32.dll>");  // OBM_CLOSE
    EXPECT_GT(bitmap.cx, 1);
    EXPECT_GT(c.CountNot(RGB(255, 255, 255), RECT{0, 0, 64, 64}), 0);
    const SIZE icon = drawer.MeasureText(c.dc(), "<icon iddll=32512 srcdll=user32.dll>");
    EXPECT_EQ(icon.cx, GetSystemMetrics(SM_CXICON) + 1);
    EXPECT_EQ(drawer.MeasureText(c.dc(), "<bmp iddll=1 srcdll=no-such-module.dll>").cx, 1);
}

TEST_F(Drawing, AnAnimatedStripShowsItsNextFrameAfterItsTicks) {
    HBITMAP strip = MakeBitmap(8, 4, RGB(0, 0, 255), RGB(255, 0, 0));  // red, then blue
    Canvas c(20, 20);
    const SIZE s = Draw(c, "<bmp handle=" + HandleText(strip) + " cx=4 speed=2>");
    EXPECT_EQ(s.cx, 5);
    EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
    EXPECT_FALSE(drawer.StepAnimations());
    EXPECT_TRUE(drawer.StepAnimations());
    drawer.RenderText(c.dc(), RECT{0, 0, s.cx, s.cy});
    EXPECT_EQ(c.At(2, 2), RGB(0, 0, 255));
    DeleteObject(strip);
}

// A window that records the messages the drawer sends it.
struct Listener {
    static constexpr UINT kMessage = 1125;
    HWND window = nullptr;
    static std::vector<std::pair<WPARAM, std::string>>& Log() {
        static std::vector<std::pair<WPARAM, std::string>> log;
        return log;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kMessage && lp == 2) {
            // The same message tells of hot links (wParam a small index, or -2 for none) and
            // carries a "msg" link's text (wParam a pointer).
            const bool index = wp < 1000 || static_cast<int>(wp) == kNoHotLink;
            Log().push_back({wp, index ? std::string() : reinterpret_cast<const char*>(wp)});
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    Listener() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TooltipLinkListener";
        RegisterClassA(&wc);
        window = CreateWindowA("TooltipLinkListener", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
        Log().clear();
    }
    ~Listener() { DestroyWindow(window); }
};

TEST_F(Drawing, HotLinksAreToldOnChangeAndMessageLinksSendTheirText) {
    Listener listener;
    drawer.SetHotLinkNotify(listener.window, Listener::kMessage, 2);
    Canvas c(300, 40);
    Draw(c, "<a msg=\"hello there\">first</a> and <a href=\"\">second</a>");
    const auto& areas = drawer.Engine().LinkAreas();
    ASSERT_EQ(areas.size(), 2u);
    const POINT first{areas[0].area.left + 1, areas[0].area.top + 1};
    const POINT second{areas[1].area.right, areas[1].area.bottom};  // the edges count
    EXPECT_TRUE(drawer.UpdateHotLink(first));
    EXPECT_TRUE(drawer.UpdateHotLink(first));
    EXPECT_FALSE(drawer.UpdateHotLink(second));  // an empty target: no hand
    EXPECT_FALSE(drawer.UpdateHotLink(POINT{299, 39}));
    EXPECT_FALSE(drawer.UpdateHotLink(POINT{298, 39}));
    ASSERT_EQ(Listener::Log().size(), 3u);
    EXPECT_EQ(Listener::Log()[0].first, 0u);
    EXPECT_EQ(Listener::Log()[1].first, 1u);
    EXPECT_EQ(static_cast<int>(Listener::Log()[2].first), kNoHotLink);
    drawer.FollowLinkAt(first);
    ASSERT_EQ(Listener::Log().size(), 4u);
    EXPECT_EQ(Listener::Log()[3].second, "hello there");
    drawer.FollowLinkAt(second);  // nothing to open
    EXPECT_EQ(Listener::Log().size(), 4u);
}

TEST(HandCursor, CursorOfTheHelpProgramElseTheSystemsHand) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string help = std::string(windows) + "\\winhlp32.exe";
    if (GetFileAttributesA(help.c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_NE(MarkupDrawer().HandCursor(), nullptr);
        GTEST_SKIP() << "this Windows has its own help program";
    }
    // Wine's prefix has none: the system's hand stands in.
    {
        MarkupDrawer drawer;
        EXPECT_FALSE(drawer.HandCursorFromHelp());
        EXPECT_EQ(drawer.HandCursor(), LoadCursorA(nullptr, IDC_HAND));
    }
    // A help program with cursor 106 (this test program carries one): its copy is used.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, help.c_str(), FALSE));
    {
        MarkupDrawer drawer;
        EXPECT_TRUE(drawer.HandCursorFromHelp());
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(drawer.HandCursor(), &info));
        EXPECT_EQ(std::make_pair(info.xHotspot, info.yHotspot), std::make_pair(4ul, 2ul));
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
    DeleteFileA(help.c_str());
}

// Reads HKEY_CLASSES_ROOT\key's default value; empty when missing.
std::string DefaultValue(const std::string& key) {
    char value[1024] = {};
    LONG size = sizeof value;
    return RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) == ERROR_SUCCESS ? value
                                                                                         : "";
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(LinkTargets, TheShellOpensThemElseTheHtmProgram) {
    // The recorder stands in for the programs: for a test type, and for ".htm" pages.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.resize(folder.find_last_of('\\') + 1);
    const std::string recorder = folder + "shell_open_recorder.exe";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "tooltip-links.log";
    const std::string page = std::string(temp) + "tooltip-page.mvtip";
    DeleteFileA(log.c_str());
    std::ofstream(page) << "page";

    const std::string savedHtm = DefaultValue(".htm");
    const std::string command = "\"" + recorder + "\" \"" + log + "\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, ".mvtip", REG_SZ, "MoravelTipTest", 0);
    RegSetValueA(HKEY_CLASSES_ROOT, "MoravelTipTest\\shell\\open\\command", REG_SZ, command.c_str(),
                 0);
    RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, "MoravelTipTest", 0);

    EXPECT_TRUE(OpenLinkTarget(page));
    const std::string missing = std::string(temp) + "no-such-page.unknownext";
    EXPECT_TRUE(OpenLinkTarget(missing));  // the shell cannot: the ".htm" program can

    // The recorder runs on its own; wait for its two lines (a bounded poll, not a timing).
    std::string text;
    for (int i = 0; i < 200 && std::count(text.begin(), text.end(), '\n') < 2; ++i) {
        Sleep(50);
        text = ReadAll(log);
    }
    EXPECT_NE(text.find(page + "\tpage"), std::string::npos) << text;
    EXPECT_NE(text.find(missing + "\t"), std::string::npos) << text;

    RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, savedHtm.c_str(), 0);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "MoravelTipTest");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".mvtip");
    DeleteFileA(page.c_str());
}

// --- golden pictures -------------------------------------------------------------------------

// Renders texts one below the other on the tooltip's background, writes the picture into the
// build tree, and compares it with the golden picture of the source tree: at most 1 % of the
// pixels may differ by more than 48 in a component. MORAVEL_UPDATE_GOLDEN=1 writes the golden
// picture instead.
void Golden(const std::string& name, const std::vector<std::string>& texts, int maxWidth = 0,
            const std::function<void(MarkupDrawer&)>& setup = {}) {
    MarkupDrawer drawer;
    drawer.Settings().maxWidth = maxWidth;
    if (setup) setup(drawer);
    Canvas probe(1, 1);
    std::vector<SIZE> sizes;
    int width = 0, height = 4;
    for (const std::string& t : texts) {
        sizes.push_back(drawer.MeasureText(probe.dc(), t));
        width = std::max<int>(width, sizes.back().cx + 8);
        height += sizes.back().cy + 4;
    }
    Canvas c(width, height, GetSysColor(COLOR_INFOBK));
    int y = 4;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        drawer.MeasureText(c.dc(), texts[i]);
        drawer.RenderText(c.dc(), RECT{4, y, 4 + sizes[i].cx, y + sizes[i].cy});
        y += sizes[i].cy + 4;
    }
    const std::vector<unsigned char> rgb = c.Rgb();
    const std::string out = "tooltip-" + name + ".png";
    ASSERT_TRUE(stbi_write_png(out.c_str(), width, height, 3, rgb.data(), width * 3));
    const std::string golden = std::string(MORAVEL_GOLDEN_DIR) + "/tooltip-" + name + ".png";
    if (const char* update = std::getenv("MORAVEL_UPDATE_GOLDEN"); update && *update == '1') {
        ASSERT_TRUE(stbi_write_png(golden.c_str(), width, height, 3, rgb.data(), width * 3));
        return;
    }
    int gw = 0, gh = 0, channels = 0;
    unsigned char* g = stbi_load(golden.c_str(), &gw, &gh, &channels, 3);
    ASSERT_NE(g, nullptr) << "no golden picture " << golden;
    EXPECT_EQ(gw, width) << name;
    EXPECT_EQ(gh, height) << name;
    if (gw == width && gh == height) {
        int differ = 0;
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            for (int k = 0; k < 3; ++k) {
                if (std::abs(static_cast<int>(rgb[i + k]) - g[i + k]) > 48) {
                    ++differ;
                    break;
                }
            }
        }
        EXPECT_LE(differ, width * height / 100) << name << ": " << differ << " pixels differ";
    }
    stbi_image_free(g);
}

TEST(GoldenPictures, TheViewersFourteenHelpTexts) {
    std::vector<std::string> texts;
    for (const ViewerTip& tip : ViewerTooltipTexts()) texts.emplace_back(tip.text);
    ASSERT_EQ(texts.size(), 14u);
    Golden("viewer-texts", texts);
}

TEST(GoldenPictures, ATableWithSpansAndBorders) {
    Golden("table",
           {"<center><b>Movies by site</b></center>"
            "<table border=2 cellpadding=3 cellspacing=2 bordercolorlight=#c0c0ff "
            "bordercolordark=#000080 bgcolor=#ffffe0 bgeffect=vgradient bgendcolor=#e0e0ff>"
            "<tr><td colspan=3 align=center bgcolor=#ffcc99><b>www.example.com</b></td></tr>"
            "<tr><td rowspan=2 valign=middle>intro.swf</td><td>12 KB</td>"
            "<td align=right>2009-05-01</td></tr>"
            "<tr><td colspan=2 bgeffect=hgradient bgcolor=white bgendcolor=#99ccff>"
            "two columns</td></tr>"
            "<tr><td>game.swf</td><td borderstyle=dotted>320 KB</td><td>"
            "<table border=1 cellspacing=0><tr><td bgcolor=#ccffcc>in</td><td>ner</td></tr>"
            "</table></td></tr></table>"});
}

TEST(GoldenPictures, AStyledPageWithHeadingsLinksAndAnImage) {
    HBITMAP picture = MakeBitmap(24, 16, RGB(0, 128, 255), RGB(255, 200, 0));
    Golden("page",
           {"<h1>Heading one</h1><br><h2>Heading two</h2><br><h3>Heading three</h3><br>"
            "<bmp handle=" +
            HandleText(picture) +
            " style=s> Plain text with <b>bold</b>, <i>italic</i>, <u>underline</u>, "
            "<s>strike</s>, <font color=#cc0000 style=o>overline</font> and <code>code</code>."
            "<br><a href=\"http://example.com/\">A hyperlink</a> &amp; <a msg=x>another</a>; "
            "<span class=cpp-comment>// a comment</span><sup>sup</sup><sub>sub</sub>"
            "<hr width=80% size=2 color=gray><justify>Justified text runs over several lines "
            "so that its blanks are stretched to fill every wrapped line to the same width."
            "</justify><br><right>right-aligned</right>"},
           360);
    DeleteObject(picture);
}

}  // namespace
