#include "runs/module_state.h"

#include "platform/machine.h"
#include "process/cull.h"
#include "tweaks/cleanup.h"
#include "tweaks/latency.h"

#include <cstdio>

namespace tavrine {

namespace {

constexpr const char* kHeld = "held while the program runs";

// Modules whose state is not a question of values: what they report instead, and whether
// their routine is previewed to find it out.
enum class Natural : std::uint8_t { None, Held, GameClamp, Standby, WorkingSet, Files };

Natural natural_of(Module module) {
    switch (module) {
    case Module::Timer:
    case Module::PowerLock:
    case Module::Dwm:
        return Natural::Held;
    case Module::GameClamp:
        return Natural::GameClamp;
    case Module::Standby:
        return Natural::Standby;
    case Module::WorkingSet:
        return Natural::WorkingSet;
    case Module::TempFiles:
    case Module::BrowserCache:
        return Natural::Files;
    default:
        return Natural::None;
    }
}

ModuleState report(std::string text) {
    ModuleState state;
    state.kind = ModuleStateKind::Report;
    state.report = std::move(text);
    return state;
}

std::string files_report(std::uint64_t files, std::uint64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%llu %s, %.1f MB", static_cast<unsigned long long>(files),
                  files == 1 ? "file" : "files", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string processes_report(std::size_t ended) {
    return std::to_string(ended) + (ended == 1 ? " process would end" : " processes would end");
}

ModuleState routine_state(StepRoutine routine, Machine& reads_from) {
    RecordingMachine recorder(reads_from);
    {
        ScopedThreadMachine scope(recorder);
        routine();
    }
    return state_from_tally(tally(recorder.plan_lines()));
}

ModuleState module_state(const ModuleInfo& info, Machine& reads_from) {
    switch (natural_of(info.module)) {
    case Natural::Held:
        return report(kHeld);
    case Natural::GameClamp:
        return report("acts on the game while it runs");
    case Natural::Standby:
        return report("purged on every run");
    case Natural::WorkingSet:
        return report("trimmed on every run");
    case Natural::Files: {
        RecordingMachine recorder(reads_from);
        {
            ScopedThreadMachine scope(recorder);
            info.routine();
        }
        return report(files_report(recorder.deleted_files(), recorder.deleted_bytes()));
    }
    case Natural::None:
        break;
    }
    return routine_state(info.routine, reads_from);
}

// One pass of the cull with the armed options: what it would end now. The whole step is not
// previewed: it writes the last run's counts the CPU page shows.
ModuleState cull_state(Machine& reads_from) {
    RecordingMachine recorder(reads_from);
    {
        ScopedThreadMachine scope(recorder);
        cull_pass(read_cull_options());
    }
    return report(processes_report(recorder.ended_processes()));
}

} // namespace

ModuleState state_from_tally(const PlanTally& counts) {
    ModuleState state;
    state.in_place = counts.already;
    state.checkable = counts.checkable();
    state.unchecked = counts.unchecked;
    if (counts.checkable() == 0) {
        state.kind = counts.unchecked > 0 ? ModuleStateKind::CannotTell : ModuleStateKind::Applied;
    } else if (counts.changes == 0) {
        state.kind = ModuleStateKind::Applied;
    } else if (counts.already == 0) {
        state.kind = ModuleStateKind::NotApplied;
    } else {
        state.kind = ModuleStateKind::Partly;
    }
    return state;
}

std::vector<ModuleStateRow> compute_module_states(PathKind path, Machine& reads_from) {
    std::vector<ModuleStateRow> rows;
    rows.push_back(
        {"Audio stability", "always run", std::nullopt, routine_state(restore_sane_defaults, reads_from)});
    for (const ModuleInfo& info : module_table()) {
        if (info.routine == nullptr || !path_covers(path, info.block)) {
            continue;
        }
        rows.push_back({info.step_label, info.page_row, info.module, module_state(info, reads_from)});
    }
    if (path_covers(path, PathKind::CpuCull)) {
        rows.push_back({"CPU cull", "cull options", std::nullopt, cull_state(reads_from)});
    }
    return rows;
}

std::string state_text(const ModuleState& state) {
    switch (state.kind) {
    case ModuleStateKind::Applied:
        return "applied";
    case ModuleStateKind::Partly:
        return "partly " + std::to_string(state.in_place) + "/" + std::to_string(state.checkable);
    case ModuleStateKind::NotApplied:
        return "not applied";
    case ModuleStateKind::CannotTell:
        return "cannot tell";
    case ModuleStateKind::Report:
        break;
    }
    return state.report;
}

std::string state_tooltip(const ModuleState& state) {
    const int to_change = state.checkable - state.in_place;
    switch (state.kind) {
    case ModuleStateKind::Applied:
        return "Already applied";
    case ModuleStateKind::Partly:
    case ModuleStateKind::NotApplied:
        return std::to_string(to_change) + " of " + std::to_string(state.checkable) +
               (state.checkable == 1 ? " value still to change" : " values still to change");
    case ModuleStateKind::CannotTell:
        return "State unknown: runs commands";
    case ModuleStateKind::Report:
        break;
    }
    std::string text = state.report;
    if (!text.empty()) {
        text[0] = static_cast<char>(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 'a' + 'A' : text[0]);
    }
    return text;
}

const char* state_word(ModuleStateKind kind) {
    switch (kind) {
    case ModuleStateKind::Applied:
        return "applied";
    case ModuleStateKind::Partly:
        return "partly";
    case ModuleStateKind::NotApplied:
        return "not applied";
    case ModuleStateKind::CannotTell:
        return "cannot tell";
    case ModuleStateKind::Report:
        break;
    }
    return "report";
}

} // namespace tavrine
