#include "win/shockwave_flash.h"

#include <oleauto.h>

#include "win/ansi_wide.h"
#include "win/ax_host.h"

namespace win {

const CLSID kShockwaveFlashClsid = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

bool CShockwaveFlash::Create(HWND parent, int id, const RECT& rect, const char* windowName) {
    const HWND host =
        CreateAxHost(parent, id, rect, kShockwaveFlashClsid, windowName, WS_CHILD | WS_VISIBLE);
    return host != nullptr && Attach(host);
}

bool CShockwaveFlash::Attach(HWND host) {
    ComPtr<IDispatch> control;
    if (FAILED(AxHostQueryControl(host, IID_IDispatch, control.PutVoid()))) return false;
    host_ = host;
    control_ = std::move(control);
    return true;
}

HRESULT CShockwaveFlash::Invoke(DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
    if (!control_) return E_POINTER;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{args, flags == DISPATCH_PROPERTYPUT ? &putId : nullptr, count,
                      flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                            nullptr);
}

void CShockwaveFlash::Method(DISPID id) {
    Invoke(id, DISPATCH_METHOD, nullptr, 0, nullptr);
}

long CShockwaveFlash::IntResult(DISPID id, WORD flags) {
    VARIANT result;
    VariantInit(&result);
    long value = 0;
    if (SUCCEEDED(Invoke(id, flags, nullptr, 0, &result)) &&
        SUCCEEDED(VariantChangeType(&result, &result, 0, VT_I4)))
        value = result.lVal;
    VariantClear(&result);
    return value;
}

void CShockwaveFlash::PutText(DISPID id, const std::string& text) {
    const std::wstring wide = WideFromAnsi(text);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    Invoke(id, DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
    VariantClear(&arg);
}

std::string CShockwaveFlash::GetMovie() {
    VARIANT result;
    VariantInit(&result);
    std::string movie;
    if (SUCCEEDED(Invoke(kDispidMovie, DISPATCH_PROPERTYGET, nullptr, 0, &result)) &&
        result.vt == VT_BSTR)
        movie = AnsiFromBstr(result.bstrVal);
    VariantClear(&result);
    return movie;
}

void CShockwaveFlash::SetMovie(const std::string& path) {
    PutText(kDispidMovie, path);
}
void CShockwaveFlash::Play() {
    Method(kDispidPlay);
}
void CShockwaveFlash::Stop() {
    Method(kDispidStop);
}
void CShockwaveFlash::Back() {
    Method(kDispidBack);
}
void CShockwaveFlash::Forward() {
    Method(kDispidForward);
}
void CShockwaveFlash::Rewind() {
    Method(kDispidRewind);
}
long CShockwaveFlash::TotalFrames() {
    return IntResult(kDispidTotalFrames, DISPATCH_PROPERTYGET);
}
long CShockwaveFlash::CurrentFrame() {
    return IntResult(kDispidCurrentFrame, DISPATCH_METHOD);
}

void CShockwaveFlash::GotoFrame(long frame) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = frame;
    Invoke(kDispidGotoFrame, DISPATCH_METHOD, &arg, 1, nullptr);
}

bool CShockwaveFlash::IsPlaying() {
    VARIANT result;
    VariantInit(&result);
    bool playing = false;
    if (SUCCEEDED(Invoke(kDispidIsPlaying, DISPATCH_METHOD, nullptr, 0, &result)) &&
        SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BOOL)))
        playing = result.boolVal != VARIANT_FALSE;
    VariantClear(&result);
    return playing;
}

void CShockwaveFlash::SetScale(const std::string& mode) {
    PutText(kDispidScale, mode);
}
void CShockwaveFlash::SetBGColor(const std::string& rrggbb) {
    PutText(kDispidBgColor, rrggbb);
}

}  // namespace win
