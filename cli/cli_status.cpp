#include "cli/cli_status.h"

#include "cli/cli_exit_codes.h"
#include "platform/machine.h"
#include "runs/module_state.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace tavrine {

namespace {

bool is_armed(const ModuleStateRow& row) {
    return row.module && module_arms().armed(*row.module);
}

// An armed module whose values read back as not (all) in place.
bool has_drifted(const ModuleStateRow& row) {
    return is_armed(row) &&
           (row.state.kind == ModuleStateKind::NotApplied || row.state.kind == ModuleStateKind::Partly);
}

void print_json(const CliOptions& options, const Profile* profile, const std::vector<ModuleStateRow>& rows,
                std::ostream& out) {
    nlohmann::ordered_json modules = nlohmann::ordered_json::array();
    nlohmann::ordered_json drifted = nlohmann::ordered_json::array();
    for (const ModuleStateRow& row : rows) {
        const ModuleState& state = row.state;
        nlohmann::ordered_json entry = {{"step", row.step_label},          {"row", row.page_row},
                                        {"state", state_word(state.kind)}, {"text", state_text(state)},
                                        {"in_place", state.in_place},      {"checkable", state.checkable},
                                        {"unchecked", state.unchecked}};
        if (profile != nullptr) {
            entry["armed"] = is_armed(row);
            entry["drifted"] = has_drifted(row);
            if (has_drifted(row)) {
                drifted.push_back(row.step_label);
            }
        }
        modules.push_back(std::move(entry));
    }
    nlohmann::ordered_json document = nlohmann::ordered_json::object();
    if (profile != nullptr) {
        document["profile"] = profile->name;
    }
    document["path"] = path_name(options.path);
    if (profile != nullptr) {
        document["drifted"] = drifted;
    }
    document["modules"] = modules;
    // One line, so a collector can keep one object per machine per line. A report may one day
    // carry a name in a legacy code page: replaced, never a throw.
    out << document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

} // namespace

int print_status(const CliOptions& options, const Profile* profile, std::ostream& out) {
    const std::vector<ModuleStateRow> rows = compute_module_states(options.path, current_machine());
    const bool drift = profile != nullptr && std::ranges::any_of(rows, has_drifted);
    const int code = drift ? kCliDrifted : 0;
    if (options.json) {
        print_json(options, profile, rows, out);
        return code;
    }
    out << "# state of the " << path_name(options.path) << " path on this machine, preset "
        << profile_preset_name(profile_preset().load());
    if (profile != nullptr) {
        out << ", profile \"" << profile->name << "\"";
    }
    out << "; nothing has been changed\n";
    for (const ModuleStateRow& row : rows) {
        out << std::left << std::setw(16) << row.step_label << "  " << std::setw(18) << row.page_row << "  ";
        if (profile != nullptr) {
            out << std::setw(9) << (has_drifted(row) ? "DRIFTED" : is_armed(row) ? "armed" : "") << "  ";
        }
        out << state_text(row.state) << "\n";
    }
    if (profile == nullptr) {
        return code;
    }
    if (!drift) {
        out << "# every armed module that can be read back is applied\n";
        return code;
    }
    out << "# drifted:";
    const char* separator = " ";
    for (const ModuleStateRow& row : rows) {
        if (has_drifted(row)) {
            out << separator << row.step_label;
            separator = ", ";
        }
    }
    out << "\n";
    return code;
}

} // namespace tavrine
