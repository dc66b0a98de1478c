// The Flash control as the programs see it: the wrappers' dispatch calls, and the built-in
// engine hosted for real in a window under Wine.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "flash/flash_control.h"
#include "flash/sound/wave_output.h"
#include "tests/corpus_harness.h"
#include "tests/process_threads.h"
#include "tools/png_io.h"
#include "tools/sound_writer.h"
#include "tools/swf_writer.h"
#include "win/ansi_wide.h"
#include "win/ax_host.h"
#include "win/shockwave_flash.h"

namespace {

using win::CShockwaveFlash;

// --- the wrappers' calls, against a dispatch interface that records them ----------------

struct Call {
    DISPID id = 0;
    WORD flags = 0;
    std::vector<VARTYPE> argTypes;
    std::string text;  // a string argument
    long number = 0;   // an integer argument
    bool namedPut = false;
};

class RecordingDispatch final : public IDispatch {
public:
    std::vector<Call> calls;
    VARIANT answer{};  // what every call returns

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        Call call;
        call.id = id;
        call.flags = flags;
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARIANT& v = params->rgvarg[i];
            call.argTypes.push_back(v.vt);
            if (v.vt == VT_BSTR) call.text = win::AnsiFromBstr(v.bstrVal);
            if (v.vt == VT_I4) call.number = v.lVal;
        }
        call.namedPut = params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                        params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        calls.push_back(call);
        if (result) VariantCopy(result, &answer);
        return S_OK;
    }
};

struct WrapperCase {
    const char* what;
    std::function<void(CShockwaveFlash&)> call;
    DISPID id;
    WORD flags;
    std::vector<VARTYPE> argTypes;
};

TEST(FlashWrapper, EachOperationIsItsDispidWithItsTypes) {
    const WrapperCase cases[] = {
        {"Movie get", [](CShockwaveFlash& f) { f.GetMovie(); }, 102, DISPATCH_PROPERTYGET, {}},
        {"Movie put",
         [](CShockwaveFlash& f) { f.SetMovie("C:\\a.swf"); },
         102,
         DISPATCH_PROPERTYPUT,
         {VT_BSTR}},
        {"Play", [](CShockwaveFlash& f) { f.Play(); }, 112, DISPATCH_METHOD, {}},
        {"Stop", [](CShockwaveFlash& f) { f.Stop(); }, 113, DISPATCH_METHOD, {}},
        {"Back", [](CShockwaveFlash& f) { f.Back(); }, 114, DISPATCH_METHOD, {}},
        {"Forward", [](CShockwaveFlash& f) { f.Forward(); }, 115, DISPATCH_METHOD, {}},
        {"Rewind", [](CShockwaveFlash& f) { f.Rewind(); }, 116, DISPATCH_METHOD, {}},
        {"TotalFrames", [](CShockwaveFlash& f) { f.TotalFrames(); }, 124, DISPATCH_PROPERTYGET, {}},
        {"GotoFrame", [](CShockwaveFlash& f) { f.GotoFrame(7); }, 127, DISPATCH_METHOD, {VT_I4}},
        {"CurrentFrame", [](CShockwaveFlash& f) { f.CurrentFrame(); }, 128, DISPATCH_METHOD, {}},
        {"IsPlaying", [](CShockwaveFlash& f) { f.IsPlaying(); }, 129, DISPATCH_METHOD, {}},
        {"Scale",
         [](CShockwaveFlash& f) { f.SetScale("NoBorder"); },
         137,
         DISPATCH_PROPERTYPUT,
         {VT_BSTR}},
        {"BGColor",
         [](CShockwaveFlash& f) { f.SetBGColor("FF0000"); },
         140,
         DISPATCH_PROPERTYPUT,
         {VT_BSTR}},
    };
    for (const WrapperCase& c : cases) {
        RecordingDispatch recorder;
        CShockwaveFlash flash(win::ComPtr<IDispatch>::Share(&recorder));
        c.call(flash);
        ASSERT_EQ(recorder.calls.size(), 1u) << c.what;
        const Call& call = recorder.calls[0];
        EXPECT_EQ(call.id, c.id) << c.what;
        EXPECT_EQ(call.flags, c.flags) << c.what;
        EXPECT_EQ(call.argTypes, c.argTypes) << c.what;
        EXPECT_EQ(call.namedPut, c.flags == DISPATCH_PROPERTYPUT) << c.what;
    }
}

TEST(FlashWrapper, ArgumentsAndResultsCrossIntact) {
    RecordingDispatch recorder;
    CShockwaveFlash flash(win::ComPtr<IDispatch>::Share(&recorder));
    // A GBK path whose trail byte is "\": 誠 = D5 5C.
    flash.SetMovie("C:\\\xD5\x5C\\intro.swf");
    flash.GotoFrame(42);
    EXPECT_EQ(recorder.calls[0].text, "C:\\\xD5\x5C\\intro.swf");
    EXPECT_EQ(recorder.calls[1].number, 42);

    recorder.answer.vt = VT_I4;
    recorder.answer.lVal = 17;
    EXPECT_EQ(flash.TotalFrames(), 17);
    recorder.answer.vt = VT_BOOL;
    recorder.answer.boolVal = VARIANT_TRUE;
    EXPECT_TRUE(flash.IsPlaying());
    // A control that answers a frame as text still gives the number.
    VariantClear(&recorder.answer);
    recorder.answer.vt = VT_BSTR;
    recorder.answer.bstrVal = SysAllocString(L"12");
    EXPECT_EQ(flash.CurrentFrame(), 12);
    VariantClear(&recorder.answer);

    CShockwaveFlash none;
    EXPECT_EQ(none.GetMovie(), "");
    EXPECT_EQ(none.TotalFrames(), 0);
    EXPECT_FALSE(none.IsPlaying());
}

// --- the built-in control in a real window -----------------------------------------------

class HostedControl : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        flash::RegisterBuiltInFlashControl();
        win::PreferRegisteredControls(false);
    }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FlashTestFrame";
        RegisterClassA(&wc);
        frame_ = CreateWindowExA(0, "FlashTestFrame", "Flash test", WS_POPUP | WS_VISIBLE, 0, 0,
                                 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame_, nullptr);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        moviePath_ = std::string(temp) + "flash-control-test.swf";
        swfwriter::MovieBuilder movie;
        // A green square covering the whole stage, so a picture shows where the stage lies.
        movie.StagePixels(200, 200).FrameRate(50).BackgroundColor({0x20, 0x80, 0xE0});
        movie.Rectangle(1, 200 * 20, 200 * 20, {0, 0xFF, 0}).PlaceObject(1, 1, 0, 0);
        for (int i = 0; i < 100; ++i) movie.ShowFrame();
        ASSERT_TRUE(swfwriter::WriteFile(moviePath_, movie.Build()));
    }
    void TearDown() override {
        DestroyWindow(frame_);
        DeleteFileA(moviePath_.c_str());
    }

    static void Pump(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        while (GetTickCount() < end) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(5);
        }
    }

    // The colour on screen at a point of a window, after it has painted.
    static COLORREF PixelAt(HWND window, int x, int y) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(window);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return c;
    }

    // The window's client area as it shows on screen, after it has painted.
    static pngio::Image Capture(HWND window) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT r;
        GetClientRect(window, &r);
        pngio::Image image;
        image.width = r.right;
        image.height = r.bottom;
        HDC dc = GetDC(window);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(mem, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        // Top-down 32-bit rows: B, G, R, unused.
        BITMAPINFOHEADER bih{sizeof(bih), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        image.rgba.resize(static_cast<std::size_t>(r.right) * r.bottom * 4);
        GetDIBits(mem, bitmap, 0, r.bottom, image.rgba.data(), reinterpret_cast<BITMAPINFO*>(&bih),
                  DIB_RGB_COLORS);
        for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
            std::swap(image.rgba[i], image.rgba[i + 2]);
            image.rgba[i + 3] = 255;
        }
        DeleteObject(bitmap);
        DeleteDC(mem);
        ReleaseDC(window, dc);
        return image;
    }

    // Keeps a picture of the window in the build tree, for a person to look at.
    static void SaveScreenshot(HWND window, const std::string& file) {
        pngio::WritePng(file, Capture(window));
    }

    HWND frame_ = nullptr;
    std::string moviePath_;
};

TEST_F(HostedControl, PlaysTheMovieThroughItsDispatchInterface) {
    CShockwaveFlash flash;
    ASSERT_TRUE(flash.Create(frame_, 101, RECT{0, 0, 400, 300}));
    EXPECT_TRUE(win::AxHostIsBuiltIn(flash.Window()));
    EXPECT_EQ(GetDlgCtrlID(flash.Window()), 101);
    EXPECT_EQ(flash.GetMovie(), "");
    EXPECT_EQ(flash.TotalFrames(), 0);

    flash.SetMovie(moviePath_);
    EXPECT_EQ(flash.GetMovie(), moviePath_);
    EXPECT_EQ(flash.TotalFrames(), 100);
    EXPECT_TRUE(flash.IsPlaying());
    Pump(400);  // the control's own timer plays it at 50 fps
    const long reached = flash.CurrentFrame();
    EXPECT_GT(reached, 0);

    flash.Stop();
    EXPECT_FALSE(flash.IsPlaying());
    const long stopped = flash.CurrentFrame();
    Pump(200);
    EXPECT_EQ(flash.CurrentFrame(), stopped);

    flash.GotoFrame(30);
    EXPECT_EQ(flash.CurrentFrame(), 30);
    flash.GotoFrame(flash.TotalFrames());  // past the end: the last frame
    EXPECT_EQ(flash.CurrentFrame(), 99);
    flash.Back();
    EXPECT_EQ(flash.CurrentFrame(), 98);
    flash.Rewind();
    EXPECT_EQ(flash.CurrentFrame(), 0);
    flash.Forward();
    EXPECT_EQ(flash.CurrentFrame(), 1);
    EXPECT_FALSE(flash.IsPlaying());
    flash.Play();
    EXPECT_TRUE(flash.IsPlaying());

    // A file that is no movie: the location reads back, there are no frames.
    flash.SetMovie(moviePath_ + ".missing");
    EXPECT_EQ(flash.GetMovie(), moviePath_ + ".missing");
    EXPECT_EQ(flash.TotalFrames(), 0);
}

// The control's sound plays on one thread of its own, made with its first movie, kept for
// the next movie, and gone with the control's window, though the wrapper still holds the
// control.
TEST_F(HostedControl, SoundHasOneThreadForTheControlsLifeAndNoneAfter) {
    const std::string soundPath = moviePath_ + ".sound.swf";
    swfwriter::MovieBuilder movie;
    const std::uint8_t pcm = swfwriter::SoundFormatByte(3, 3, true, false);
    const auto tone = swfwriter::Pcm16Bytes(std::vector<std::int16_t>(44100, 3000));
    movie.FrameRate(12).Tag(14, swfwriter::DefineSoundBody(1, pcm, 44100, tone));
    movie.Tag(15, swfwriter::StartSoundBody(1, {})).ShowFrame().ShowFrame();
    ASSERT_TRUE(swfwriter::WriteFile(soundPath, movie.Build()));
    // The thread is found by its description: the system's own audio threads come and go
    // with the output as they please and are not the control's.
    const auto soundThreads = [] {
        return testsupport::ThreadsNamed(flash::sound::WaveOutput::kThreadName);
    };
    std::set<DWORD> ours;
    {
        CShockwaveFlash flash;
        ASSERT_TRUE(flash.Create(frame_, 101, RECT{0, 0, 400, 300}));
        flash.SetMovie(soundPath);
        Pump(200);
        ours = soundThreads();
        EXPECT_EQ(ours.size(), 1u);
        flash.SetMovie(moviePath_);
        flash.SetMovie(soundPath);
        Pump(100);
        EXPECT_EQ(soundThreads(), ours);  // the first movie's thread, and no other
        DestroyWindow(flash.Window());
        EXPECT_TRUE(testsupport::WaitFor([&] { return soundThreads().empty(); }));
    }
    DeleteFileA(soundPath.c_str());
}

TEST_F(HostedControl, FollowsTheHostsSizeAndPaintsByScaleMode) {
    CShockwaveFlash flash;
    ASSERT_TRUE(flash.Create(frame_, 101, RECT{0, 0, 300, 200}));
    const HWND stage = GetWindow(flash.Window(), GW_CHILD);
    ASSERT_NE(stage, nullptr);
    MoveWindow(flash.Window(), 0, 0, 400, 300, TRUE);
    RECT r{};
    GetClientRect(stage, &r);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 300);

    flash.SetMovie(moviePath_);
    flash.Stop();
    flash.SetBGColor("FF0000");
    const COLORREF red = RGB(0xFF, 0, 0), green = RGB(0, 0xFF, 0);
    // A 200 x 200 stage in a 400 x 300 window; the margins show the background colour.
    struct Expect {
        const char* mode;
        COLORREF left, centre;  // at x = 20 and x = 200 on the middle line
    };
    for (const Expect& e : {Expect{"ShowAll", red, green}, Expect{"ExactFit", green, green},
                            Expect{"NoBorder", green, green}, Expect{"NoScale", red, green}}) {
        flash.SetScale(e.mode);
        EXPECT_EQ(PixelAt(stage, 20, 150), e.left) << e.mode;
        EXPECT_EQ(PixelAt(stage, 200, 150), e.centre) << e.mode;
        SaveScreenshot(stage, std::string("flash-stage-") + e.mode + ".png");
    }
    // BGColor outlasts a new movie; a control never given one shows the movie's own colour.
    flash.SetMovie(moviePath_);
    EXPECT_EQ(PixelAt(stage, 20, 150), red);
    DestroyWindow(flash.Window());
    CShockwaveFlash fresh;
    ASSERT_TRUE(fresh.Create(frame_, 102, RECT{0, 0, 400, 300}));
    fresh.SetMovie(moviePath_);
    EXPECT_EQ(PixelAt(GetWindow(fresh.Window(), GW_CHILD), 20, 150), RGB(0x20, 0x80, 0xE0));
}

// The mouse over the control's window, as a user moves and clicks it (the pointer placed
// there, the messages posted): the button under it shows its over and down states, the hand
// cursor shows over it and the arrow elsewhere, and its release action moves the movie.
TEST_F(HostedControl, ButtonsAnswerTheMouseWithTheHandAndTheirActions) {
    const std::string path = moviePath_ + ".button.swf";
    swfwriter::MovieBuilder movie;
    movie.StagePixels(200, 200).FrameRate(50).BackgroundColor({0xFF, 0xFF, 0xFF});
    movie.Rectangle(1, 100 * 20, 100 * 20, {0xFF, 0, 0})
        .Rectangle(2, 100 * 20, 100 * 20, {0, 0xFF, 0})
        .Rectangle(3, 100 * 20, 100 * 20, {0, 0, 0xFF});
    swfwriter::Actions release;
    release.GotoFrame(5);
    // Up red, over green, down blue; the red square is the hit area.
    movie.DefineButton2(10, {{0x09, 1, 1}, {0x02, 2, 2}, {0x04, 3, 3}}, {{0x0008, release}});
    swfwriter::Actions stop;
    stop.Stop();
    movie.DoAction(stop).PlaceObject(10, 1, 50 * 20, 50 * 20);
    for (int i = 0; i < 10; ++i) movie.ShowFrame();
    ASSERT_TRUE(swfwriter::WriteFile(path, movie.Build()));

    CShockwaveFlash flash;
    ASSERT_TRUE(flash.Create(frame_, 101, RECT{0, 0, 400, 300}));
    flash.SetMovie(path);
    flash.SetScale("ShowAll");
    const HWND stage = GetWindow(flash.Window(), GW_CHILD);
    ASSERT_NE(stage, nullptr);
    // The 200 x 200 stage shows 1.5 times as large from x 50: the button covers 125-274 by
    // 75-224 of the window.
    auto dispatch = [] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    };
    auto mouse = [&](UINT message, int x, int y) {
        POINT screen{x, y};
        ClientToScreen(stage, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(stage, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
        dispatch();
    };
    auto cursor = [&] {
        SendMessageA(stage, WM_SETCURSOR, reinterpret_cast<WPARAM>(stage),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR hand = LoadCursor(nullptr, IDC_HAND), arrow = LoadCursor(nullptr, IDC_ARROW);
    const COLORREF red = RGB(0xFF, 0, 0), green = RGB(0, 0xFF, 0), blue = RGB(0, 0, 0xFF);

    mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(cursor(), arrow);
    EXPECT_EQ(PixelAt(stage, 200, 150), red);
    mouse(WM_MOUSEMOVE, 200, 150);
    EXPECT_EQ(cursor(), hand);
    EXPECT_EQ(PixelAt(stage, 200, 150), green);
    mouse(WM_LBUTTONDOWN, 200, 150);
    EXPECT_EQ(PixelAt(stage, 200, 150), blue);
    EXPECT_EQ(GetCapture(), stage);
    SaveScreenshot(stage, "flash-button-down.png");
    EXPECT_EQ(flash.CurrentFrame(), 0);
    mouse(WM_LBUTTONUP, 201, 151);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(flash.CurrentFrame(), 5);
    EXPECT_EQ(PixelAt(stage, 200, 150), green);
    // Off the button, and out of the window: the arrow, and the up state again.
    mouse(WM_MOUSEMOVE, 390, 10);
    EXPECT_EQ(cursor(), arrow);
    mouse(WM_MOUSEMOVE, 200, 150);
    EXPECT_EQ(cursor(), hand);
    SetCursorPos(600, 500);  // outside the 400 x 300 window at the screen's corner
    PostMessageA(stage, WM_MOUSELEAVE, 0, 0);
    dispatch();
    EXPECT_EQ(cursor(), arrow);
    EXPECT_EQ(PixelAt(stage, 200, 150), red);
    DestroyWindow(flash.Window());
    DeleteFileA(path.c_str());
}

// A corpus movie at its stage size shows on screen as Flash Player drew it, within the case's
// own tolerances: the whole road from the file through the control's picture to the window.
TEST_F(HostedControl, ShowsACorpusMovieAsFlashPlayerDrewIt) {
    const std::string name = "visual/gradient_issue_9892";  // 600 x 600, high quality, frame 1
    ASSERT_EQ(corpus::ReadPassList(MORAVEL_IMAGE_PASSES).count(name), 1u);
    const corpus::fs::path dir = corpus::Root() / "images" / name;
    const corpus::CaseSpec spec = corpus::ReadSpec(corpus::ReadText(dir / "test.toml"));
    ASSERT_EQ(spec.frames, 1);
    ASSERT_EQ(spec.comparisons.size(), 1u);
    pngio::Image expected;
    ASSERT_TRUE(
        pngio::ReadPng((dir / (spec.comparisons[0].name + ".expected.png")).string(), expected));

    MoveWindow(frame_, 0, 0, expected.width, expected.height, TRUE);
    CShockwaveFlash flash;
    ASSERT_TRUE(flash.Create(frame_, 101, RECT{0, 0, expected.width, expected.height}));
    flash.SetMovie((dir / "test.swf").string());
    flash.Stop();  // the first frame, before the control's timer runs
    ASSERT_EQ(flash.CurrentFrame(), 0);
    const pngio::Image shown = Capture(GetWindow(flash.Window(), GW_CHILD));
    pngio::WritePng("flash-corpus-gradient.png", shown);
    std::string why;
    EXPECT_TRUE(corpus::Matches(expected, shown, spec.comparisons[0].checks, why)) << why;
}

// A registered Flash control that is made but will not activate in place, as a broken or
// blocked installation behaves. It counts what happens to it.
struct RefusalCounts {
    int made = 0, alive = 0, activations = 0;
};
RefusalCounts g_refusals;

class RefusingControl final : public IOleObject {
public:
    RefusingControl() { ++g_refusals.made, ++g_refusals.alive; }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IOleObject) ? this : nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            --g_refusals.alive;
            delete this;
        }
        return left;
    }
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        site_ = win::ComPtr<IOleClientSite>::Share(site);
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        ++g_refusals.activations;
        return E_FAIL;
    }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    // Nothing else is asked of a control that never activates.
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    ULONG refs_ = 1;
    win::ComPtr<IOleClientSite> site_;
};

class RefusingFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new RefusingControl;
        const HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

TEST_F(HostedControl, ARegisteredControlThatWillNotActivateGivesWayToTheBuiltInOne) {
    RefusingFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(win::kShockwaveFlashClsid, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    g_refusals = {};
    win::PreferRegisteredControls(true);
    CShockwaveFlash flash;
    const bool made = flash.Create(frame_, 101, RECT{0, 0, 400, 300});
    win::PreferRegisteredControls(false);
    CoRevokeClassObject(cookie);

    // The registered control was made and asked to activate, then let go entirely.
    EXPECT_EQ(g_refusals.made, 1);
    EXPECT_EQ(g_refusals.activations, 1);
    EXPECT_EQ(g_refusals.alive, 0);
    ASSERT_TRUE(made);
    EXPECT_TRUE(win::AxHostIsBuiltIn(flash.Window()));
    flash.SetMovie(moviePath_);
    EXPECT_EQ(flash.TotalFrames(), 100);
}

TEST_F(HostedControl, CreationFailsWithoutAnyControl) {
    const CLSID unknown = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(win::CreateAxHost(frame_, 7, RECT{0, 0, 10, 10}, unknown, "x", WS_CHILD), nullptr);
    // A host made the way a dialog template makes it: the class id as its text.
    HWND byText =
        CreateWindowExA(0, win::kAxHostClass, win::kShockwaveFlashClsidText, WS_CHILD | WS_VISIBLE,
                        0, 0, 50, 50, frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(byText, nullptr);
    win::CFlash_ctrl preview;
    EXPECT_TRUE(preview.Attach(byText));
    HWND badText = CreateWindowExA(0, win::kAxHostClass, "not a class id", WS_CHILD, 0, 0, 50, 50,
                                   frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(badText, nullptr);
    CShockwaveFlash notAHost;
    EXPECT_FALSE(notAHost.Attach(frame_));
}

}  // namespace
