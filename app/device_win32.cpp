#include "app/device_win32.h"

#include "app/device_fallback.h"

namespace tavrine {

namespace {

template <typename T> void release(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

GraphicsDevice& graphics() {
    static GraphicsDevice device;
    return device;
}

bool create_device(HWND hwnd) {
    GraphicsDevice& g = graphics();
    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferCount = 2;
    desc.BufferDesc.Width = 0; // the window's client size
    desc.BufferDesc.Height = 0;
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.BufferDesc.RefreshRate.Numerator = 0;
    desc.BufferDesc.RefreshRate.Denominator = 1;
    desc.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.OutputWindow = hwnd;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Windowed = TRUE;

    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    const auto attempt = [&](DeviceAttempt how) -> long {
        desc.SwapEffect = how.swap_effect == SwapEffect::FlipDiscard ? DXGI_SWAP_EFFECT_FLIP_DISCARD
                                                                     : DXGI_SWAP_EFFECT_DISCARD;
        const D3D_DRIVER_TYPE driver =
            how.driver == DeviceDriver::Hardware ? D3D_DRIVER_TYPE_HARDWARE : D3D_DRIVER_TYPE_WARP;
        D3D_FEATURE_LEVEL obtained{};
        return D3D11CreateDeviceAndSwapChain(nullptr, driver, nullptr, 0, levels, 2, D3D11_SDK_VERSION, &desc,
                                             &g.swap_chain, &g.device, &obtained, &g.context);
    };
    if (!create_with_fallbacks(attempt, DXGI_ERROR_UNSUPPORTED)) {
        return false;
    }

    IDXGIDevice1* dxgi_device = nullptr;
    if (SUCCEEDED(g.device->QueryInterface(__uuidof(IDXGIDevice1), reinterpret_cast<void**>(&dxgi_device)))) {
        dxgi_device->SetMaximumFrameLatency(1); // input-to-display lag stays at one frame
        dxgi_device->Release();
    }
    create_render_target();
    return true;
}

void cleanup_device() {
    GraphicsDevice& g = graphics();
    release(g.main_target);
    release(g.swap_chain);
    release(g.context);
    release(g.device);
}

void create_render_target() {
    GraphicsDevice& g = graphics();
    ID3D11Texture2D* back_buffer = nullptr;
    if (FAILED(
            g.swap_chain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&back_buffer)))) {
        return;
    }
    g.device->CreateRenderTargetView(back_buffer, nullptr, &g.main_target);
    back_buffer->Release();
}

void release_render_target() {
    release(graphics().main_target);
}

} // namespace tavrine
