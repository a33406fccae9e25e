// Thin owners for Win32 handles, registry keys, modules, GDI objects and COM
// pointers. Each closes what it holds exactly once, on every path.
#pragma once

#include <windows.h>
#include <objbase.h>
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

using FileHandle = Scoped<HANDLE, HandleTraits>;
using Handle = Scoped<HANDLE, KernelHandleTraits>;
using ServiceHandle = Scoped<SC_HANDLE, ServiceHandleTraits>;
using RegKey = Scoped<HKEY, RegKeyTraits>;
using Module = Scoped<HMODULE, ModuleTraits>;
using GdiObject = Scoped<HGDIOBJ, GdiTraits>;
using Icon = Scoped<HICON, IconTraits>;
using Menu = Scoped<HMENU, MenuTraits>;

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
