// One move-only owner for every kind of Win32 handle, with a typedef per kind. A handle is
// released exactly once, by the function that belongs to its kind; copies do not exist.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Traits: Type, Invalid() (the value that owns nothing) and Close(value).
template <typename Traits>
class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() = default;
    explicit UniqueAny(Type value) : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    // For functions that hand out a new handle through a pointer: the old one is released.
    Type* put() {
        reset();
        return &value_;
    }
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid()) {
        const Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type value_ = Traits::Invalid();
};

namespace detail {

template <typename T, void (*CloseFn)(T)>
struct NullTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type v) { CloseFn(v); }
};

template <void (*CloseFn)(HANDLE)>
struct InvalidValueTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type v) { CloseFn(v); }
};

inline void CloseKey(HKEY key) {
    RegCloseKey(key);
}
inline void CloseKernelHandle(HANDLE h) {
    CloseHandle(h);
}
inline void CloseFind(HANDLE h) {
    FindClose(h);
}
template <typename T>
inline void DeleteGdiObject(T h) {
    DeleteObject(h);
}
inline void DeleteDc(HDC dc) {
    DeleteDC(dc);
}
inline void DestroyMenuHandle(HMENU m) {
    DestroyMenu(m);
}
inline void DestroyIconHandle(HICON i) {
    DestroyIcon(i);
}
inline void ReleaseModuleHandle(HMODULE m) {
    FreeLibrary(m);
}

}  // namespace detail

using UniqueHkey = UniqueAny<detail::NullTraits<HKEY, detail::CloseKey>>;
// Kernel handles whose failure value is null (events, processes, mappings).
using UniqueHandle = UniqueAny<detail::NullTraits<HANDLE, detail::CloseKernelHandle>>;
// Kernel handles whose failure value is INVALID_HANDLE_VALUE (CreateFileA).
using UniqueFile = UniqueAny<detail::InvalidValueTraits<detail::CloseKernelHandle>>;
using UniqueFindHandle = UniqueAny<detail::InvalidValueTraits<detail::CloseFind>>;
using UniqueHfont = UniqueAny<detail::NullTraits<HFONT, detail::DeleteGdiObject<HFONT>>>;
using UniqueHbrush = UniqueAny<detail::NullTraits<HBRUSH, detail::DeleteGdiObject<HBRUSH>>>;
using UniqueHbitmap = UniqueAny<detail::NullTraits<HBITMAP, detail::DeleteGdiObject<HBITMAP>>>;
using UniqueHrgn = UniqueAny<detail::NullTraits<HRGN, detail::DeleteGdiObject<HRGN>>>;
using UniqueHdc = UniqueAny<detail::NullTraits<HDC, detail::DeleteDc>>;
using UniqueHmenu = UniqueAny<detail::NullTraits<HMENU, detail::DestroyMenuHandle>>;
using UniqueHicon = UniqueAny<detail::NullTraits<HICON, detail::DestroyIconHandle>>;
using UniqueHmodule = UniqueAny<detail::NullTraits<HMODULE, detail::ReleaseModuleHandle>>;

}  // namespace win
