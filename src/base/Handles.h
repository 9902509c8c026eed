// Owned and borrowed wrappers for the platform's handles. Owned wrappers cannot be copied, only
// moved, and each keeps everything its release call needs.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace velm {

// Owned handle released by Traits::Close; Traits::Invalid() is the "none" value.
template <typename Traits> class Unique {
public:
    using handle_type = typename Traits::Handle;

    Unique() noexcept : h_(Traits::Invalid()) {}
    explicit Unique(handle_type h) noexcept : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) {
            reset(std::exchange(o.h_, Traits::Invalid()));
        }
        return *this;
    }
    ~Unique() { reset(); }

    handle_type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    handle_type release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void reset(handle_type h = Traits::Invalid()) noexcept {
        handle_type old = std::exchange(h_, h);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    handle_type h_;
};

namespace traits {
struct File {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct Kernel {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct Internet {
    using Handle = HINTERNET;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::InternetCloseHandle(h); }
};
template <typename T> struct Gdi {
    using Handle = T;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
struct MemoryDc {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};
struct Icon {
    using Handle = HICON;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};
struct Menu {
    using Handle = HMENU;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};
struct Global {
    using Handle = HGLOBAL;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::GlobalFree(h); }
};
struct Module {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};
struct Window {
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};
struct RegistryKey {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};
} // namespace traits

using UniqueFile = Unique<traits::File>;
using UniqueKernelHandle = Unique<traits::Kernel>;
using UniqueInternet = Unique<traits::Internet>;
using UniqueBitmap = Unique<traits::Gdi<HBITMAP>>;
using UniqueFont = Unique<traits::Gdi<HFONT>>;
using UniqueRegion = Unique<traits::Gdi<HRGN>>;
using UniqueBrush = Unique<traits::Gdi<HBRUSH>>;
using UniquePen = Unique<traits::Gdi<HPEN>>;
using UniquePalette = Unique<traits::Gdi<HPALETTE>>;
using UniqueMemoryDc = Unique<traits::MemoryDc>;
using UniqueIcon = Unique<traits::Icon>;
using UniqueMenu = Unique<traits::Menu>;
using UniqueGlobal = Unique<traits::Global>;
using UniqueWindow = Unique<traits::Window>;
using UniqueModule = Unique<traits::Module>;
using UniqueRegistryKey = Unique<traits::RegistryKey>;

// A window's DC from GetDC, released with the window it came from.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) {
            ::ReleaseDC(hwnd_, dc_);
        }
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    HDC dc() const noexcept { return dc_; }
    const RECT& rect() const noexcept { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects a GDI object into a DC for the scope and selects the previous one back, so nothing is
// ever deleted while still selected.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) noexcept
        : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (old_) {
            ::SelectObject(dc_, old_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory DC that owns the bitmap selected into it. The bitmap is selected out before either is
// deleted.
class MemorySurface {
public:
    MemorySurface() = default;
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;
    ~MemorySurface() { Reset(); }

    // Creates a DC compatible with `reference` and a compatible (or, with top-down 32-bit, a DIB
    // section) bitmap of the given size. Returns false and stays empty on failure.
    bool Create(HDC reference, int width, int height) noexcept {
        Reset();
        UniqueMemoryDc dc(::CreateCompatibleDC(reference));
        if (!dc) {
            return false;
        }
        UniqueBitmap bmp(::CreateCompatibleBitmap(reference, width, height));
        if (!bmp) {
            return false;
        }
        old_ = ::SelectObject(dc.get(), bmp.get());
        dc_ = std::move(dc);
        bitmap_ = std::move(bmp);
        width_ = width;
        height_ = height;
        return true;
    }
    // Takes ownership of `bitmap` and selects it into a new DC compatible with `reference`.
    bool Adopt(HDC reference, UniqueBitmap bitmap) noexcept {
        Reset();
        if (!bitmap) {
            return false;
        }
        UniqueMemoryDc dc(::CreateCompatibleDC(reference));
        if (!dc) {
            return false;
        }
        BITMAP info{};
        ::GetObjectA(bitmap.get(), sizeof(info), &info);
        old_ = ::SelectObject(dc.get(), bitmap.get());
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        width_ = info.bmWidth;
        height_ = info.bmHeight;
        return true;
    }
    void Reset() noexcept {
        if (dc_ && old_) {
            ::SelectObject(dc_.get(), old_);
        }
        old_ = nullptr;
        bitmap_.reset();
        dc_.reset();
        width_ = height_ = 0;
    }
    HDC dc() const noexcept { return dc_.get(); }
    HBITMAP bitmap() const noexcept { return bitmap_.get(); }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    explicit operator bool() const noexcept { return static_cast<bool>(dc_); }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// An owned COM interface pointer.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Adopts a reference the caller already holds.
    static ComPtr Attach(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    ComPtr(const ComPtr& o) noexcept : p_(o.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U> ComPtr<U> As(REFIID iid) const noexcept {
        ComPtr<U> out;
        if (p_) {
            p_->QueryInterface(iid, out.put_void());
        }
        return out;
    }

private:
    T* p_ = nullptr;
};

} // namespace velm
