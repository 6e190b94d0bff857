#include "app/window_win32.h"

#include "app/device_win32.h"
#include "engine/worker_gate.h"
#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_libraries.h"

#include <imgui.h>

// Declared by us on purpose: the back end's header keeps it commented out so that including
// it does not drag <windows.h> into every file.
extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hwnd, UINT msg, WPARAM wparam,
                                                             LPARAM lparam);

namespace tavrine {

namespace {

HWND g_main_window = nullptr; // main thread only; the one window this process owns

struct AccentPolicy {
    int accent_state;
    int accent_flags;
    int gradient_colour;
    int animation_id;
};
static_assert(sizeof(AccentPolicy) == 16);

struct CompositionAttributeData {
    DWORD attribute;
    PVOID data;
    SIZE_T size;
};

using SetWindowCompositionAttributeFn = BOOL(WINAPI*)(HWND, CompositionAttributeData*);

constexpr DWORD kAccentPolicyAttribute = 19;
// Windows gives a program a few seconds to end once the session ends.
constexpr std::chrono::milliseconds kEndSessionWait{4000};
constexpr int kAccentBlurBehind = 3;

void on_size(WPARAM wparam, LPARAM lparam) {
    GraphicsDevice& g = graphics();
    const UINT width = LOWORD(lparam);
    const UINT height = HIWORD(lparam);
    if (!g.device || !g.swap_chain || wparam == SIZE_MINIMIZED || width == 0 || height == 0) {
        return;
    }
    DXGI_SWAP_CHAIN_DESC desc{};
    if (SUCCEEDED(g.swap_chain->GetDesc(&desc)) && desc.BufferDesc.Width == width &&
        desc.BufferDesc.Height == height) {
        return;
    }
    release_render_target();
    g.swap_chain->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, 0);
    create_render_target();
}

} // namespace

HWND main_window() {
    return g_main_window;
}
void set_main_window(HWND hwnd) {
    g_main_window = hwnd;
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (ImGui_ImplWin32_WndProcHandler(hwnd, msg, wparam, lparam)) {
        return 1;
    }
    switch (msg) {
    case WM_SIZE:
        on_size(wparam, lparam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_KEYMENU) {
            return 0; // Alt never opens a system menu
        }
        break;
    case WM_ENDSESSION:
        // Windows ends the process soon after this returns: the run stops at its next step
        // boundary and closes its history, if it can within the time the system gives.
        if (wparam) {
            request_worker_stop();
            join_worker(kEndSessionWait);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void set_blur_behind(bool on) {
    // Undocumented export: looked up by name; when it is missing there is simply no blur.
    win32::UniqueModule user32(win32::load_system_library("user32.dll"));
    const auto set_attribute =
        win32::entry_point<SetWindowCompositionAttributeFn>(user32.get(), "SetWindowCompositionAttribute");
    if (!set_attribute) {
        return;
    }
    AccentPolicy accent{on ? kAccentBlurBehind : 0, 0, 0, 0};
    CompositionAttributeData data{kAccentPolicyAttribute, &accent, sizeof accent};
    set_attribute(g_main_window, &data);
}

} // namespace tavrine
