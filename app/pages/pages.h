#pragma once
// The main screen's pages. Each draws its content inside "##panel" (the header is drawn before
// it by the main screen); the path pages' run bars are the dock, drawn in "##dock" below.

#include "app/pages/page_parts.h"
#include "app/shell_state.h"
#include "app/widgets.h"
#include "runs/modules.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tavrine {

// The navigation column's groups, top to bottom: "Tune", "Studio", and the item at its foot.
enum class NavGroup : std::uint8_t { Tune, Studio, Foot };

// One page: its header, its navigation item, its dock and what draws it. A new page is a row in
// the table in pages.cpp, a PageId and its draw function.
struct PageInfo {
    PageId page;
    const char* kicker; // the line above the title; nullptr: the page draws no header
    const char* title;  // the header's title and the navigation label
    NavIcon icon;
    NavGroup group;
    PathKind path;                   // the path its dock runs; All: no dock
    void (*draw)(ShellState& state); // the content below the header
    // The header's pill text, written into `scratch` when it is built; null: no pill.
    const char* (*pill)(std::span<char> scratch, PathKind path);
};

// Every page in navigation order.
std::span<const PageInfo> page_table();
// By page number; an unknown number gets a page with no header that draws nothing.
const PageInfo& page_info(int page);

// The path a page stands for; All for pages without a dock.
PathKind page_path(int page);
bool page_has_dock(int page);

// The content below the header of `page`.
void draw_page_content(ShellState& state, int page);

void draw_overview_page(ShellState& state);
void draw_latency_page(ShellState& state);
void draw_frames_page(ShellState& state);
void draw_netcode_page(ShellState& state);
void draw_cleanup_page(ShellState& state);
void draw_cpu_page(ShellState& state);
void draw_deploy_page(ShellState& state);
void draw_crosshair_page(ShellState& state);
void draw_games_page(ShellState& state);
void draw_settings_page(ShellState& state);
// The Settings page's "GPU" card: first-time setup state, "Tune GPU now", "Show setup next launch".
void draw_gpu_card(ShellState& state);
void draw_profile_card(ShellState& state);
// What the Profile card's buttons do with the file the dialog gave; each says what it did in
// state.profile_message. An import sets the selections as the pages would (refused during a run).
void import_profile_from(ShellState& state, const std::string& file);
void export_profile_to(ShellState& state, const std::string& file);
// The Settings page's "History" card: the last five runs, each with "Undo", and the last undo's result.
void draw_history_card();

// The Games page's search: a title is shown when its name holds the search text, both folded
// to lower case; an empty search shows every title.
bool title_matches_search(const char* name, const char* search);

// The dock of a path page, inside "##dock": progress of this path's run or its armed count,
// and the path's run button.
struct DockView {
    std::optional<RunView> run; // this path's run, while one is in progress
    std::string status_line;    // "%s  ·  %d / %d" during the run, else "%d armed"
    const char* button = "";
    float glow = 0.4f;
    bool button_works = true; // false while any run is in progress
};
DockView dock_view(PathKind path, float cta_glow);
void draw_dock(const ShellState& state, PathKind path);

// The number the Overview shows: armed Latency, Frames, Netcode and Cleanup modules, plus one
// when any CPU cull option is armed.
int overview_armed_figure();

// The footer under pages without a dock.
const char* footer_hint(bool hud_enabled, bool crosshair_enabled);

} // namespace tavrine
