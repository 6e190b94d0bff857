// Overview: live CPU and memory load, the armed figure, and the whole-optimiser run.
#include "app/fonts.h"
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "engine/path_table.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "games/title_catalogue.h"
#include "runs/pipeline.h"

#include <algorithm>
#include <cstdio>

namespace tavrine {

using namespace palette;

int overview_armed_figure() {
    return armed_count(PathKind::Latency) + armed_count(PathKind::Frames) + armed_count(PathKind::Netcode) +
           armed_count(PathKind::Cleanup) + (module_arms().any_cull_option() ? 1 : 0);
}

void draw_overview_page(ShellState& state) {
    const UiFonts& fonts = ui_fonts();
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    ImFont* label_font = font_or_current(fonts.font_label);

    text_at(p, fonts.font_hero, 32.0f, rgba(kText, 255), "Overview");

    char text[160];
    const float stats_y = p.y + 52;
    std::snprintf(text, sizeof text, "CPU  %.0f%%", static_cast<double>(state.sampler.cpu_percent));
    text_at(ImVec2(p.x, stats_y), label_font, label_font->FontSize, rgba(kText, 255), text);
    std::snprintf(text, sizeof text, "Memory  %.0f%%", static_cast<double>(state.sampler.memory_percent));
    text_at(ImVec2(p.x + 160, stats_y), label_font, label_font->FontSize, rgba(kText, 255), text);
    std::snprintf(text, sizeof text, "%d armed", overview_armed_figure());
    text_at(ImVec2(p.x + 340, stats_y), label_font, label_font->FontSize, rgba(kText, 255), text);

    if (const GameTitle* title = title_at(selected_title().load())) {
        std::snprintf(text, sizeof text, "%s is ready. Run the optimiser, reboot once, then launch.",
                      title->name);
    } else {
        std::snprintf(text, sizeof text, "Run the optimiser, reboot once, then launch.");
    }
    fitted_text(ImGui::GetWindowDrawList(), fonts.font_small, 14.0f, ImVec2(p.x, stats_y + 36), width - 8,
                rgba(kMuted, 255), text);

    ImGui::SetCursorScreenPos(ImVec2(p.x, stats_y + 80));
    if (const std::optional<RunView> run = visible_run(std::nullopt)) {
        progress_bar(static_cast<float>(run->completed) / static_cast<float>(run->total),
                     std::min(width, 420.0f));
        ImGui::Text("%s  \xC2\xB7  %d / %d", run->label, run->completed, run->total);
        gap_after_item(8);
        finish_if_complete(*run);
    }

    const bool running = run_status().run_in_progress.load();
    if (action_button(running ? "Running..." : path_facts(PathKind::All).run_caption, ImVec2(220, 42),
                      state.cta_glow) &&
        !running) {
        build_and_start_run(PathKind::All);
    }
    ImGui::SameLine(0, 12);
    if (ghost_button("Games", ImVec2(100, 42))) {
        state.page = kGamesPage; // unlike a nav click, the run flags stay as they are
    }
}

} // namespace tavrine
