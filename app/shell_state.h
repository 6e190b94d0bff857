#pragma once
// The main thread's UI state: one instance for the whole process, touched only by the main
// thread (worker threads publish through RunStatus instead).

#include "app/pages/system_sampler.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

enum class Screen : std::uint8_t { Splash, FirstLaunch, Main };

// The main screen's pages; a page is stored and passed as its number.
enum PageId : int {
    kOverviewPage = 0,
    kLatencyPage = 1,
    kFramesPage = 2,
    kNetcodePage = 3,
    kCleanupPage = 4,
    kDeployPage = 5,
    kSettingsPage = 6,
    kCrosshairPage = 7,
    kCpuPage = 8,
    kGamesPage = 9,
    kPageCount
};

// Screen coordinates as the window system reports them (kept free of <windows.h>).
struct ScreenPoint {
    long x = 0;
    long y = 0;
};
struct ScreenRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

// The main window's size, stated once: the Win32 window, the root and veil windows and the
// centred drawings all read it.
inline constexpr float kWindowWidth = 1220.0f;
inline constexpr float kWindowHeight = 700.0f;
inline constexpr float kSplashSeconds = 1.42f;

struct ShellState {
    Screen screen = Screen::Splash;
    float splash_progress = 0.0f;
    float window_fade = 0.0f;
    float content_alpha = 0.0f;
    float content_slide = 0.0f;
    float cta_glow = 0.0f;
    float page_reveal = 0.0f;
    bool dragging = false;
    ScreenPoint drag_cursor_start;
    ScreenRect drag_window_start;
    bool animating = false;
    float idle_seconds = 0.0f;
    bool deep_idle = false;
    bool eco_renderer = false;
    int surface_opacity = 94;
    bool start_with_windows = false;    // read from the system at start-up
    std::string start_with_windows_tip; // names the file the logon task starts
    // The shell's file dialog for profiles (save: true for "Export"); null where there is none.
    std::optional<std::string> (*choose_profile_file)(bool save) = nullptr;
    std::string profile_message; // what the last export or import did

    // Pages
    int page = kOverviewPage;
    int shown_page = kOverviewPage;
    int game_exe_index = -1;   // into process_list
    int drive_index = 0;       // into the Cleanup page's drive list
    char search_text[41] = {}; // the Games page's search: 40 characters and the terminator
    std::vector<std::string> process_list;
    bool process_list_loaded = false;
    SystemSampler sampler;
    // The path whose module states were last asked for (-1: none), and whether a run was
    // going on last frame: the states are read again when a path page opens and after a run.
    int module_states_path = -1;
    bool module_states_run_seen = false;
};

ShellState& shell_state();

} // namespace tavrine
