// Games: the title catalogue with search. Picking a tile arms its title's stack and targets its
// executable; a tile's "Optimise" deploys the title on the deploy thread.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "games/title_catalogue.h"
#include "runs/deploy.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace tavrine {

namespace {

constexpr ImVec4 kGoodStatus(0.72f, 0.90f, 0.78f, 1.0f);
constexpr ImVec4 kOtherStatus(0.90f, 0.55f, 0.52f, 1.0f);

std::string folded(const char* text) {
    std::string out = text != nullptr ? text : "";
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Three tiles to a row, 8 apart. A tile draws several items of its own, so each is placed from
// the row's origin rather than with SameLine.
void draw_tiles(ShellState& state, float content) {
    const float tile_width = (content - 16) / 3;
    const std::int32_t selected = selected_title().load();
    ImVec2 row = ImGui::GetCursorScreenPos();
    float next_row_y = row.y;
    int shown = 0;
    for (const GameTitle& title : title_catalogue()) {
        if (!title_matches_search(title.name, state.search_text)) {
            continue;
        }
        const int column = shown % 3;
        if (column == 0 && shown > 0) {
            row.y = next_row_y;
        }
        ImGui::SetCursorScreenPos(ImVec2(row.x + column * (tile_width + 8), row.y));
        bool optimise = false;
        if (title_tile({title.name, title.tag, title.blurb}, title.index == selected, tile_width, optimise)) {
            pick_title(title.index);
        }
        if (optimise) {
            start_deploy(title.index);
        }
        next_row_y = std::max(next_row_y, ImGui::GetCursorScreenPos().y);
        ++shown;
    }
    ImGui::SetCursorScreenPos(ImVec2(row.x, next_row_y));
    ImGui::Dummy(ImVec2(0, 0));
    if (shown == 0) {
        gap_after_item(12);
        ImGui::TextUnformatted("No titles match that search.");
    }
}

void draw_selected(float content) {
    const GameTitle* title = title_at(selected_title().load());
    if (title == nullptr) {
        return;
    }
    ImGui::Text("Selected  \xC2\xB7  %s", title->name);
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + content);
    ImGui::TextUnformatted(title->blurb);
    ImGui::PopTextWrapPos();
    if (title->exe != nullptr && title->exe[0] != '\0') {
        ImGui::Text("Targets %s", title->exe);
    }
}

} // namespace

bool title_matches_search(const char* name, const char* search) {
    if (search == nullptr || search[0] == '\0') {
        return true;
    }
    return folded(name).find(folded(search)) != std::string::npos;
}

void draw_games_page(ShellState& state) {
    const float content = ImGui::GetContentRegionAvail().x;
    ImGui::TextUnformatted("Select a title to arm its stack, then Optimise. Search jumps the list.");
    gap_after_item(8);
    ImGui::SetNextItemWidth(content);
    ImGui::InputTextWithHint("##gamesearch", "Search titles...", state.search_text, sizeof state.search_text);
    gap_after_item(10);
    draw_tiles(state, content);

    gap_after_item(8);
    draw_selected(content);

    const std::string status = deploy_status().status_text.get();
    if (!status.empty()) {
        gap_after_item(6);
        const bool good = status.find("Armed") != std::string::npos || is_deploy_result(status);
        ImGui::TextColored(good ? kGoodStatus : kOtherStatus, "%s", status.c_str());
    }
    if (run_status().deploy_in_progress.load()) {
        const DeployStatus& deploy = deploy_status();
        const int stage = deploy.stage.load();
        const int count = std::max(deploy.stage_count.load(), 1);
        gap_after_item(8);
        progress_bar(static_cast<float>(stage) / static_cast<float>(count), content);
        ImGui::Text("Step %d / %d", stage, count);
    }
}

} // namespace tavrine
