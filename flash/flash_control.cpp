#include "flash/flash_control.h"

#include <ole2.h>
#include <oleauto.h>
#include <oleidl.h>

#include <memory>
#include <string>

#include "base/ansi_text.h"
#include "flash/control_model.h"
#include "flash/render/button_picker.h"
#include "flash/render/stage_picture.h"
#include "flash/sound/wave_output.h"
#include "win/ansi_wide.h"
#include "win/ax_host.h"
#include "win/com_ptr.h"
#include "win/shockwave_flash.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace flash {
namespace {

constexpr char kStageClass[] = "VeltranoFlashStage";
constexpr UINT_PTR kPlayTimer = 1;

struct NameDispid {
    const wchar_t* name;
    DISPID id;
};
constexpr NameDispid kNames[] = {
    {L"Movie", win::kDispidMovie},
    {L"Play", win::kDispidPlay},
    {L"Stop", win::kDispidStop},
    {L"Back", win::kDispidBack},
    {L"Forward", win::kDispidForward},
    {L"Rewind", win::kDispidRewind},
    {L"TotalFrames", win::kDispidTotalFrames},
    {L"GotoFrame", win::kDispidGotoFrame},
    {L"CurrentFrame", win::kDispidCurrentFrame},
    {L"IsPlaying", win::kDispidIsPlaying},
    {L"Scale", win::kDispidScale},
    {L"BGColor", win::kDispidBgColor},
};

// A stall of the user-interface thread (a modal loop, a slow disk) longer than this is not
// made up for afterwards: the movie goes on from where it was rather than racing ahead.
constexpr long long kMaxCatchUpUs = 250000;

class FlashControl final : public IOleObject, public IOleInPlaceObject, public IDispatch {
public:
    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        site_ = win::ComPtr<IOleClientSite>::Share(site);
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        if (site == nullptr) return E_POINTER;
        *site = site_.Get();
        if (*site) (*site)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        if (m) *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** d) override {
        if (d) *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* active, LONG, HWND parent,
                        LPCRECT pos) override {
        switch (verb) {
            case OLEIVERB_INPLACEACTIVATE:
            case OLEIVERB_UIACTIVATE:
            case OLEIVERB_SHOW:
            case OLEIVERB_PRIMARY:
                return Activate(active ? active : site_.Get(), parent, pos);
            case OLEIVERB_HIDE:
                if (window_) ShowWindow(window_, SW_HIDE);
                return S_OK;
            default:
                return OLEOBJ_E_NOVERBS;
        }
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override {
        if (e) *e = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        if (clsid == nullptr) return E_POINTER;
        *clsid = win::kShockwaveFlashClsid;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR* type) override {
        if (type) *type = nullptr;
        return OLE_S_USEREG;
    }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
        if (size == nullptr) return E_POINTER;
        size->cx = size->cy = 0;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink*, DWORD* c) override {
        if (c) *c = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override {
        if (e) *e = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        if (status == nullptr) return E_POINTER;
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                  OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        if (window_ == nullptr) return S_OK;
        DestroyWindow(window_);  // clears window_ through WM_NCDESTROY
        if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
        inPlaceSite_.Reset();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
        if (pos && window_)
            MoveWindow(window_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                       TRUE);
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (names == nullptr || ids == nullptr) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const NameDispid& n : kNames) {
                if (i == 0 && names[i] && lstrcmpiW(names[i], n.name) == 0) ids[i] = n.id;
            }
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT* argError) override;

    FlashControl() { model_.SetButtonFinder(&picker_); }

    // The stage window's messages.
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    ~FlashControl() {
        if (window_) DestroyWindow(window_);
    }

    HRESULT Activate(IOleClientSite* site, HWND parent, LPCRECT pos);
    void Load(const std::string& location);
    // The sound is heard while the control has its window: the output starts with the first
    // movie of a shown control and ends with the window, even while a host still holds the
    // control's interfaces.
    void StartOutput();
    void StopOutput();
    void RestartTimer();
    void Paint();
    // The mouse at a client point (lParam of a mouse message), its left button `down`.
    void Mouse(LPARAM point, bool down);
    bool EnsureDib(int width, int height);
    void Changed() {
        if (window_) InvalidateRect(window_, nullptr, FALSE);
    }
    // After a tick: repaint only when the picture changed.
    void ChangedIfStale() {
        RECT client{};
        if (window_ && GetClientRect(window_, &client) &&
            picture_.Stale(model_, client.right, client.bottom))
            InvalidateRect(window_, nullptr, FALSE);
    }

    // Declared before the model, which refers to it until it goes.
    render::ButtonPicker picker_;
    ULONG refs_ = 1;
    win::ComPtr<IOleClientSite> site_;
    win::ComPtr<IOleInPlaceSite> inPlaceSite_;
    HWND window_ = nullptr;
    ControlModel model_;
    // Made with the first movie and kept until the window goes (declared after the model, so
    // that it also goes first otherwise: it mixes the model's sound on its own thread).
    std::unique_ptr<sound::WaveOutput> output_;
    LARGE_INTEGER lastTick_{};
    bool trackingLeave_ = false;
    LPARAM lastPoint_ = 0;
    // The stage's picture, drawn by the engine into a top-down 32-bit DIB section of the
    // window's size and copied to the screen at each paint.
    render::StagePicture picture_;
    win::UniqueHbitmap dib_;
    void* bits_ = nullptr;
    int dibWidth_ = 0;
    int dibHeight_ = 0;
};

LRESULT CALLBACK StageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<FlashControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (control == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return control->OnMessage(window, message, wParam, lParam);
}

bool RegisterStageClass() {
    return win::RegisterWindowClassOnce(kStageClass, StageProc);
}

HRESULT FlashControl::Activate(IOleClientSite* site, HWND parent, LPCRECT pos) {
    if (window_) {
        ShowWindow(window_, SW_SHOW);
        return S_OK;
    }
    if (site == nullptr) return E_INVALIDARG;
    win::ComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid())) || !inPlace)
        return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlace->OnInPlaceActivate();
    RECT rect{};
    if (pos) rect = *pos;
    {
        win::ComPtr<IOleInPlaceFrame> frame;
        win::ComPtr<IOleInPlaceUIWindow> doc;
        RECT posRect{}, clipRect{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(
                inPlace->GetWindowContext(frame.Put(), doc.Put(), &posRect, &clipRect, &info)) &&
            pos == nullptr)
            rect = posRect;
    }
    if (parent == nullptr) inPlace->GetWindow(&parent);
    if (!RegisterStageClass()) return E_FAIL;
    window_ = CreateWindowExA(0, kStageClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                              parent, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) {
        inPlace->OnInPlaceDeactivate();
        return E_FAIL;
    }
    inPlaceSite_ = inPlace;
    if (model_.HasMovie()) StartOutput();
    RestartTimer();
    return S_OK;
}

void FlashControl::Load(const std::string& location) {
    // The old movie's sounds stop before the output could mix any more of them.
    model_.SetMovie(location, LoadMovieFile(location));
    if (window_ != nullptr && model_.HasMovie()) StartOutput();
    QueryPerformanceCounter(&lastTick_);
    RestartTimer();
    Changed();
}

void FlashControl::StartOutput() {
    if (output_) return;
    output_ = std::make_unique<sound::WaveOutput>(model_.Sound());
    model_.SetAudioClock([output = output_.get()] { return output->PlayedFrames(); });
}

void FlashControl::StopOutput() {
    // The frames go back to the timer before the clock they followed goes.
    model_.SetAudioClock({});
    output_.reset();
}

void FlashControl::RestartTimer() {
    if (window_ == nullptr) return;
    KillTimer(window_, kPlayTimer);
    if (model_.HasMovie()) SetTimer(window_, kPlayTimer, model_.FrameIntervalMs(), nullptr);
}

bool FlashControl::EnsureDib(int width, int height) {
    if (dib_ && width == dibWidth_ && height == dibHeight_) return true;
    dib_.reset();
    bits_ = nullptr;
    dibWidth_ = dibHeight_ = 0;
    if (!render::SurfaceSizeAllowed(width, height)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dib_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dib_ || bits_ == nullptr) {
        dib_.reset();
        bits_ = nullptr;
        return false;
    }
    dibWidth_ = width;
    dibHeight_ = height;
    picture_.Invalidate();
    return true;
}

void FlashControl::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client{};
    GetClientRect(window_, &client);
    if (client.right > 0 && client.bottom > 0) {
        if (EnsureDib(client.right, client.bottom)) {
            render::SurfaceView surface(bits_, dibWidth_, dibHeight_, std::ptrdiff_t{dibWidth_} * 4);
            picture_.Update(model_, surface);
            GdiFlush();
            win::UniqueHdc memory(CreateCompatibleDC(dc));
            const HGDIOBJ old = SelectObject(memory.get(), dib_.get());
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, memory.get(), ps.rcPaint.left,
                   ps.rcPaint.top, SRCCOPY);
            SelectObject(memory.get(), old);
        } else {
            // Too large to draw (or out of memory): the background colour at least.
            win::UniqueHbrush brush(CreateSolidBrush(model_.BackgroundColorref()));
            FillRect(dc, &client, brush.get());
        }
    }
    EndPaint(window_, &ps);
}

void FlashControl::Mouse(LPARAM point, bool down) {
    lastPoint_ = point;
    RECT client{};
    GetClientRect(window_, &client);
    // Client coordinates are signed: a captured mouse reports points left of or above the
    // window as negative.
    model_.Mouse(static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)), client.right,
                 client.bottom, down);
    ChangedIfStale();
}

LRESULT FlashControl::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
                trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            }
            Mouse(lParam, model_.MouseDown());
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // Held, the mouse stays the control's until released, wherever it goes.
            SetCapture(window);
            Mouse(lParam, true);
            return 0;
        case WM_LBUTTONUP:
            Mouse(lParam, false);
            if (GetCapture() == window) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse while it was held: a release where it was last.
            if (reinterpret_cast<HWND>(lParam) != window && model_.MouseDown())
                Mouse(lastPoint_, false);
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (!model_.MouseDown()) {
                model_.MouseLeft();
                ChangedIfStale();
            }
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursor(nullptr, model_.OverButton() ? IDC_HAND : IDC_ARROW));
                return TRUE;
            }
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_TIMER:
            if (wParam == kPlayTimer) {
                LARGE_INTEGER now, frequency;
                QueryPerformanceCounter(&now);
                QueryPerformanceFrequency(&frequency);
                long long elapsedUs =
                    (now.QuadPart - lastTick_.QuadPart) * 1000000 / frequency.QuadPart;
                if (elapsedUs > kMaxCatchUpUs) elapsedUs = kMaxCatchUpUs;
                lastTick_ = now;
                model_.Tick(std::chrono::microseconds(elapsedUs));
                ChangedIfStale();
            }
            return 0;
        case WM_NCDESTROY:
            KillTimer(window, kPlayTimer);
            StopOutput();
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            return DefWindowProcA(window, message, wParam, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// One argument of a dispatch call, converted to the type the operation takes.
HRESULT Argument(DISPPARAMS* params, VARTYPE type, VARIANT& out, UINT* argError) {
    if (params == nullptr || params->cArgs < 1) return DISP_E_PARAMNOTFOUND;
    VariantInit(&out);
    // Arguments come last to first: the only one is at index cArgs - 1.
    const HRESULT hr = VariantChangeType(&out, &params->rgvarg[params->cArgs - 1], 0, type);
    if (FAILED(hr) && argError) *argError = 0;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

void SetBstr(VARIANT* result, const std::string& text) {
    if (result == nullptr) return;
    const std::wstring wide = win::WideFromAnsi(text);
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

void SetLong(VARIANT* result, long value) {
    if (result == nullptr) return;
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = value;
}

HRESULT FlashControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT* argError) {
    const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const bool method = (flags & DISPATCH_METHOD) != 0;
    VARIANT arg;
    switch (id) {
        case win::kDispidMovie:
        case win::kDispidScale:
        case win::kDispidBgColor:
            if (put) {
                if (const HRESULT hr = Argument(params, VT_BSTR, arg, argError); FAILED(hr))
                    return hr;
                const std::string text = win::AnsiFromBstr(arg.bstrVal);
                VariantClear(&arg);
                if (id == win::kDispidMovie) {
                    Load(text);
                } else if (id == win::kDispidScale) {
                    model_.SetScale(text);
                    Changed();
                } else {
                    model_.SetBackground(text);
                    Changed();
                }
                return S_OK;
            }
            if (!get) return DISP_E_MEMBERNOTFOUND;
            SetBstr(result, id == win::kDispidMovie   ? model_.Movie()
                            : id == win::kDispidScale ? std::string(ScaleModeName(model_.Scale()))
                                                      : model_.BackgroundText());
            return S_OK;
        case win::kDispidPlay:
        case win::kDispidStop:
        case win::kDispidBack:
        case win::kDispidForward:
        case win::kDispidRewind:
            if (!method) return DISP_E_MEMBERNOTFOUND;
            if (id == win::kDispidPlay) model_.Play();
            if (id == win::kDispidStop) model_.Stop();
            if (id == win::kDispidBack) model_.Back();
            if (id == win::kDispidForward) model_.Forward();
            if (id == win::kDispidRewind) model_.Rewind();
            QueryPerformanceCounter(&lastTick_);  // a resumed movie starts its frame afresh
            Changed();
            return S_OK;
        case win::kDispidGotoFrame:
            if (!method) return DISP_E_MEMBERNOTFOUND;
            if (const HRESULT hr = Argument(params, VT_I4, arg, argError); FAILED(hr)) return hr;
            model_.GotoFrame(arg.lVal);
            Changed();
            return S_OK;
        case win::kDispidTotalFrames:
        case win::kDispidCurrentFrame:
            if (!get) return DISP_E_MEMBERNOTFOUND;
            SetLong(result,
                    id == win::kDispidTotalFrames ? model_.TotalFrames() : model_.CurrentFrame());
            return S_OK;
        case win::kDispidIsPlaying:
            if (!get) return DISP_E_MEMBERNOTFOUND;
            if (result) {
                VariantInit(result);
                result->vt = VT_BOOL;
                result->boolVal = model_.IsPlaying() ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace

HRESULT CreateFlashControl(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    FlashControl* control = new FlashControl();
    const HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
}

void RegisterBuiltInFlashControl() {
    win::RegisterBuiltInControl(win::kShockwaveFlashClsid, CreateFlashControl);
}

}  // namespace flash
