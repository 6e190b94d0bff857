#include "cli/cli_status.h"

#include "platform/machine.h"
#include "runs/module_state.h"

#include <nlohmann/json.hpp>

#include <iomanip>
#include <ostream>

namespace tavrine {

namespace {

void print_json(const CliOptions& options, const std::vector<ModuleStateRow>& rows, std::ostream& out) {
    nlohmann::ordered_json modules = nlohmann::ordered_json::array();
    for (const ModuleStateRow& row : rows) {
        const ModuleState& state = row.state;
        modules.push_back({{"step", row.step_label},
                           {"row", row.page_row},
                           {"state", state_word(state.kind)},
                           {"text", state_text(state)},
                           {"in_place", state.in_place},
                           {"checkable", state.checkable},
                           {"unchecked", state.unchecked}});
    }
    const nlohmann::ordered_json document = {{"path", path_name(options.path)}, {"modules", modules}};
    // A report may one day carry a name in a legacy code page: replaced, never a throw.
    out << document.dump(1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

} // namespace

int print_status(const CliOptions& options, std::ostream& out) {
    const std::vector<ModuleStateRow> rows = compute_module_states(options.path, current_machine());
    if (options.json) {
        print_json(options, rows, out);
        return 0;
    }
    out << "# state of the " << path_name(options.path) << " path on this machine, preset "
        << profile_preset_name(options.preset) << "; nothing has been changed\n";
    for (const ModuleStateRow& row : rows) {
        out << std::left << std::setw(16) << row.step_label << "  " << std::setw(18) << row.page_row << "  "
            << state_text(row.state) << "\n";
    }
    return 0;
}

} // namespace tavrine
