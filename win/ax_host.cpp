#include "win/ax_host.h"

#include <ocidl.h>
#include <ole2.h>
#include <oleidl.h>

#include <cstring>

#include <map>
#include <string>

#include "win/ansi_wide.h"
#include "win/com_ptr.h"
#include "win/window_class.h"

namespace win {
namespace {

struct ClsidLess {
    bool operator()(const CLSID& a, const CLSID& b) const {
        return std::memcmp(&a, &b, sizeof(CLSID)) < 0;
    }
};

std::map<CLSID, BuiltInControlFactory, ClsidLess>& BuiltIns() {
    static std::map<CLSID, BuiltInControlFactory, ClsidLess> factories;
    return factories;
}

bool g_preferRegistered = true;

// The container's side of one hosted control: client site, in-place site and frame. It lives
// as long as anyone holds a reference; the host window holds one.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Site(HWND host) : host_(host) {}

    HWND host_;
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObject> inPlace;
    bool builtIn = false;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
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

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        if (m) *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        if (c) *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (frame) {
            *frame = this;
            AddRef();
        }
        if (doc) *doc = nullptr;
        RECT client{};
        GetClientRect(host_, &client);
        if (pos) *pos = client;
        if (clip) *clip = client;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = GetAncestor(host_, GA_ROOT);
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT pos) override {
        if (inPlace && pos) inPlace->SetObjectRects(pos, pos);
        return S_OK;
    }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, no menus, no status bar.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~Site() = default;
    ULONG refs_ = 1;
};

Site* SiteOf(HWND host) {
    return reinterpret_cast<Site*>(GetWindowLongPtrA(host, GWLP_USERDATA));
}

// Activates a made control in place inside the host; false leaves nothing behind (the control
// is closed and let go, the host holds no site).
bool Activate(HWND host, const ComPtr<IOleObject>& object, bool builtIn) {
    Site* site = new Site(host);
    if (auto init = object.As<IPersistStreamInit>()) init->InitNew();
    object->SetClientSite(site);
    RECT client{};
    GetClientRect(host, &client);
    site->object = object;
    site->builtIn = builtIn;
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, host, &client))) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        SetWindowLongPtrA(host, GWLP_USERDATA, 0);
        site->object.Reset();
        site->Release();
        return false;
    }
    site->inPlace = object.As<IOleInPlaceObject>();
    return true;
}

// Embeds the registered control when there is one and it activates; otherwise the built-in
// stand-in, so that a control that is installed but broken (it cannot be made, or refuses to
// activate) costs the user nothing more than a missing one. False when neither works.
bool Embed(HWND host, const CLSID& clsid) {
    if (g_preferRegistered) {
        ComPtr<IOleObject> object;
        if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       object.PutVoid())) &&
            object && Activate(host, object, false))
            return true;
    }
    const auto it = BuiltIns().find(clsid);
    if (it == BuiltIns().end()) return false;
    ComPtr<IOleObject> object;
    return SUCCEEDED(it->second(IID_IOleObject, object.PutVoid())) && object &&
           Activate(host, object, true);
}

void Unembed(HWND host) {
    Site* site = SiteOf(host);
    if (site == nullptr) return;
    SetWindowLongPtrA(host, GWLP_USERDATA, 0);
    if (site->inPlace) site->inPlace->InPlaceDeactivate();
    if (site->object) {
        site->object->Close(OLECLOSE_NOSAVE);
        site->object->SetClientSite(nullptr);
    }
    site->inPlace.Reset();
    site->object.Reset();
    site->Release();
}

bool ParseClsid(const char* text, CLSID& clsid) {
    if (text == nullptr || text[0] != '{') return false;
    std::wstring wide = WideFromAnsi(text);
    return SUCCEEDED(CLSIDFromString(wide.data(), &clsid));
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            CLSID clsid{};
            // Code passes the class id as creation data; a dialog template as the text.
            if (create->lpCreateParams != nullptr)
                clsid = *static_cast<const CLSID*>(create->lpCreateParams);
            else if (!ParseClsid(create->lpszName, clsid))
                return -1;
            return Embed(window, clsid) ? 0 : -1;
        }
        case WM_SIZE:
            if (Site* site = SiteOf(window); site && site->inPlace) {
                RECT client{0, 0, LOWORD(lParam), HIWORD(lParam)};
                site->inPlace->SetObjectRects(&client, &client);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the control covers the whole window
        case WM_DESTROY:
            Unembed(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterAxHostClass() {
    return RegisterWindowClassOnce(kAxHostClass, HostProc);
}

void RegisterBuiltInControl(const CLSID& clsid, BuiltInControlFactory factory) {
    BuiltIns()[clsid] = factory;
}

void RemoveBuiltInControl(const CLSID& clsid) {
    BuiltIns().erase(clsid);
}

void PreferRegisteredControls(bool prefer) {
    g_preferRegistered = prefer;
}

HWND CreateAxHost(HWND parent, int id, const RECT& rect, const CLSID& clsid, const char* windowName,
                  DWORD style) {
    if (!RegisterAxHostClass()) return nullptr;
    CLSID copy = clsid;
    return CreateWindowExA(0, kAxHostClass, windowName, style | WS_CLIPCHILDREN, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), &copy);
}

HRESULT AxHostQueryControl(HWND host, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    char className[64] = {};
    if (host == nullptr || !GetClassNameA(host, className, sizeof(className)) ||
        std::string(className) != kAxHostClass)
        return E_FAIL;
    Site* site = SiteOf(host);
    if (site == nullptr || !site->object) return E_FAIL;
    return site->object->QueryInterface(iid, object);
}

bool AxHostIsBuiltIn(HWND host) {
    const Site* site = host ? SiteOf(host) : nullptr;
    return site != nullptr && site->builtIn;
}

}  // namespace win
