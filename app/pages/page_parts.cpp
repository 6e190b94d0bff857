#include "app/pages/page_parts.h"

#include "app/widgets.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "process/running_exes.h"
#include "runs/module_state_board.h"

#include <memory>
#include <span>
#include <string>

namespace tavrine {

void module_grid(PathKind block) {
    ModuleArms& arms = module_arms();
    const std::shared_ptr<const ModuleStateSnapshot> states = module_states();
    const float width = (ImGui::GetContentRegionAvail().x - 10) / 2;
    const std::span<const Module> rows = page_rows(block);
    std::string tooltip;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ModuleInfo& row = module_info(rows[i]);
        if (i % 2 == 1) {
            ImGui::SameLine(0, 10);
        }
        const std::optional<ModuleState>& state = (*states)[static_cast<std::size_t>(row.module)];
        const char* description = row.page_tooltip;
        if (state) {
            tooltip = std::string(row.page_tooltip) + "\n" + state_tooltip(*state);
            description = tooltip.c_str();
        }
        bool flag = arms.armed(row.module);
        if (module_row(row.page_row, row.page_sub_label, flag, description, width)) {
            arms.set(row.module, flag);
        }
    }
}

void refresh_module_states(ShellState& state, std::optional<PathKind> shown_path) {
    // run_in_progress stays set until a frame has seen the last step counted, so even a run
    // shorter than a frame is seen here once before it ends.
    const RunStatus& status = run_status();
    const bool running = active_worker() != WorkerKind::None || status.run_in_progress.load() ||
                         status.deploy_in_progress.load();
    const int path = shown_path ? static_cast<int>(*shown_path) : -1;
    const bool opened = path != state.module_states_path;
    const bool run_ended = state.module_states_run_seen && !running;
    if (shown_path && (opened || run_ended)) {
        request_module_states(*shown_path);
    }
    state.module_states_path = path;
    state.module_states_run_seen = running;
}

void gap(float pixels) {
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() + pixels);
}

void gap_after_item(float pixels) {
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() - ImGui::GetStyle().ItemSpacing.y + pixels);
}

std::optional<RunView> visible_run(std::optional<PathKind> path) {
    const RunStatus& status = run_status();
    if (!status.run_in_progress.load()) {
        return std::nullopt;
    }
    const int total = status.total_steps.load();
    if (total < 1 || (path && status.last_path.load() != *path)) {
        return std::nullopt;
    }
    return RunView{status.completed_steps.load(), total, shown_label(status.current_label.load())};
}

void finish_if_complete(const RunView& view) {
    if (view.completed >= view.total) {
        show_run_result();
    }
}

void load_process_list(ShellState& state, bool force) {
    if (state.process_list_loaded && !force) {
        return;
    }
    state.process_list = running_exe_names();
    state.process_list_loaded = true;
}

void text_at(ImVec2 pos, ImFont* font, float size, ImU32 colour, const char* text) {
    ImGui::GetWindowDrawList()->AddText(font_or_current(font), size, pos, colour, text);
}

} // namespace tavrine
