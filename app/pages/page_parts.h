#pragma once
// Pieces several pages share: the two-column module grid, vertical gaps, the run progress
// every progress display reads, and the process picker's list.

#include "app/shell_state.h"
#include "runs/modules.h"

#include <imgui.h>

#include <optional>

namespace tavrine {

// The rows of `block`'s modules as the module table words and orders them: two to a line, each
// (content width - 10) / 2 wide, 10 apart; a click flips the arm flag. A row's tooltip ends
// with the module's state on this machine once it has been read.
void module_grid(PathKind block);

// Asks for the module states of the path page shown (none for other pages) when it opens and
// when a run ends; never waits for them.
void refresh_module_states(ShellState& state, std::optional<PathKind> shown_path);

// Moves the cursor down by `pixels` more.
void gap(float pixels);
// After an item that added the style's item spacing below itself: makes the distance to the
// next item exactly `pixels`.
void gap_after_item(float pixels);

// What a progress display shows of the run in progress.
struct RunView {
    int completed = 0;
    int total = 0;
    const char* label = "Working";
};
// The run in progress when one is and it has at least one step; with `path`, only a run of
// that path. Null otherwise.
std::optional<RunView> visible_run(std::optional<PathKind> path);
// The moment a page sees the last step counted: the overlay goes up and the run is over as far
// as the buttons are concerned (the engine's own guard still knows when the worker ends).
void finish_if_complete(const RunView& view);

// Fills `process_list` from the running executables once; `force` reloads it.
void load_process_list(ShellState& state, bool force);

// Text at the cursor-relative spot, in a font at a size, without moving the cursor.
void text_at(ImVec2 pos, ImFont* font, float size, ImU32 colour, const char* text);

} // namespace tavrine
