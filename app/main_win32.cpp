// Process entry and the frame loop: start-up, one pass per frame, shutdown, in the fixed
// orders the rest of the program relies on (overlays before the GUI, the GUI before the device).
#include "app/device_win32.h"
#include "app/fonts.h"
#include "app/frame_pacing_win32.h"
#include "app/profile_dialog_win32.h"
#include "app/screens.h"
#include "app/shell_frame.h"
#include "app/shell_links.h"
#include "app/shell_state.h"
#include "app/theme.h"
#include "app/window_win32.h"
#include "engine/history.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "overlays/hud_window_win32.h"
#include "platform/default_machine.h"
#include "runs/modules.h"
#include "runs/undo_census.h"

#ifdef TAVRINE_BENCH_PROBE
#include "app/bench_probe_win32.h"
#endif

#include <dwmapi.h>
#include <imgui.h>
#include <imgui_impl_dx11.h>
#include <imgui_impl_win32.h>

#include <chrono>
#include <optional>

namespace tavrine {

namespace {

bool key_pressed_since_last_poll(int key) {
    return (GetAsyncKeyState(key) & 1) != 0;
}
bool key_held(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

HWND create_main_window(HINSTANCE instance) {
    constexpr int kWidth = static_cast<int>(kWindowWidth);
    constexpr int kHeight = static_cast<int>(kWindowHeight);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2;
    HWND hwnd = CreateWindowExW(0, kWindowClassName, L"Tavrine Optimiser", WS_POPUP, x, y, kWidth, kHeight,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        return nullptr;
    }
    SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    const MARGINS glass{-1, 0, 0, 0}; // the whole window as glass
    DwmExtendFrameIntoClientArea(hwnd, &glass);
    return hwnd;
}

// Drains the queue; true when WM_QUIT was among the messages.
bool pump_messages() {
    bool quit = false;
    MSG msg;
    // The wide forms: the window is a Unicode one, and typed characters outside the code page
    // would otherwise reach it as "?".
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        quit = quit || msg.message == WM_QUIT;
    }
    return quit;
}

void poll_hot_keys(const ShellLinks& links) {
    // Bit 0 only (pressed since the previous poll), so a key acts once. Every key is polled each
    // frame, so a Delete typed elsewhere is used up here and does not quit on a later focus.
    HotKeyPresses pressed;
    pressed.delete_key = key_pressed_since_last_poll(VK_DELETE);
    pressed.f8 = key_pressed_since_last_poll(VK_F8);
    pressed.f7 = key_pressed_since_last_poll(VK_F7);
    const HotKeyActions actions = hot_key_actions(pressed, GetForegroundWindow() == main_window());
    if (actions.quit) {
        PostQuitMessage(0);
    }
    if (actions.toggle_crosshair && links.toggle_crosshair_overlay) {
        links.toggle_crosshair_overlay();
    }
    if (actions.toggle_hud && links.toggle_hud) {
        links.toggle_hud();
    }
}

void act_on_chrome(ShellState& state, const ChromeInput& input) {
    HWND hwnd = main_window();
    switch (input.drag) {
    case DragPhase::Began: {
        POINT cursor{};
        RECT rect{};
        GetCursorPos(&cursor);
        GetWindowRect(hwnd, &rect);
        state.drag_cursor_start = {cursor.x, cursor.y};
        state.drag_window_start = {rect.left, rect.top, rect.right, rect.bottom};
        state.dragging = true;
        set_blur_behind(false);
        break;
    }
    case DragPhase::Held: {
        POINT cursor{};
        GetCursorPos(&cursor);
        SetWindowPos(hwnd, nullptr,
                     static_cast<int>(state.drag_window_start.left + cursor.x - state.drag_cursor_start.x),
                     static_cast<int>(state.drag_window_start.top + cursor.y - state.drag_cursor_start.y), 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        break;
    }
    case DragPhase::Ended:
        state.dragging = false;
        set_blur_behind(true);
        break;
    case DragPhase::None:
        break;
    }
    if (input.title == TitleAction::Minimise) {
        ShowWindow(hwnd, SW_MINIMIZE);
    } else if (input.title == TitleAction::Close) {
        PostQuitMessage(0);
    }
}

void idle_pace(ShellState& state, bool active) {
    const ImGuiIO& io = ImGui::GetIO();
    IdleInputs inputs;
    inputs.active = active;
    for (bool down : io.MouseDown) {
        inputs.mouse_down = inputs.mouse_down || down;
    }
    inputs.item_active = ImGui::IsAnyItemActive();
    inputs.buttons_held = key_held(VK_LBUTTON) || key_held(VK_RBUTTON);
    inputs.dt = io.DeltaTime;
    if (const int ms = idle_sleep_ms(state, inputs); ms > 0) {
        Sleep(static_cast<DWORD>(ms));
    }
}

// True when the swap chain reports the window covered: no frame is drawn until it is uncovered.
bool render_and_present(const ShellState& state) {
    GraphicsDevice& g = graphics();
    ImGui::Render();
    // Cleared fully transparent, so the layered, blurred window shows wherever nothing is drawn.
    const float clear[4] = {0, 0, 0, 0};
    g.context->OMSetRenderTargets(1, &g.main_target, nullptr);
    if (g.main_target) {
        g.context->ClearRenderTargetView(g.main_target, clear);
    }
    ImGui_ImplDX11_RenderDrawData(ImGui::GetDrawData());
    const HRESULT presented = g.swap_chain->Present(state.dragging ? 1 : 0, 0);
    mark_frame_presented();
#ifdef TAVRINE_BENCH_PROBE
    bench_probe_first_present();
    bench_count_frame();
#endif
    return presented == DXGI_STATUS_OCCLUDED;
}

// A pass without a GUI frame (minimised, covered, or between two frames behind another
// window): the hot keys are polled and the overlays handed any change they make, then the
// thread sleeps in the message wait. The overlays keep their own clocks meanwhile.
void pass_without_frame(const FramePlan& plan, const ShellLinks& links, bool& occluded) {
    poll_hot_keys(links);
    if (plan.mode == FrameMode::Hidden) {
        if (links.update_crosshair_overlay) {
            links.update_crosshair_overlay(0.0f);
        }
        if (links.update_hud_overlay) {
            links.update_hud_overlay(0.0f);
        }
    }
    wait_for_messages(plan.wait_ms);
    if (occluded) {
        occluded = swap_chain_still_occluded();
    }
}

// A quit while a worker runs waits for the step under way (each command in it has its own
// time limit) but not for ever.
constexpr auto kQuitWaitBound = std::chrono::seconds(60);
constexpr const char* kFinishingStep = "Finishing the current step\xE2\x80\xA6";

void draw_finishing_notice() {
    const ImVec2 size = ImGui::CalcTextSize(kFinishingStep);
    const ImVec2 at((kWindowWidth - size.x) * 0.5f, kWindowHeight - 48.0f);
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    draw->AddRectFilled(ImVec2(at.x - 16, at.y - 10), ImVec2(at.x + size.x + 16, at.y + size.y + 10),
                        IM_COL32(28, 26, 34, 235), 8.0f);
    draw->AddText(at, IM_COL32(244, 242, 248, 255), kFinishingStep);
}

// Returns when the user quit and no worker is left at work, or when the bounded wait for one ran
// out (then false: the worker still runs).
bool run_frame_loop(ShellState& state, const ShellLinks& links) {
    std::optional<std::chrono::steady_clock::time_point> quit_deadline;
    bool occluded = false;
    for (;;) {
        if (pump_messages() && !quit_deadline) {
            if (active_worker() == WorkerKind::None) {
                return true;
            }
            // The run stops at its next step boundary and closes its history; the window stays
            // up, saying so, until it has.
            request_worker_stop();
            run_status().current_label.exchange(kFinishingStep);
            quit_deadline = std::chrono::steady_clock::now() + kQuitWaitBound;
        }
        if (quit_deadline) {
            if (active_worker() == WorkerKind::None) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= *quit_deadline) {
                return false;
            }
        }
        const FramePlan plan = plan_frame(read_window_presence(main_window(), occluded, state.dragging),
                                          ms_since_frame_presented());
        if (!plan.draw) {
            pass_without_frame(plan, links, occluded);
            continue;
        }
        ImGui_ImplDX11_NewFrame();
        ImGui_ImplWin32_NewFrame();
        ImGui::NewFrame();
        const float dt = ImGui::GetIO().DeltaTime;
        const float t = static_cast<float>(ImGui::GetTime());

        apply_theme();
        if (state.screen == Screen::Main && links.advance_overview_sampler) {
            links.advance_overview_sampler(dt);
        }
        poll_hot_keys(links);
        act_on_chrome(state, shell_frame_body(state, links, dt, t));
        if (quit_deadline) {
            draw_finishing_notice();
        }
        occluded = render_and_present(state);
        if (plan.mode != FrameMode::Foreground) {
            continue; // Deep idle and the Eco renderer pace the window in front only
        }

        const RunStatus& status = run_status();
        IdleFrame frame;
        frame.run_in_progress = status.run_in_progress.load();
        frame.result_veil_shown = status.result_veil_shown.load();
        frame.crosshair_needs_animation =
            links.crosshair_needs_animation && links.crosshair_needs_animation();
        frame.item_hovered = ImGui::IsAnyItemHovered();
        idle_pace(state, !frame_is_idle(state, frame));
    }
}

int run_shell() {
    FreeConsole();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    if (!icon) {
        icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    }
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_CLASSDC;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = icon;
    window_class.hIconSm = icon;
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    window_class.lpszClassName = kWindowClassName;
    RegisterClassExW(&window_class);

    HWND hwnd = create_main_window(instance);
    set_main_window(hwnd);
    if (!hwnd || !create_device(hwnd)) {
        // The class can only be unregistered once no window of it is left, so the never-shown
        // window goes first.
        cleanup_device();
        if (hwnd) {
            DestroyWindow(hwnd);
        }
        set_main_window(nullptr);
        UnregisterClassW(kWindowClassName, instance);
        return 1;
    }
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);
    set_blur_behind(true);

    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.IniFilename = nullptr;
    load_all_ui_fonts(*io.Fonts);
    ImGui::StyleColorsDark();
    apply_theme();
    ImGui_ImplWin32_Init(hwnd);
    ImGui_ImplDX11_Init(graphics().device, graphics().context);

    const ShellLinks& links = shell_links();
    set_hud_window(&win32_hud_window());
    apply_profile_preset(ProfilePresetIndex::Competitive);
    set_history_enabled(true); // every run keeps the history its undo needs
    set_undo_scope_source(census_undo_scope);
    if (links.load_settings) {
        links.load_settings();
    }
    ShellState& state = shell_state();
    state.screen = Screen::Splash;
#ifdef TAVRINE_BENCH_PROBE
    state.deep_idle = bench_flag("TAVRINE_BENCH_DEEP_IDLE");
    state.eco_renderer = bench_flag("TAVRINE_BENCH_ECO");
#endif
    state.choose_profile_file = choose_profile_file;
    const bool workers_ended = run_frame_loop(state, links);

    if (links.save_and_close_overlays) {
        links.save_and_close_overlays();
    }
    if (!workers_ended || !join_worker(std::chrono::seconds(0))) {
        // A worker still at work past the bound: end the process where it stands rather than
        // destroy what the worker uses under it (its history stays without an end, and says so).
        TerminateProcess(GetCurrentProcess(), 0);
    }
    ImGui_ImplDX11_Shutdown();
    ImGui_ImplWin32_Shutdown();
    ImGui::DestroyContext();
    cleanup_device();
    DestroyWindow(hwnd);
    set_main_window(nullptr);
    UnregisterClassW(kWindowClassName, instance);
    return 0;
}

} // namespace

} // namespace tavrine

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tavrine::close_library_search(); // before anything is loaded by name
    return tavrine::run_shell();
}
