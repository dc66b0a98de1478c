// The Shockwave Flash control as the programs drive it: every call goes through the control's
// IDispatch by DISPID, whether the control is the registered one or the built-in engine.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "win/com_ptr.h"

namespace win {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
extern const CLSID kShockwaveFlashClsid;
inline constexpr char kShockwaveFlashClsidText[] = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

enum FlashDispid : DISPID {
    kDispidMovie = 102,
    kDispidPlay = 112,
    kDispidStop = 113,
    kDispidBack = 114,
    kDispidForward = 115,
    kDispidRewind = 116,
    kDispidTotalFrames = 124,
    kDispidGotoFrame = 127,
    kDispidCurrentFrame = 128,
    kDispidIsPlaying = 129,
    kDispidScale = 137,
    kDispidBgColor = 140,
};

// The player's wrapper. Without a control every call does nothing and every query answers
// empty, 0 or false.
class CShockwaveFlash {
public:
    CShockwaveFlash() = default;
    explicit CShockwaveFlash(ComPtr<IDispatch> control) : control_(std::move(control)) {}

    // Creates a control host window (child, visible) holding the Flash control, and binds to
    // it. False when no control could be made, neither the registered nor the built-in one.
    bool Create(HWND parent, int id, const RECT& rect, const char* windowName = "Flash player");
    // Binds to a host window made elsewhere (a dialog template's control).
    bool Attach(HWND host);
    HWND Window() const { return host_; }
    bool HasControl() const { return static_cast<bool>(control_); }

    std::string GetMovie();
    void SetMovie(const std::string& path);
    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    long TotalFrames();
    void GotoFrame(long frame);
    long CurrentFrame();
    bool IsPlaying();
    void SetScale(const std::string& mode);
    void SetBGColor(const std::string& rrggbb);

private:
    HRESULT Invoke(DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result);
    void Method(DISPID id);
    long IntResult(DISPID id, WORD flags);
    void PutText(DISPID id, const std::string& text);

    HWND host_ = nullptr;
    ComPtr<IDispatch> control_;
};

// The viewer's preview control: the Movie property alone.
class CFlash_ctrl {
public:
    bool Attach(HWND host) { return flash_.Attach(host); }
    HWND Window() const { return flash_.Window(); }
    void SetMovie(const std::string& path) { flash_.SetMovie(path); }

private:
    CShockwaveFlash flash_;
};

}  // namespace win
