#include "app/pages/page_parts.h"

#include "app/widgets.h"
#include "engine/run_status.h"
#include "process/running_exes.h"

namespace tavrine {

void module_grid(std::span<const ModuleRowText> rows) {
    ModuleArms& arms = module_arms();
    const float width = (ImGui::GetContentRegionAvail().x - 10) / 2;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ModuleRowText& row = rows[i];
        if (i % 2 == 1) {
            ImGui::SameLine(0, 10);
        }
        bool flag = arms.armed(row.module);
        if (module_row(row.label, row.sub_label, flag, row.description, width)) {
            arms.set(row.module, flag);
        }
    }
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
        RunStatus& status = run_status();
        status.result_veil_shown.store(true);
        status.run_in_progress.store(false);
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
