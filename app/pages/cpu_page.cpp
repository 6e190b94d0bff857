// CPU: the last cull's counts and the eight options of the one "CPU cull" step.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "process/cull.h"
#include "process/process_walk.h"

#include <cstdio>

namespace tavrine {

namespace {

void count_card(const char* caption, int value, const char* footnote, float width) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    stat_card(caption, text, footnote, width, -1.0f);
}

} // namespace

void draw_cpu_page(ShellState& /*state*/) {
    ImGui::TextWrapped(
        "Culls OEM helpers, updaters, widgets, and other background junk. Critical Windows / GPU "
        "/ anti-cheat / Steam stay protected.");
    gap_after_item(8);
    const CullCounts counts = cull_result().get();
    const int before = counts.before;
    const int after = counts.after;
    // One snapshot per frame, and only when a card needs the live figure.
    const int live = before < 1 || after < 1 ? count_processes() : 0;
    const float width = (ImGui::GetContentRegionAvail().x - 20) / 3;
    count_card("BEFORE", before < 1 ? live : before, "process count", width);
    ImGui::SameLine(0, 10);
    count_card("AFTER", after < 1 ? live : after, "last cull", width);
    ImGui::SameLine(0, 10);
    count_card("KILLED", counts.killed, "terminations", width);
    gap_after_item(10);
    module_grid(PathKind::CpuCull);
}

} // namespace tavrine
