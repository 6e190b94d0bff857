// Video memory of the first hardware adapter, through DXGI 1.4.
#include "platform/win32/win32_sensors.h"
#include "platform/win32/win32_wide_text.h"

#include <windows.h>

#include <dxgi1_4.h>

#include <utility>

namespace tavrine::win32 {

namespace {

// Releases a COM interface when it goes.
template <typename Interface> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComRef& operator=(ComRef&&) = delete;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }

private:
    Interface* pointer_ = nullptr;
};

class DxgiAdapter final : public VideoAdapter {
public:
    DxgiAdapter(ComRef<IDXGIFactory1> factory, ComRef<IDXGIAdapter3> adapter, std::string name)
        : factory_(std::move(factory)), adapter_(std::move(adapter)), name_(std::move(name)) {}

    std::string name() override { return name_; }

    std::optional<VideoMemory> memory() override {
        DXGI_QUERY_VIDEO_MEMORY_INFO info{};
        if (FAILED(adapter_->QueryVideoMemoryInfo(0, DXGI_MEMORY_SEGMENT_GROUP_LOCAL, &info))) {
            return std::nullopt;
        }
        return VideoMemory{info.CurrentUsage, info.Budget};
    }

private:
    ComRef<IDXGIFactory1> factory_; // released after the adapter
    ComRef<IDXGIAdapter3> adapter_;
    std::string name_;
};

// The description up to its null (the record holds 128 units), as shown text.
std::string utf8_name(const wchar_t* description) {
    return win32::shown_utf8_from_wide(std::wstring_view(description, wcsnlen(description, 128)));
}

} // namespace

std::unique_ptr<VideoAdapter> open_dxgi_adapter() {
    ComRef<IDXGIFactory1> factory;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.put())))) {
        return nullptr;
    }
    for (UINT index = 0;; ++index) {
        ComRef<IDXGIAdapter1> adapter;
        if (factory->EnumAdapters1(index, adapter.put()) == DXGI_ERROR_NOT_FOUND) {
            return nullptr;
        }
        if (!adapter.get()) {
            continue;
        }
        DXGI_ADAPTER_DESC1 description{};
        if (FAILED(adapter->GetDesc1(&description)) ||
            (description.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0) {
            continue;
        }
        ComRef<IDXGIAdapter3> adapter3;
        if (SUCCEEDED(
                adapter->QueryInterface(__uuidof(IDXGIAdapter3), reinterpret_cast<void**>(adapter3.put())))) {
            std::string name = utf8_name(description.Description);
            return std::make_unique<DxgiAdapter>(std::move(factory), std::move(adapter3), std::move(name));
        }
    }
}

} // namespace tavrine::win32
