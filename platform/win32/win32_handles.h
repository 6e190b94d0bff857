#pragma once
// One owner type per handle kind, so no path can leak or double-close a handle.

#include <windows.h>

#include <oleauto.h>

#include <utility>

namespace tavrine::win32 {

template <typename Handle, typename Traits> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, Traits::invalid()));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    Handle* put() {
        reset();
        return &handle_;
    }
    explicit operator bool() const { return handle_ != Traits::invalid(); }
    void reset(Handle handle = Traits::invalid()) {
        if (handle_ != Traits::invalid()) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};
struct ServiceTraits {
    static SC_HANDLE invalid() { return nullptr; }
    static void close(SC_HANDLE handle) { CloseServiceHandle(handle); }
};
struct KernelTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE module) { FreeLibrary(module); }
};

// Find handles and files opened with CreateFileA report failure as INVALID_HANDLE_VALUE.
struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { FindClose(handle); }
};
struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

// GDI: pens, brushes and bitmaps (DeleteObject), memory device contexts (DeleteDC).
struct GdiObjectTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ object) { DeleteObject(object); }
};
struct MemoryDcTraits {
    static HDC invalid() { return nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};

// COM: an interface pointer holds one reference (Release); a BSTR is freed with SysFreeString.
template <typename Interface> struct ComTraits {
    static Interface* invalid() { return nullptr; }
    static void close(Interface* object) { object->Release(); }
};
struct BstrTraits {
    static BSTR invalid() { return nullptr; }
    static void close(BSTR text) { SysFreeString(text); }
};
// Memory the security functions hand out (GetSecurityInfo's descriptor), freed with LocalFree.
struct LocalMemoryTraits {
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL memory) { LocalFree(memory); }
};

using UniqueHkey = UniqueHandle<HKEY, KeyTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueServiceHandle = UniqueHandle<SC_HANDLE, ServiceTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileTraits>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
template <typename Interface> using UniqueCom = UniqueHandle<Interface*, ComTraits<Interface>>;
using UniqueBstr = UniqueHandle<BSTR, BstrTraits>;
using UniqueLocalMemory = UniqueHandle<HLOCAL, LocalMemoryTraits>;

// The screen's device context (GetDC(NULL)), released with ReleaseDC.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// An object selected into a device context for a scope; the previous one goes back at the end,
// so the object can be deleted (GDI refuses to delete a selected object).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace tavrine::win32
