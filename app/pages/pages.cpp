// Which page draws what, and which pages have a dock.
#include "app/pages/pages.h"

namespace tavrine {

PathKind page_path(int page) {
    switch (page) {
    case kLatencyPage:
        return PathKind::Latency;
    case kFramesPage:
        return PathKind::Frames;
    case kNetcodePage:
        return PathKind::Netcode;
    case kCleanupPage:
        return PathKind::Cleanup;
    case kCpuPage:
        return PathKind::CpuCull;
    default:
        return PathKind::All;
    }
}

bool page_has_dock(int page) {
    return page_path(page) != PathKind::All;
}

void draw_page_content(ShellState& state, int page) {
    switch (page) {
    case kOverviewPage:
        draw_overview_page(state);
        break;
    case kLatencyPage:
        draw_latency_page(state);
        break;
    case kFramesPage:
        draw_frames_page(state);
        break;
    case kNetcodePage:
        draw_netcode_page(state);
        break;
    case kCleanupPage:
        draw_cleanup_page(state);
        break;
    case kCpuPage:
        draw_cpu_page(state);
        break;
    case kDeployPage:
        draw_deploy_page(state);
        break;
    case kGamesPage:
        draw_games_page(state);
        break;
    case kSettingsPage:
        draw_settings_page(state);
        break;
    case kCrosshairPage:
        draw_crosshair_page(state);
        break;
    default:
        break;
    }
}

} // namespace tavrine
