// Deploy: the three profile presets, the restore-point buttons and the whole-optimiser run.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/run_status.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "runs/pipeline.h"
#include "runs/restore_point_job.h"

#include <cstdio>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

struct PresetCard {
    ProfilePresetIndex preset;
    const char* sub_label;
};
constexpr PresetCard kPresetCards[] = {
    {ProfilePresetIndex::Casual, "Light Game Mode focus"},
    {ProfilePresetIndex::Competitive, "Max FPS / min latency"},
    {ProfilePresetIndex::Streamer, "Capture-friendly balance"},
};

// Opening the restore tool changes nothing on the machine, so it does not wait for the worker
// gate; a system that refuses a new thread simply opens nothing.
template <typename Job> void start_detached(Job job) {
    try {
        std::thread(job).detach();
    } catch (const std::system_error&) {
    }
}

// By its full path in the system folder the system names, whatever drive Windows is on.
void open_restore_tool() {
    Files& files = current_machine().files();
    if (const std::optional<std::string> system = files.known_folder(KnownFolder::System)) {
        files.shell_open(*system + "\\rstrui.exe");
    }
}

} // namespace

void draw_deploy_page(ShellState& state) {
    RunStatus& status = run_status();
    const float content = ImGui::GetContentRegionAvail().x;

    const float card_width = (content - 20) / 3;
    const std::int32_t current = profile_preset().load();
    for (const PresetCard& card : kPresetCards) {
        if (&card != kPresetCards) {
            ImGui::SameLine(0, 10);
        }
        const std::int32_t number = preset_number(card.preset);
        if (preset_card(profile_preset_name(number), card.sub_label, current == number, card_width)) {
            apply_profile_preset(card.preset);
        }
    }

    gap_after_item(18);
    const ImVec2 half((content - 10) / 2, 40);
    if (ghost_button("Create restore point", half)) {
        start_restore_point();
    }
    ImGui::SameLine(0, 10);
    if (ghost_button("Open System Restore", half)) {
        start_detached(open_restore_tool);
    }

    gap_after_item(16);
    const bool running = status.run_in_progress.load();
    if (action_button(running ? "Optimising..." : "Run Tavrine optimiser", ImVec2(content, 50),
                      state.cta_glow) &&
        !running) {
        build_and_start_run(PathKind::All);
    }

    if (const std::optional<RunView> run = visible_run(std::nullopt)) {
        gap_after_item(14);
        progress_bar(static_cast<float>(run->completed) / static_cast<float>(run->total), content);
        ImGui::Text("%.0f%%  \xC2\xB7  %s  \xC2\xB7  %d / %d",
                    static_cast<double>(run->completed) / run->total * 100.0, run->label, run->completed,
                    run->total);
        finish_if_complete(*run);
    }
    if (!status.run_in_progress.load()) {
        const std::string message = status.status_message.get();
        if (!message.empty()) {
            ImGui::Text("%s", message.c_str());
        }
    }
}

} // namespace tavrine
