// The Settings page's History card: the newest runs with time, what ran and their counts, an
// "Undo" for each run that can still be undone, and the last undo's result. The card never
// reads a file: the history is read on a background thread and published whole.
#include "app/app_state.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/history_board.h"
#include "engine/worker_gate.h"

#include <string>

namespace tavrine {

namespace {

constexpr float kRowHeight = 30;
constexpr float kButtonWidth = 96;

// "12 to undo · 5 cannot be undone", or why the run has no Undo.
std::string counts_text(const HistoryRow& row) {
    if (row.state == "damaged") {
        return "history damaged";
    }
    if (row.state == "moved") {
        return "moved from the user's folder; can be viewed, not undone";
    }
    if (row.state == "refused") {
        return "refused: not something this program changes";
    }
    std::string text = std::to_string(row.undoable) + " to undo \xC2\xB7 " + std::to_string(row.cannot) +
                       " cannot be undone";
    if (!row.state.empty()) {
        text += " \xC2\xB7 " + row.state;
    }
    return text;
}

} // namespace

void draw_history_card() {
    // Main thread only. The history is read again when the card comes into view (it was not
    // drawn last frame) and when a worker ends while it is shown.
    HistoryCardMarks& marks = app_state().history_card;
    const int frame = ImGui::GetFrameCount();
    const bool busy = active_worker() != WorkerKind::None;
    if (frame - marks.last_drawn > 1 || (marks.was_busy && !busy)) {
        request_history_board();
    }
    marks.last_drawn = frame;
    marks.was_busy = busy;

    const std::shared_ptr<const HistoryBoard> board = history_board();
    // An empty board while a read runs is only the last one: its first look at a run's changes
    // can take seconds, and "None yet" would be wrong by then.
    const bool reading = board->rows.empty() && history_board_worker_active();
    section_header("History", "Recent runs", reading ? "Reading" : board->rows.empty() ? "None yet" : "Undo");
    if (!board->problem.empty()) {
        ImGui::TextWrapped("History is not kept: %s.", board->problem.c_str());
    }
    if (reading) {
        ImGui::TextUnformatted("Reading the history\xE2\x80\xA6");
    } else if (board->rows.empty()) {
        ImGui::TextUnformatted("Runs, deploys and GPU tunes are recorded here and can be undone.");
    }
    const float width = ImGui::GetContentRegionAvail().x;
    for (const HistoryRow& row : board->rows) {
        ImGui::PushID(row.id.c_str());
        const std::string line = (row.time.empty() ? row.id : row.time) + "  \xC2\xB7  " +
                                 (row.what.empty() ? "?" : row.what) + "  \xC2\xB7  " + counts_text(row);
        // Every row is as tall as its button, with or without one, its text centred in it.
        const float row_top = ImGui::GetCursorPosY();
        ImGui::SetCursorPosY(row_top + (kRowHeight - ImGui::GetTextLineHeight()) / 2);
        ImGui::TextUnformatted(line.c_str());
        ImGui::SameLine(width - kButtonWidth);
        ImGui::SetCursorPosY(row_top);
        if (row.can_undo) {
            // A click while another worker runs is refused by the gate; the row simply stays.
            if (ghost_button("Undo", ImVec2(kButtonWidth, kRowHeight)) && !busy) {
                start_history_undo(row.id);
            }
        } else {
            ImGui::Dummy(ImVec2(kButtonWidth, kRowHeight));
        }
        ImGui::PopID();
    }
    if (!board->status.empty()) {
        gap_after_item(6);
        ImGui::TextWrapped("%s", board->status.c_str());
    }
}

} // namespace tavrine
