// The page table: every page's header, navigation item, dock and drawing, one row each.
#include "app/pages/pages.h"

#include "overlays/crosshair.h"

#include <array>
#include <cstdio>

namespace tavrine {

namespace {

using enum NavGroup;
using enum PathKind;

const char* armed_pill(std::span<char> scratch, PathKind path) {
    std::snprintf(scratch.data(), scratch.size(), "%d armed", armed_count(path));
    return scratch.data();
}

const char* preset_pill(std::span<char> /*scratch*/, PathKind /*path*/) {
    return profile_preset_name(profile_preset().load());
}

const char* crosshair_pill(std::span<char> /*scratch*/, PathKind /*path*/) {
    return crosshair_settings().enabled ? "Live" : "Off";
}

const char* quick_pill(std::span<char> /*scratch*/, PathKind /*path*/) {
    return "Quick";
}

// clang-format off
constexpr PageInfo kPages[] = {
    // page          kicker         title        icon            group   path     draw                 pill
    {kOverviewPage,  nullptr,       "Overview",  kOverviewIcon,  Tune,   All,     draw_overview_page,  nullptr},
    {kGamesPage,     "Titles",      "Games",     kGamesIcon,     Tune,   All,     draw_games_page,     quick_pill},
    {kLatencyPage,   "Input path",  "Latency",   kLatencyIcon,   Tune,   Latency, draw_latency_page,   armed_pill},
    {kFramesPage,    "Runtime",     "Frames",    kFramesIcon,    Tune,   Frames,  draw_frames_page,    armed_pill},
    {kNetcodePage,   "Packet path", "Netcode",   kNetcodeIcon,   Tune,   Netcode, draw_netcode_page,   armed_pill},
    {kCpuPage,       "Scheduler",   "CPU",       kCpuIcon,       Tune,   CpuCull, draw_cpu_page,       armed_pill},
    {kCleanupPage,   "Hygiene",     "Cleanup",   kCleanupIcon,   Studio, Cleanup, draw_cleanup_page,   armed_pill},
    {kDeployPage,    "Payload",     "Deploy",    kDeployIcon,    Studio, All,     draw_deploy_page,    preset_pill},
    {kCrosshairPage, "Overlay",     "Crosshair", kCrosshairIcon, Studio, All,     draw_crosshair_page, crosshair_pill},
    {kSettingsPage,  "System",      "Settings",  kSettingsIcon,  Foot,   All,     draw_settings_page,  nullptr},
};
// clang-format on

static_assert(std::size(kPages) == kPageCount, "one row per page");

// Where each page's row stands, by page number; also checks each page has exactly one row.
struct PageRows {
    std::array<std::size_t, kPageCount> index{};
    bool each_page_once = true;
    bool groups_in_order = true;
};

constexpr PageRows page_rows_by_id() {
    PageRows rows;
    std::array<bool, kPageCount> seen{};
    for (std::size_t i = 0; i < std::size(kPages); ++i) {
        const int page = kPages[i].page;
        if (page < 0 || page >= kPageCount || seen[static_cast<std::size_t>(page)]) {
            rows.each_page_once = false;
            continue;
        }
        seen[static_cast<std::size_t>(page)] = true;
        rows.index[static_cast<std::size_t>(page)] = i;
        if (i > 0 && kPages[i].group < kPages[i - 1].group) {
            rows.groups_in_order = false;
        }
    }
    return rows;
}

constexpr PageRows kRowOf = page_rows_by_id();
static_assert(kRowOf.each_page_once, "every page has one row");
static_assert(kRowOf.groups_in_order, "the navigation groups stand together, in their order");

// What an unknown page number gets: no header, nothing drawn.
constexpr PageInfo kNoPage{kOverviewPage, nullptr, "Overview", kOverviewIcon, Tune, All, nullptr, nullptr};

} // namespace

std::span<const PageInfo> page_table() {
    return kPages;
}

const PageInfo& page_info(int page) {
    return page >= 0 && page < kPageCount ? kPages[kRowOf.index[static_cast<std::size_t>(page)]] : kNoPage;
}

PathKind page_path(int page) {
    return page_info(page).path;
}

bool page_has_dock(int page) {
    return page_path(page) != PathKind::All;
}

void draw_page_content(ShellState& state, int page) {
    refresh_module_states(state,
                          page_has_dock(page) ? std::optional<PathKind>(page_path(page)) : std::nullopt);
    if (const PageInfo& info = page_info(page); info.draw != nullptr) {
        info.draw(state);
    }
}

} // namespace tavrine
