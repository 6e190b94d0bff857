// The main screen's frame: side panel, brand block, navigation and the page panel. The pages
// themselves draw into the panel (app/pages/).
#include "app/fonts.h"
#include "app/pages/pages.h"
#include "app/screens.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "engine/path_table.h"
#include "engine/run_status.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"
#include "runs/modules.h"

#include <algorithm>
#include <cstdio>

namespace tavrine {

using namespace palette;

namespace {

struct NavEntry {
    PageId page;
    NavIcon icon;
};

constexpr NavEntry kTuneNav[] = {{kOverviewPage, kOverviewIcon}, {kGamesPage, kGamesIcon},
                                 {kLatencyPage, kLatencyIcon},   {kFramesPage, kFramesIcon},
                                 {kNetcodePage, kNetcodeIcon},   {kCpuPage, kCpuIcon}};
constexpr NavEntry kStudioNav[] = {
    {kCleanupPage, kCleanupIcon}, {kDeployPage, kDeployIcon}, {kCrosshairPage, kCrosshairIcon}};
constexpr NavEntry kSettingsNav{kSettingsPage, kSettingsIcon};

struct PageHeader {
    const char* kicker; // nullptr: the page draws no header
    const char* title;  // also its navigation label
};

// A path page's header comes from the path table; the other pages name their own.
PageHeader page_header_text(int page) {
    if (page_has_dock(page)) {
        const PathFacts& facts = path_facts(page_path(page));
        return {facts.page_kicker, facts.page_title};
    }
    switch (page) {
    case kDeployPage:
        return {"Payload", "Deploy"};
    case kSettingsPage:
        return {"System", "Settings"};
    case kCrosshairPage:
        return {"Overlay", "Crosshair"};
    case kGamesPage:
        return {"Titles", "Games"};
    default:
        return {nullptr, "Overview"};
    }
}

void select_page(ShellState& state, int page) {
    if (page != state.page) {
        state.page = page;
        // The overlay and the progress display go away; a running worker is not stopped.
        hide_run_result();
    }
}

void nav_list(ShellState& state, const NavEntry* entries, std::size_t count, float width) {
    for (std::size_t i = 0; i < count; ++i) {
        const NavEntry& entry = entries[i];
        if (nav_item(entry.page, page_header_text(entry.page).title, entry.icon, state.page == entry.page,
                     width)) {
            select_page(state, entry.page);
        }
    }
}

void page_header(int page) {
    const PageHeader header = page_header_text(page);
    if (!header.kicker) {
        return;
    }
    char pill[32];
    const char* pill_text = nullptr;
    if (page_has_dock(page)) {
        std::snprintf(pill, sizeof pill, "%d armed", armed_count(page_path(page)));
        pill_text = pill;
    } else if (page == kDeployPage) {
        pill_text = profile_preset_name(profile_preset().load());
    } else if (page == kCrosshairPage) {
        pill_text = crosshair_settings().enabled ? "Live" : "Off";
    } else if (page == kGamesPage) {
        pill_text = "Quick";
    }
    section_header(header.kicker, header.title, pill_text);
}

} // namespace

void draw_main_screen(ShellState& state, ImVec2 o) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float a = std::clamp(state.content_alpha, 0.0f, 1.0f);
    const UiFonts& fonts = ui_fonts();

    draw_list->AddRectFilled(o, ImVec2(o.x + 212, o.y + kWindowHeight), color_with_alpha(kSide, 0.92f * a),
                             26.0f, ImDrawFlags_RoundCornersLeft);
    draw_list->AddLine(ImVec2(o.x + 212, o.y + 12), ImVec2(o.x + 212, o.y + kWindowHeight - 12),
                       color_with_alpha(kWhite, 0.07f * a));

    draw_logo_mark(ImVec2(o.x + 28, o.y + 28), 0.55f, a);
    draw_list->AddText(font_or_current(fonts.font_title), 14, ImVec2(o.x + 48, o.y + 16),
                       color_with_alpha(kText, a), "Tavrine");
    draw_list->AddText(font_or_current(fonts.font_small), 12, ImVec2(o.x + 48, o.y + 34),
                       color_with_alpha(kMuted, a), "Optimiser");

    ImGui::SetCursorScreenPos(ImVec2(o.x + 10, o.y + 58));
    // 1.90 replaced BeginChild's `bool border` with child flags; None is the old `false`.
    if (ImGui::BeginChild("##side", ImVec2(192, 524), ImGuiChildFlags_None)) {
        const float width = ImGui::GetContentRegionAvail().x;
        nav_section_label("Tune", width);
        nav_list(state, kTuneNav, std::size(kTuneNav), width);
        ImGui::Dummy(ImVec2(width, 10 - ImGui::GetStyle().ItemSpacing.y));
        nav_section_label("Studio", width);
        nav_list(state, kStudioNav, std::size(kStudioNav), width);
    }
    ImGui::EndChild();

    draw_list->AddLine(ImVec2(o.x + 18, o.y + 580), ImVec2(o.x + 194, o.y + 580),
                       color_with_alpha(kWhite, 0.07f * a));
    ImGui::SetCursorScreenPos(ImVec2(o.x + 10, o.y + 586));
    nav_list(state, &kSettingsNav, 1, 192);

    if (state.page != state.shown_page) {
        state.shown_page = state.page;
        state.page_reveal = 0.0f;
    }

    const float v = std::clamp(state.page_reveal, 0.0f, 1.0f);
    const float s = v * v * (3 - 2 * v);
    ImGui::SetCursorScreenPos(ImVec2(o.x + 240 + 8 * (1 - s), o.y + 24 + 0.2f * state.content_slide));
    ImGui::PushStyleVar(ImGuiStyleVar_Alpha, state.page_reveal * a);
    if (ImGui::BeginChild("##panel", ImVec2(960, page_has_dock(state.shown_page) ? 532.0f : 624.0f),
                          ImGuiChildFlags_None)) {
        page_header(state.shown_page);
        draw_page_content(state, state.shown_page);
    }
    ImGui::EndChild();
    ImGui::PopStyleVar();

    if (page_has_dock(state.shown_page)) {
        ImGui::SetCursorScreenPos(ImVec2(o.x + 240, o.y + 594));
        if (ImGui::BeginChild("##dock", ImVec2(960, 92), ImGuiChildFlags_None,
                              ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse)) {
            draw_dock(state, page_path(state.shown_page));
        }
        ImGui::EndChild();
    } else {
        draw_list->AddText(font_or_current(fonts.font_small), 11.5f, ImVec2(o.x + 240, o.y + 682),
                           color_with_alpha(kMuted, 0.75f),
                           footer_hint(hud_settings().enabled, crosshair_settings().enabled));
    }
}

} // namespace tavrine
