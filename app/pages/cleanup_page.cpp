// Cleanup: nine hygiene modules, and the volume "Game drive" trims.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "tweaks/cleanup.h"

#include <array>

namespace tavrine {

namespace {

using enum Module;

// Letters of the removable and fixed drives, each a two-byte text ("C").
struct DriveList {
    std::array<std::array<char, 2>, 26> letters{};
    int count = 0;
};

DriveList trim_candidates() {
    DriveList list;
    Files& files = current_machine().files();
    const std::uint32_t mask = files.logical_drives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0) {
            continue;
        }
        const char root[] = {static_cast<char>('A' + i), ':', '\\', '\0'};
        const DriveType type = files.drive_type(root);
        if (type != DriveType::Removable && type != DriveType::Fixed) {
            continue;
        }
        list.letters[list.count][0] = root[0];
        list.letters[list.count][1] = '\0';
        ++list.count;
    }
    return list;
}

void drive_picker(ShellState& state) {
    const DriveList drives = trim_candidates();
    if (drives.count == 0) {
        return; // only network or optical drives: the TRIM step keeps the letter it had
    }
    std::array<const char*, 26> items{};
    for (int i = 0; i < drives.count; ++i) {
        items[i] = drives.letters[i].data();
    }
    gap(4);
    ImGui::TextUnformatted("Target volume");
    ImGui::SetNextItemWidth(160);
    ImGui::Combo("##drive", &state.drive_index, items.data(), drives.count);
    if (state.drive_index >= 0 && state.drive_index < drives.count) {
        target_drive().store(drives.letters[state.drive_index][0]);
    }
}

} // namespace

void draw_cleanup_page(ShellState& state) {
    module_grid(PathKind::Cleanup);
    if (module_arms().armed(DriveTrim)) {
        drive_picker(state);
    }
}

} // namespace tavrine
