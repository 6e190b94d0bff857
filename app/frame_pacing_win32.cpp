#include "app/frame_pacing_win32.h"

#include "app/device_win32.h"

namespace tavrine {

namespace {

// Main thread only: the performance counter when the last frame was presented (0: none yet).
LONGLONG g_presented_at = 0;

LONGLONG counter_now() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

} // namespace

WindowPresence read_window_presence(HWND hwnd, bool occluded, bool dragging) {
    WindowPresence presence;
    presence.minimised = IsIconic(hwnd) != FALSE;
    presence.occluded = occluded;
    presence.foreground = GetForegroundWindow() == hwnd;
    presence.dragging = dragging;
    return presence;
}

void wait_for_messages(int ms) {
    if (ms <= 0) {
        return;
    }
    // MWMO_INPUTAVAILABLE: input already queued (seen by an earlier peek) ends the wait too.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

bool swap_chain_still_occluded() {
    IDXGISwapChain* swap_chain = graphics().swap_chain;
    return swap_chain && swap_chain->Present(0, DXGI_PRESENT_TEST) == DXGI_STATUS_OCCLUDED;
}

double ms_since_frame_presented() {
    if (g_presented_at == 0) {
        return 1e9;
    }
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter_now() - g_presented_at) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

void mark_frame_presented() {
    g_presented_at = counter_now();
}

} // namespace tavrine
