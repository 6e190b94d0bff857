#include "cli/cli_status.h"

#include "platform/machine.h"
#include "runs/module_state.h"

#include <cstdio>
#include <iomanip>
#include <ostream>

namespace tavrine {

namespace {

// Labels and reports are the program's own texts, but a report may one day carry a name.
std::string json_string(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void print_json(const CliOptions& options, const std::vector<ModuleStateRow>& rows, std::ostream& out) {
    out << "{\"path\":" << json_string(path_name(options.path)) << ",\"modules\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ModuleStateRow& row = rows[i];
        const ModuleState& state = row.state;
        out << (i == 0 ? "" : ",") << "\n  {\"step\":" << json_string(row.step_label)
            << ",\"row\":" << json_string(row.page_row)
            << ",\"state\":" << json_string(state_word(state.kind))
            << ",\"text\":" << json_string(state_text(state)) << ",\"in_place\":" << state.in_place
            << ",\"checkable\":" << state.checkable << ",\"unchecked\":" << state.unchecked << "}";
    }
    out << "\n]}\n";
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
