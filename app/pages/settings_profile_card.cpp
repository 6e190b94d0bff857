// The Settings page's Profile card: "Export profile..." and "Import profile..." through the
// shell's file dialogs. Importing sets the arm flags, target, title and vendor exactly as the
// pages would, and the overlays' look, and says what it set.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/run_status.h"
#include "games/title_catalogue.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"
#include "runs/profile_file.h"

namespace tavrine {

namespace {

std::string imported_text(const Profile& profile, const std::vector<std::string>& notes) {
    int armed = 0;
    for (const ProfilePath& part : profile.paths) {
        armed += static_cast<int>(part.armed.size());
    }
    std::string text = "Imported \"" + profile.name + "\": " + std::to_string(armed) + " modules armed on " +
                       std::to_string(profile.paths.size()) + " paths";
    text += profile.target.empty() ? ", no target" : ", target " + profile.target;
    if (const GameTitle* title = title_at(profile.title)) {
        text += ", title " + std::string(title->name);
    }
    text += ", GPU " + std::string(vendor_choice_name(profile.vendor));
    text += profile.crosshair && profile.hud ? ", crosshair and HUD."
            : profile.crosshair              ? ", crosshair."
            : profile.hud                    ? ", HUD."
                                             : ".";
    for (const std::string& note : notes) {
        text += "\nNote: " + note + ".";
    }
    return text;
}

// An overlay takes a profile's look; whether it is shown stays as it is here.
template <typename Settings> void take_look(Settings& live, const Settings& look) {
    const bool shown = live.enabled;
    live = look;
    live.enabled = shown;
}

// An overlay's look as a profile carries it: everything but whether it is shown.
template <typename Settings> Settings look_of(const Settings& live) {
    Settings look = live;
    look.enabled = false;
    return look;
}

} // namespace

void import_profile_from(ShellState& state, const std::string& file) {
    const RunStatus& status = run_status();
    if (status.run_in_progress.load() || status.deploy_in_progress.load()) {
        state.profile_message = "A run is under way: import the profile when it has finished.";
        return;
    }
    const ProfileLoad loaded = load_profile_file(file);
    if (!loaded.profile) {
        state.profile_message = "Not imported, nothing changed. " + file + ": " + loaded.error;
        return;
    }
    state.profile_message = imported_text(*loaded.profile, apply_profile(*loaded.profile, PathKind::All));
    if (loaded.profile->crosshair) {
        take_look(crosshair_settings(), *loaded.profile->crosshair);
        save_crosshair_settings();
    }
    if (loaded.profile->hud) {
        take_look(hud_settings(), *loaded.profile->hud);
        save_hud_settings();
    }
}

void export_profile_to(ShellState& state, const std::string& file) {
    Profile profile = current_profile(profile_name_from_file(file));
    profile.crosshair = look_of(crosshair_settings());
    profile.hud = look_of(hud_settings());
    const std::optional<std::string> written = save_profile_file(file, profile);
    state.profile_message = written ? "Exported to " + *written
                                    : "Not exported: " + file +
                                          " cannot be written (read-only, a link, or "
                                          "access denied).";
}

void draw_profile_card(ShellState& state) {
    section_header("Profile", "Selections", "File");
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + ImGui::GetContentRegionAvail().x);
    ImGui::TextUnformatted(
        "Armed modules, target, title, GPU vendor and the overlays' look as one file: set up "
        "another PC the same way, or check this one with tavrine-cli status --profile.");
    ImGui::PopTextWrapPos();
    gap_after_item(8);
    if (state.choose_profile_file == nullptr) {
        ImGui::TextUnformatted("File dialogs are not available here.");
        return;
    }
    if (action_button("Export profile\xE2\x80\xA6", ImVec2(220, 38), 0.55f)) {
        if (const std::optional<std::string> file = state.choose_profile_file(true)) {
            export_profile_to(state, *file);
        }
    }
    ImGui::SameLine(0, 10);
    if (ghost_button("Import profile\xE2\x80\xA6", ImVec2(220, 38))) {
        if (const std::optional<std::string> file = state.choose_profile_file(false)) {
            import_profile_from(state, *file);
        }
    }
    if (!state.profile_message.empty()) {
        gap_after_item(6);
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + ImGui::GetContentRegionAvail().x);
        ImGui::TextUnformatted(state.profile_message.c_str());
        ImGui::PopTextWrapPos();
    }
}

} // namespace tavrine
