#include "tooltip/rich_tooltip.h"

#include <windowsx.h>

#include <algorithm>

#include "tooltip/draw_manager.h"
#include "win/resource_text.h"

namespace tooltip {

namespace {

constexpr char kClassName[] = "CRichToolTip";
// The effect fill's blend toward the begin colour, as the tooltip asks for it.
constexpr int kBackgroundBlend = 5;

WindowKey KeyOf(HWND window) {
    return reinterpret_cast<WindowKey>(window);
}
HWND WindowOf(WindowKey key) {
    return reinterpret_cast<HWND>(key);
}

bool RegisterTipClass(WNDPROC procedure) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, kClassName, &wc)) return true;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS;  // the tip comes and goes often over the same pixels
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // nothing is erased: every paint covers the whole window
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

// The edit field of a drop-down combo box belongs to the combo: its tool is the combo's.
bool IsDropDownCombo(HWND window) {
    char name[16] = {};
    if (GetClassNameA(window, name, sizeof name) == 0 || lstrcmpiA(name, "combobox") != 0)
        return false;
    return (GetWindowLongPtrA(window, GWL_STYLE) & 0xF) == CBS_DROPDOWN;
}

std::vector<Rect> MonitorRects() {
    std::vector<Rect> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (GetMonitorInfoA(monitor, &info)) {
                const RECT& r = info.rcMonitor;
                reinterpret_cast<std::vector<Rect>*>(data)->push_back(
                    {r.left, r.top, r.right, r.bottom});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

Rect VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

win::UniqueHrgn OutlineRegion(const TipOutline& o) {
    win::UniqueHrgn region(CreateRoundRectRgn(o.body.left, o.body.top, o.body.right, o.body.bottom,
                                              o.corner.cx, o.corner.cy));
    if (region && o.triangle) {
        POINT points[3];
        for (int i = 0; i < 3; ++i) points[i] = {(*o.triangle)[i].x, (*o.triangle)[i].y};
        win::UniqueHrgn anchor(CreatePolygonRgn(points, 3, ALTERNATE));
        if (anchor) CombineRgn(region.get(), region.get(), anchor.get(), RGN_OR);
    }
    return region;
}

// A memory device context with a bitmap selected, restored when it goes.
class MemoryDc {
public:
    MemoryDc(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)) {
        if (dc_) old_ = SelectObject(dc_.get(), bitmap);
    }
    ~MemoryDc() {
        if (dc_) SelectObject(dc_.get(), old_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_.get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    win::UniqueHdc dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

CRichToolTip::CRichToolTip() {
    RegisterTipClass(&CRichToolTip::Proc);
    const Colour background = GetSysColor(COLOR_INFOBK);
    settings_.colourBegin = settings_.colourMiddle = settings_.colourEnd = background;
    border_.reset(CreateSolidBrush(GetSysColor(COLOR_INFOTEXT)));
}

CRichToolTip::~CRichToolTip() {
    DestroyTipWindow();
}

bool CRichToolTip::CreateTipWindow(HWND parent, bool balloon) {
    if (window_) return true;
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, 0, 0,
                              0, 0, parent, nullptr, GetModuleHandleA(nullptr), this);
    if (!window_) return false;
    parent_ = parent;
    settings_.shape = balloon ? BalloonShape() : PlainShape();
    drawer_.SetHotLinkNotify(window_, kRepaintMessage, 0);
    if (animationPeriod_ > 0) SetTimer(window_, tiptimer::kAnimation, animationPeriod_, nullptr);
    return true;
}

void CRichToolTip::DestroyTipWindow() {
    if (!window_) return;
    HideNow();
    KillTimer(window_, tiptimer::kAnimation);
    const HWND w = window_;
    window_ = nullptr;
    SetWindowLongPtrA(w, GWLP_USERDATA, 0);
    DestroyWindow(w);
    FreePictures();
}

void CRichToolTip::SetDelay(int kind, int ms) {
    ms = std::max(ms, 0);
    switch (kind) {
        case delay::kAutopop:
            settings_.autopopDelay = ms;
            break;
        case delay::kInitial:
            settings_.initialDelay = ms;
            break;
        case delay::kFadeIn:
            settings_.fadeInStep = ms;
            break;
        case delay::kFadeOut:
            settings_.fadeOutStep = ms;
            break;
        case delay::kAnimation:
            animationPeriod_ = ms;
            if (window_) {
                KillTimer(window_, tiptimer::kAnimation);
                if (ms > 0) SetTimer(window_, tiptimer::kAnimation, ms, nullptr);
            }
            break;
        default:
            break;
    }
}

void CRichToolTip::SetNotifyParent(bool notify) {
    notify_ = notify ? parent_ : nullptr;
}

void CRichToolTip::SetBorder(HBRUSH brush, int width, int height) {
    border_.reset(brush);
    settings_.border = {width, height};
}

void CRichToolTip::RegisterTool(HWND window, std::string_view text, const RECT* rect, int id) {
    TooltipTool tool;
    tool.id = id;
    if (rect) tool.rect = {rect->left, rect->top, rect->right, rect->bottom};
    tool.text = std::string(text);
    tools_.Add(KeyOf(window), std::move(tool));
}

void CRichToolTip::RegisterTool(HWND window, UINT textId, const RECT* rect, int id) {
    RegisterTool(window, win::LoadResourceString(GetModuleHandleA(nullptr), textId), rect, id);
}

void CRichToolTip::ForwardMessage(const MSG& m) {
    if (!window_) return;
    switch (m.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN: {
            // Client coordinates of the window the message is for.
            POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            if (m.hwnd) ClientToScreen(m.hwnd, &p);
            if (m.message == WM_MOUSEMOVE) {
                machine_.MouseMove({p.x, p.y});
            } else {
                machine_.LeftButtonDown({p.x, p.y});
            }
            break;
        }
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCMBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEWHEEL:
            machine_.HideNow();
            break;
        default:
            break;
    }
}

void CRichToolTip::HideNow() {
    if (window_) machine_.HideNow();
}

// --- the machine's view of the window --------------------------------------------------------

std::optional<ToolHit> CRichToolTip::ToolAt(Point screen) {
    const POINT pt{screen.x, screen.y};
    HWND under = WindowFromPoint(pt);
    if (under && under == window_ && parent_) {
        // A tip that follows the cursor may lie under it: look at the owner's controls.
        POINT c = pt;
        ScreenToClient(parent_, &c);
        under = ChildWindowFromPointEx(parent_, c, CWP_SKIPINVISIBLE);
    }
    if (!under) return std::nullopt;
    HWND candidate = nullptr;
    if (HWND parent = GetParent(under); parent && IsDropDownCombo(parent)) {
        candidate = parent;
    } else {
        // The point's child of the window under it, or that window itself: this finds the
        // disabled controls, which the system passes over for their parent.
        POINT c = pt;
        ScreenToClient(under, &c);
        candidate = ChildWindowFromPointEx(under, c, CWP_SKIPINVISIBLE);
    }
    if (!candidate) return std::nullopt;
    POINT client = pt;
    ScreenToClient(candidate, &client);
    const TooltipTool* tool = tools_.Find(KeyOf(candidate), {client.x, client.y});
    if (!tool) return std::nullopt;
    return ToolHit{KeyOf(candidate), *tool};
}

bool CRichToolTip::CursorOverTip(Point screen) {
    return IsWindowVisible(window_) && WindowFromPoint(POINT{screen.x, screen.y}) == window_;
}

Point CRichToolTip::CursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

void CRichToolTip::StartTimer(unsigned id, int ms) {
    if (window_) SetTimer(window_, id, static_cast<UINT>(ms), nullptr);
}

void CRichToolTip::StopTimer(unsigned id) {
    if (window_) KillTimer(window_, id);
}

bool CRichToolTip::ShowTip(ToolHit& hit, Point at, int transparency) {
    const EffectiveTool tool = Resolve(hit.tool, settings_);
    POINT point{at.x, at.y};
    if (notify_) {
        TooltipDisplayInfo info{};
        info.hdr.hwndFrom = window_;
        info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window_));
        info.hdr.code = kDisplayNotification;
        info.toolWindow = WindowOf(hit.window);
        info.point = &point;
        info.tool = &hit.tool;
        SendMessageA(notify_, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    }
    if (hit.tool.text.empty() || !window_) return false;

    SIZE size{};
    if (HDC dc = GetDC(window_)) {
        size = drawer_.MeasureText(dc, hit.tool.text);
        ReleaseDC(window_, dc);
    }
    if (size.cx <= 0 || size.cy <= 0) return false;  // nothing left after preparing the text

    const std::vector<Rect> monitors = MonitorRects();
    const Point p{point.x, point.y};
    layout_ = LayoutTip({size.cx, size.cy}, settings_.shape, tool.direction, p,
                        ScreenFor(p, monitors, VirtualScreen()));
    placedAt_ = point;
    const Point origin = layout_.Origin(p);
    if (!BuildPictures(tool, {origin.x, origin.y})) return false;

    // The window: the outline, and the outline once more where the shadow falls.
    const Point off = ShadowOffsetOf(settings_.shadow);
    win::UniqueHrgn windowRegion(CreateRectRgn(0, 0, 0, 0));
    if (windowRegion) CombineRgn(windowRegion.get(), region_.get(), nullptr, RGN_COPY);
    if (windowRegion && (off.x != 0 || off.y != 0)) {
        win::UniqueHrgn shadow(CreateRectRgn(0, 0, 0, 0));
        CombineRgn(shadow.get(), region_.get(), nullptr, RGN_COPY);
        OffsetRgn(shadow.get(), off.x, off.y);
        CombineRgn(windowRegion.get(), windowRegion.get(), shadow.get(), RGN_OR);
    }
    if (windowRegion) SetWindowRgn(window_, windowRegion.release(), FALSE);  // the system's now

    transparency_ = transparency;
    SetWindowPos(window_, nullptr, origin.x, origin.y, layout_.window.cx + off.x,
                 layout_.window.cy + off.y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Painted at once: a tip must never show an unpainted frame.
    UpdateWindow(window_);
    return true;
}

bool CRichToolTip::BuildPictures(const EffectiveTool& tool, POINT origin) {
    FreePictures();
    const int w = layout_.window.cx, h = layout_.window.cy;
    region_ = OutlineRegion(OutlineOf(layout_, settings_.shape));
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    background_.reset(CreateCompatibleBitmap(screen, w, h));
    bool ok = region_ && background_;
    if (ok) {
        MemoryDc mem(screen, background_.get());
        const Rect& wm = layout_.withMargins;
        FillBackground(mem.get(), tool.effect, RECT{wm.left, wm.top, wm.right, wm.bottom},
                       tool.colourBegin, tool.colourMiddle, tool.colourEnd, tool.granularity,
                       kBackgroundBlend);
        if (const auto band = AnchorBandOf(layout_, settings_.shape)) {
            const Rect& b = band->band;
            const Rect& s = band->sourceLine;
            SetStretchBltMode(mem.get(), COLORONCOLOR);
            StretchBlt(mem.get(), b.left, b.top, b.Width(), b.Height(), mem.get(), s.left, s.top,
                       s.Width(), s.Height(), SRCCOPY);
        }

        // Which pixels lie within the outline: the region filled white on black, read back.
        Picture mask(w, h);
        {
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            win::UniqueHbitmap dib(
                CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            MemoryDc maskDc(screen, dib.get());
            ok = dib && maskDc;
            if (ok) {
                FillRgn(maskDc.get(), region_.get(),
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                GdiFlush();
                const auto* p = static_cast<const std::uint32_t*>(bits);
                inside_.resize(static_cast<std::size_t>(w) * h);
                for (std::size_t i = 0; i < inside_.size(); ++i)
                    inside_[i] = (p[i] & 0xFFFFFF) != 0;
            }
        }
    }
    if (ok) {
        // What lies beneath, taken before the tip covers it: a window's own device context
        // shows the pixels under a new window only on a desktop that does not compose windows.
        const Point off = ShadowOffsetOf(settings_.shadow);
        under_ = ReadPicture(screen, origin.x, origin.y, w + off.x, h + off.y);
        ok = !under_.pixels.empty();
    }
    ReleaseDC(nullptr, screen);
    if (!ok) FreePictures();
    return ok;
}

void CRichToolTip::FreePictures() {
    region_.reset();
    background_.reset();
    inside_.clear();
    under_ = Picture();
}

void CRichToolTip::Paint(HDC target) {
    if (!background_) return;
    const int w = layout_.window.cx, h = layout_.window.cy;
    // The tip composed in memory: background, text, frame.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win::UniqueHbitmap dib(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib) return;
    Picture tip(w, h);
    {
        MemoryDc mem(target, dib.get());
        MemoryDc back(target, background_.get());
        if (!mem || !back) return;
        BitBlt(mem.get(), 0, 0, w, h, back.get(), 0, 0, SRCCOPY);
        const Rect& c = layout_.content;
        drawer_.RenderText(mem.get(), RECT{c.left, c.top, c.right, c.bottom});
        if (border_ && settings_.border.cx != 0 && settings_.border.cy != 0)
            FrameRgn(mem.get(), region_.get(), border_.get(), settings_.border.cx,
                     settings_.border.cy);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < tip.pixels.size(); ++i) tip.pixels[i] = p[i] & 0xFFFFFF;
    }
    WritePicture(target, 0, 0, ComposeTip(under_, tip, inside_, settings_.shadow, transparency_));
}

void CRichToolTip::RepaintTip(int transparency) {
    transparency_ = std::clamp(transparency, 0, 100);
    if (!window_ || !IsWindowVisible(window_)) return;
    if (HDC dc = GetDC(window_)) {
        Paint(dc);
        ReleaseDC(window_, dc);
    }
}

void CRichToolTip::HideTip() {
    if (window_) ShowWindow(window_, SW_HIDE);
}

void CRichToolTip::MoveTip(Point screen) {
    if (!window_) return;
    // The anchor keeps pointing at the cursor.
    const Point origin = layout_.Origin(screen);
    SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CRichToolTip::ClickTip(Point screen) {
    if (!window_) return;
    POINT p{screen.x, screen.y};
    ScreenToClient(window_, &p);
    drawer_.FollowLinkAt(p);
}

// --- the window --------------------------------------------------------------------------------

LRESULT CALLBACK CRichToolTip::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CRichToolTip*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || self->window_ != window) return DefWindowProcA(window, message, wParam, lParam);
    // No exception may unwind through the system's frames.
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CRichToolTip::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(window_, &ps)) {
                Paint(dc);
                EndPaint(window_, &ps);
            }
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_TIMER:
            if (wParam == tiptimer::kAnimation) {
                if (TipVisible() && machine_.State() == DisplayState::Shown &&
                    drawer_.StepAnimations())
                    RepaintTip(transparency_);
            } else {
                machine_.Timer(static_cast<unsigned>(wParam));
            }
            return 0;
        case kRepaintMessage:
            if (settings_.repaintOnRequest) RepaintTip(transparency_);
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
                POINT p{};
                GetCursorPos(&p);
                ScreenToClient(window_, &p);
                if (!drawer_.UpdateHotLink(p)) SetCursor(LoadCursor(nullptr, IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // a click on the tip leaves the focus where it is
        case WM_NCDESTROY: {
            // The owner went first and took the tip with it: the object outlives its window.
            const LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
            window_ = nullptr;
            machine_.HideNow();
            FreePictures();
            return result;
        }
        case WM_ACTIVATEAPP: {
            const LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
            if (!wParam) HideNow();
            return result;
        }
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace tooltip
