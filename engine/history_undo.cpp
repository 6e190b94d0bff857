#include "engine/history_undo.h"

#include "engine/primitives.h"
#include "engine/start_with_windows.h"
#include "engine/worker_gate.h"
#include "platform/change_text.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/read_back.h"
#include "platform/tasks.h"

namespace tavrine {

namespace {

enum class Step : std::uint8_t { Restored, ChangedSince, Failed, Cannot };

ValueState current_value(Machine& machine, const RegistryRecord& record) {
    const RegistryKeyPtr key = machine.registry().open_key(record.hive, record.sub_key, KeyAccess::Read);
    const std::optional<RegistryValue> value = key ? key->query_value(record.name) : std::nullopt;
    return value ? ValueState{true, value->type, value->data} : ValueState{};
}

Step undo_registry(Machine& machine, const RegistryRecord& record) {
    const ValueState now = current_value(machine, record);
    if (now == record.put_back) {
        return Step::Restored;
    }
    if (!(now == record.left)) {
        machine.note("changed since the run, left alone: " + key_display_path(record.hive, record.sub_key) +
                     " " + record.name);
        return Step::ChangedSince;
    }
    if (!record.put_back.present) {
        const RegistryKeyPtr key =
            machine.registry().open_key(record.hive, record.sub_key, KeyAccess::SetValue);
        return key && key->delete_value(record.name) ? Step::Restored : Step::Failed;
    }
    const RegistryKeyPtr key = machine.registry().create_key(record.hive, record.sub_key);
    const ValueState& value = record.put_back;
    return key && key->set_value(record.name, value.type, value.data.data(),
                                 static_cast<std::uint32_t>(value.data.size()))
               ? Step::Restored
               : Step::Failed;
}

Step undo_key(Machine& machine, const KeyRecord& record) {
    Registry& registry = machine.registry();
    RegistryKeyPtr now = registry.open_key(record.hive, record.sub_key, KeyAccess::Read);
    if (!record.created) { // an empty key the run deleted
        return now || registry.create_key(record.hive, record.sub_key) ? Step::Restored : Step::Failed;
    }
    if (!now) {
        return Step::Restored;
    }
    // Undo goes backwards, so the values the run put in the key are gone by now; the machine
    // deletes the key only when nothing else is in it (a plan cannot tell: it deletes nothing).
    now.reset();
    if (registry.delete_empty_key(record.hive, record.sub_key)) {
        return Step::Restored;
    }
    now = registry.open_key(record.hive, record.sub_key, KeyAccess::Read);
    if (now && !key_is_empty(*now)) {
        machine.note("changed since the run, left alone: " + key_display_path(record.hive, record.sub_key) +
                     " (it holds what the run did not put there)");
        return Step::ChangedSince;
    }
    return now ? Step::Failed : Step::Restored;
}

Step undo_service(Machine& machine, const ServiceRecord& record) {
    const std::optional<ServiceState> state = machine.services().query_service(record.name);
    if (!state || !state->exists) {
        machine.note("cannot read the service, left alone: " + record.name);
        return Step::ChangedSince;
    }
    const ServiceSnapshot now{state->start_type, state->running};
    if (now == record.put_back) {
        return Step::Restored;
    }
    // The running state drifts by itself (triggers, stop still pending); the start type is
    // what tells whether somebody changed the service since.
    if (now.start_type != record.left.start_type) {
        machine.note("changed since the run, left alone: service " + record.name);
        return Step::ChangedSince;
    }
    Services& services = machine.services();
    const ServiceSnapshot& put = record.put_back;
    bool done = false;
    if (!put.running) {
        done = services.stop_and_set_start_type(record.name, put.start_type);
    } else if (put.start_type == kServiceAutoStart) {
        done = services.set_automatic_and_start(record.name);
    } else {
        done = services.set_start_type_and_start(record.name, put.start_type);
    }
    return done ? Step::Restored : Step::Failed;
}

Step undo_spi(Machine& machine, const SpiRecord& record) {
    // Parsing made sure this action has a matching get.
    const std::optional<SpiReadBack> read = spi_read_back(record.action, record.param, record.argument);
    const auto now = read ? machine.system_settings().read_parameters(read->action, read->param, read->buffer)
                          : std::nullopt;
    if (now && *now == read->expected) {
        return Step::Restored;
    }
    if (!now || *now != record.left) {
        machine.note("changed since the run, left alone: " +
                     describe_spi(record.action, record.param, record.argument, record.flags));
        return Step::ChangedSince;
    }
    return machine.system_settings().system_parameters(record.action, record.param, record.argument,
                                                       record.flags)
               ? Step::Restored
               : Step::Failed;
}

Step undo_power_scheme(Machine& machine, const PowerSchemeRecord& record) {
    SystemSettings& settings = machine.system_settings();
    const std::optional<std::string> now = settings.active_power_scheme();
    if (now && *now == record.put_back) {
        return Step::Restored;
    }
    if (!now || *now != record.left) {
        machine.note("changed since the run, left alone: the active power scheme");
        return Step::ChangedSince;
    }
    return settings.activate_power_scheme(record.put_back) ? Step::Restored : Step::Failed;
}

Step undo_power_index(Machine& machine, const PowerIndexRecord& record) {
    SystemSettings& settings = machine.system_settings();
    const std::optional<std::uint32_t> now = settings.read_power_index(record.setting);
    if (now && *now == record.put_back) {
        return Step::Restored;
    }
    if (!now || *now != record.left) {
        machine.note("changed since the run, left alone: " +
                     describe_power_index(record.setting, record.left));
        return Step::ChangedSince;
    }
    return settings.write_power_index(record.setting, record.put_back) ? Step::Restored : Step::Failed;
}

Step undo_qos(const QosRecord& record) {
    // The policy's name is the program's own (the parser accepts no other), so the command is
    // built here from a constant, never from the file's text.
    const std::string command = "powershell -NoProfile -Command \"Get-NetQosPolicy -Name '" + record.policy +
                                "' -EA SilentlyContinue | Remove-NetQosPolicy -Confirm:$false -EA "
                                "SilentlyContinue\"";
    return run_hidden_exit_code(command.c_str()) == 0 ? Step::Restored : Step::Failed;
}

// Larger than any configuration file a run keeps the bytes of.
constexpr std::uint64_t kMaxFileBytes = 4u << 20;

std::optional<std::string> file_bytes(Files& files, const std::string& path) {
    const std::optional<std::uint64_t> size = files.file_size(path);
    return size && *size <= kMaxFileBytes ? files.read_file(path) : std::nullopt;
}

Step undo_file(Machine& machine, const HistoryFile& file, const FileRecord& record) {
    Files& files = machine.files();
    const bool exists = files.attributes(record.path).has_value();
    const std::optional<std::string> now = exists ? file_bytes(files, record.path) : std::nullopt;
    const std::optional<std::string> before =
        record.copy.empty() ? std::nullopt : file_bytes(files, file.copies_folder + "\\" + record.copy);
    if (record.copy.empty() ? !exists : (now && before && *now == *before)) {
        return Step::Restored;
    }
    if (!now || now->size() != record.left_size || content_hash(*now) != record.left_hash) {
        machine.note("changed since the run, left alone: " + record.path);
        return Step::ChangedSince;
    }
    if (record.copy.empty()) {
        return files.delete_file(record.path) ? Step::Restored : Step::Failed;
    }
    return before && files.write_file_whole(record.path, *before) ? Step::Restored : Step::Failed;
}

Step undo_task(Machine& machine, const TaskRecord& record) {
    const bool present = machine.tasks().task_exists(record.name);
    if (present == record.put_back_present) {
        return Step::Restored;
    }
    if (present != record.left_present) {
        machine.note("changed since the run, left alone: the logon task");
        return Step::ChangedSince;
    }
    // The task and its protected copy go together: the copy is made again before the task is
    // registered again, and removed with it.
    const bool done = record.put_back_present ? enable_startup_task() : disable_startup_task();
    return done ? Step::Restored : Step::Failed;
}

std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

UndoOutcome undo_records(const HistoryFile& file, const std::vector<std::size_t>& records,
                         const std::function<void(const RecordOutcome&)>& done, bool stoppable) {
    UndoOutcome outcome;
    outcome.offered = static_cast<int>(records.size());
    for (auto index = records.rbegin(); index != records.rend(); ++index) {
        // Between two records, never inside one: what the entry says it did, it did.
        if (stoppable && worker_stop_requested()) {
            outcome.stopped = true;
            break;
        }
        if (*index >= file.records.size()) {
            continue;
        }
        const JournalRecord& record = file.records[*index];
        Machine& machine = current_machine();
        RecordFate fate = RecordFate::Cannot;
        Step step = Step::Restored;
        if (const auto* registry = std::get_if<RegistryRecord>(&record)) {
            step = undo_registry(machine, *registry);
        } else if (const auto* key = std::get_if<KeyRecord>(&record)) {
            step = undo_key(machine, *key);
        } else if (const auto* service = std::get_if<ServiceRecord>(&record)) {
            step = undo_service(machine, *service);
        } else if (const auto* spi = std::get_if<SpiRecord>(&record)) {
            step = undo_spi(machine, *spi);
        } else if (const auto* scheme = std::get_if<PowerSchemeRecord>(&record)) {
            step = undo_power_scheme(machine, *scheme);
        } else if (const auto* index_record = std::get_if<PowerIndexRecord>(&record)) {
            step = undo_power_index(machine, *index_record);
        } else if (const auto* qos = std::get_if<QosRecord>(&record)) {
            step = undo_qos(*qos);
        } else if (const auto* written = std::get_if<FileRecord>(&record)) {
            step = undo_file(machine, file, *written);
        } else if (const auto* task = std::get_if<TaskRecord>(&record)) {
            step = undo_task(machine, *task);
        } else {
            machine.note("cannot be undone: " + std::get<CannotRecord>(record).text);
            step = Step::Cannot;
        }
        switch (step) {
        case Step::Restored:
            ++outcome.restored;
            fate = RecordFate::Restored;
            break;
        case Step::ChangedSince:
            ++outcome.changed_since;
            fate = RecordFate::ChangedSince;
            break;
        case Step::Failed:
            ++outcome.failed;
            fate = RecordFate::Refused;
            break;
        case Step::Cannot:
            ++outcome.cannot;
            fate = RecordFate::Cannot;
            break;
        }
        ++outcome.reached;
        if (done) {
            done(RecordOutcome{static_cast<std::uint32_t>(*index + 1), fate});
        }
    }
    return outcome;
}

std::string undo_summary(const UndoOutcome& outcome) {
    std::string text;
    if (outcome.stopped) {
        text = "Stopped after " + std::to_string(outcome.reached) + " of " + std::to_string(outcome.offered) +
               " records (undo again for the rest): ";
    }
    text += counted(outcome.restored, "change restored", "changes restored") + " · " +
            std::to_string(outcome.changed_since) + " changed since, left alone · " +
            std::to_string(outcome.cannot) + " cannot be undone";
    if (outcome.failed > 0) {
        text += " · " + std::to_string(outcome.failed) + " refused by the system";
    }
    return text;
}

UndoTarget find_undo_target(const std::optional<std::string>& id) {
    if (const std::string problem = history_folder_problem(); !problem.empty()) {
        return {std::nullopt, problem + "; nothing was changed", true};
    }
    const std::vector<HistoryEntry> entries = list_history();
    const HistoryEntry* chosen = nullptr;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (id) {
            // The protected folder's entry first, should the user's folder hold the same name.
            if (it->id == *id && (chosen == nullptr || chosen->moved)) {
                chosen = &*it;
            }
        } else if (!it->moved && !it->undo_finished() && !(it->file && !it->file->header.undoes.empty())) {
            chosen = &*it; // a damaged or refused newest run is chosen too, and refused below
            break;
        }
    }
    if (chosen == nullptr) {
        return {std::nullopt,
                id ? "no run in the history has the id " + *id : "there is no run left to undo"};
    }
    if (chosen->moved) {
        return {std::nullopt,
                chosen->id + " was moved from the user's folder (" + legacy_history_folder() +
                    "): it can be viewed, not undone; nothing was changed",
                true};
    }
    if (chosen->forged) {
        return {std::nullopt,
                "the history of " + chosen->id + " is refused: " + chosen->error + "; nothing was changed",
                true};
    }
    if (!chosen->file) {
        return {std::nullopt,
                "the history of " + chosen->id + " is damaged (" + chosen->error + "); nothing was changed"};
    }
    if (!chosen->refused.empty()) {
        std::string error = "the history of " + chosen->id + " is refused, nothing was changed:";
        for (const std::string& line : chosen->refused) {
            error += "\n  refused: not something this program changes: " + line;
        }
        return {std::nullopt, error, true};
    }
    if (chosen->file->incomplete) {
        return {std::nullopt,
                "the history of " + chosen->id +
                    " is not whole (a line could not be written during the run), so it cannot be undone"};
    }
    if (!chosen->undone_by.empty() && chosen->pending().empty()) {
        return {std::nullopt, chosen->id + " was already undone by " + chosen->undone_by};
    }
    return {*chosen, {}};
}

UndoRun apply_undo(const std::optional<std::string>& id) {
    UndoRun run;
    // An undo is a run: it goes through the same one-worker gate, on the calling thread.
    const WorkerTicket ticket = admit_worker(WorkerKind::Pipeline);
    if (!ticket) {
        run.error = "a run is in progress; undo when it has finished";
        return run;
    }
    return apply_undo_admitted(id);
}

UndoRun apply_undo_admitted(const std::optional<std::string>& id) {
    UndoRun run;
    UndoTarget target = find_undo_target(id);
    if (!target.entry) {
        run.error = std::move(target.error);
        run.refused = target.refused;
        return run;
    }
    run.undone_id = target.entry->id;
    HistoryRun history("undo", run.undone_id);
    run.history_id = history.id();
    const std::vector<std::size_t> pending = target.entry->pending();
    run.outcome = undo_records(
        *target.entry->file, pending,
        [&history](const RecordOutcome& outcome) { history.record_outcome(outcome); }, true);
    const bool written = run.outcome.stopped
                             ? history.finish_stopped(run.outcome.reached, run.outcome.offered)
                             : history.finish();
    if (!written) {
        run.history_id.clear();
    }
    return run;
}

} // namespace tavrine
