#pragma once
// The Direct3D 11 device, its immediate context, the swap chain and the main render target:
// process-wide, created at start-up and released at shutdown.

#include <d3d11.h>
#include <dxgi.h>

namespace tavrine {

struct GraphicsDevice {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swap_chain = nullptr;
    ID3D11RenderTargetView* main_target = nullptr;
};

GraphicsDevice& graphics();

bool create_device(HWND hwnd);
void cleanup_device();
void create_render_target();
void release_render_target();

} // namespace tavrine
