// Thin owners for Win32 handles, registry keys, modules, GDI objects and COM
// pointers. Each closes what it holds exactly once, on every path.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <commctrl.h>
#include <utility>

namespace win {

// Generic owner: Traits supplies Invalid() and Close(h).
template <typename T, typename Traits>
class Scoped {
public:
    Scoped() noexcept : h_(Traits::Invalid()) {}
    explicit Scoped(T h) noexcept : h_(h) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& o) noexcept : h_(o.release()) {}
    Scoped& operator=(Scoped&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    T get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    T release() noexcept {
        T h = h_;
        h_ = Traits::Invalid();
        return h;
    }
    void reset(T h = Traits::Invalid()) noexcept {
        if (valid()) Traits::Close(h_);
        h_ = h;
    }
    // For out-parameters: releases what is held and hands out the slot.
    T* put() noexcept {
        reset();
        return &h_;
    }

private:
    T h_;
};

struct HandleTraits {  // CreateFile-style handles
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {  // events, mutexes, threads, processes: NULL when absent
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct ServiceHandleTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct GdiTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct FindTraits {  // FindFirstFile searches
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct DcTraits {  // memory and created device contexts
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct EnhMetaFileTraits {
    static HENHMETAFILE Invalid() { return nullptr; }
    static void Close(HENHMETAFILE h) { ::DeleteEnhMetaFile(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { ::DestroyWindow(h); }
};

using FileHandle = Scoped<HANDLE, HandleTraits>;
using Handle = Scoped<HANDLE, KernelHandleTraits>;
using ServiceHandle = Scoped<SC_HANDLE, ServiceHandleTraits>;
using RegKey = Scoped<HKEY, RegKeyTraits>;
using Module = Scoped<HMODULE, ModuleTraits>;
using GdiObject = Scoped<HGDIOBJ, GdiTraits>;
using Icon = Scoped<HICON, IconTraits>;
using Menu = Scoped<HMENU, MenuTraits>;
using Dc = Scoped<HDC, DcTraits>;
using ImageList = Scoped<HIMAGELIST, ImageListTraits>;
using FindHandle = Scoped<HANDLE, FindTraits>;
using EnhMetaFile = Scoped<HENHMETAFILE, EnhMetaFileTraits>;
using Window = Scoped<HWND, WindowTraits>;

// A window's device context from GetDC, released on every path.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() { if (dc_) ::ReleaseDC(hwnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class Select {
public:
    Select(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~Select() { if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_); }
    Select(const Select&) = delete;
    Select& operator=(const Select&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves a device context's state and restores it.
class SavedDc {
public:
    explicit SavedDc(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
    ~SavedDc() { if (id_) ::RestoreDC(dc_, id_); }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int id_;
};

// COM interface pointer owner.
template <typename I>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) noexcept : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr& operator=(const ComPtr& o) noexcept {
        if (o.p_) o.p_->AddRef();
        reset();
        p_ = o.p_;
        return *this;
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }

    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    I** put() noexcept { reset(); return &p_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void reset() noexcept {
        if (p_) { p_->Release(); p_ = nullptr; }
    }

private:
    I* p_ = nullptr;
};

// Balances CoInitializeEx for the calling thread.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : hr_(::CoInitializeEx(nullptr, model)) {}
    ~ComInit() { if (SUCCEEDED(hr_)) ::CoUninitialize(); }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    bool ok() const noexcept { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

}  // namespace win
