#include "platform/journal/journaling_machine.h"

#include "platform/ascii.h"
#include "platform/change_text.h"
#include "platform/process_change_text.h"
#include "platform/read_back.h"

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::mutex>;

ValueView view_of(const std::optional<RegistryValue>& value) {
    return value ? ValueView{true, value->type, value->data} : ValueView{};
}

// Writes go through the journal; reads and walks through the key underneath.
class JournalingKey final : public RegistryKey {
public:
    JournalingKey(JournalingMachine& journal, RegistryKeyPtr inner, bool readable)
        : journal_(journal), inner_(std::move(inner)), readable_(readable) {}
    // A key created through the journal, with the key opened to read before (null when it did
    // not exist, so every value it held was absent).
    JournalingKey(JournalingMachine& journal, RegistryKeyPtr inner, RegistryKeyPtr reader)
        : journal_(journal), inner_(std::move(inner)), readable_(false), reader_opened_(true),
          reader_(std::move(reader)) {}

    Hive hive() const override { return inner_->hive(); }
    const std::string& sub_key() const override { return inner_->sub_key(); }
    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        return journal_.journal_set_value(*inner_, reader(), name, type, data, size);
    }
    std::optional<RegistryValue> query_value(std::string_view name) override {
        return inner_->query_value(name);
    }
    bool delete_value(std::string_view name) override {
        return journal_.journal_delete_value(*inner_, reader(), name);
    }
    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        return inner_->sub_key_name(index);
    }
    std::optional<std::string> value_name(std::uint32_t index) override { return inner_->value_name(index); }

private:
    // What a value was is read through the key itself when it was opened to read, else through
    // a second key opened to read once, on the first change (a device walk writes several).
    RegistryKey* reader() {
        if (readable_) {
            return inner_.get();
        }
        if (!reader_opened_) {
            reader_opened_ = true;
            reader_ = journal_.open_reader(inner_->hive(), inner_->sub_key());
        }
        return reader_.get();
    }

    JournalingMachine& journal_;
    RegistryKeyPtr inner_;
    bool readable_;
    bool reader_opened_ = false;
    RegistryKeyPtr reader_;
};

class JournalingProcessHandle final : public ProcessHandle {
public:
    JournalingProcessHandle(JournalingMachine& journal, ProcessHandlePtr inner)
        : journal_(journal), inner_(std::move(inner)) {}

    std::uint32_t pid() const override { return inner_->pid(); }
    bool terminate(std::uint32_t exit_code, std::string_view reason) override {
        journal_.record_cannot(describe_kill(pid(), reason));
        return inner_->terminate(exit_code, reason);
    }
    std::optional<std::uint32_t> exit_code() override { return inner_->exit_code(); }
    bool wait_for_exit(std::uint32_t wait_ms) override { return inner_->wait_for_exit(wait_ms); }
    // Priorities, boosts and throttling end with the process: nothing lasting to put back.
    std::optional<std::uint32_t> priority_class() override { return inner_->priority_class(); }
    bool set_priority_class(std::uint32_t priority_class) override {
        return inner_->set_priority_class(priority_class);
    }
    bool set_priority_boost(bool disable) override { return inner_->set_priority_boost(disable); }
    bool set_power_throttling(const PowerThrottlingState& state) override {
        return inner_->set_power_throttling(state);
    }
    bool set_io_priority(std::uint32_t priority) override { return inner_->set_io_priority(priority); }
    bool empty_working_set() override { return inner_->empty_working_set(); }
    std::optional<std::uint64_t> creation_time() override { return inner_->creation_time(); }
    std::optional<std::string> image_name() override { return inner_->image_name(); }

private:
    JournalingMachine& journal_;
    ProcessHandlePtr inner_;
};

} // namespace

// [SECTION] Processes and files ----------------------------------------------------------------

ProcessHandlePtr JournalingProcesses::open_process(std::uint32_t pid, std::uint32_t access) {
    ProcessHandlePtr inner = inner_.open_process(pid, access);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<JournalingProcessHandle>(journal_, std::move(inner));
}

bool JournalingFiles::delete_file(std::string_view path) {
    // A clean-up deletes thousands of files: they are counted, and written down as one line.
    const bool deleted = inner_.delete_file(path);
    if (deleted) {
        journal_.count_file_deletion();
    }
    return deleted;
}

bool JournalingFiles::write_file_whole(std::string_view path, std::string_view bytes) {
    journal_.journal_file_write(path, bytes);
    return inner_.write_file_whole(path, bytes);
}

bool JournalingFiles::copy_file(std::string_view from, std::string_view to, bool fail_if_exists) {
    journal_.record_cannot(describe_copy_file(from, to));
    return inner_.copy_file(from, to, fail_if_exists);
}

// [SECTION] Journal ----------------------------------------------------------------------------

JournalingMachine::JournalingMachine(Machine& inner, std::string history_path)
    : JournalingMachine(inner, history_path, inner.files().open_append(history_path)) {}

JournalingMachine::JournalingMachine(Machine& inner, std::string history_path, AppendFilePtr log)
    : inner_(inner), path_(std::move(history_path)), log_(std::move(log)),
      processes_(*this, inner.processes()), files_(*this, inner.files()) {}

bool JournalingMachine::write_line_locked() {
    if (!intact_ || finished_) {
        return false;
    }
    // Held open for the whole run: one write and one flush per line, no open and close.
    line_.append("\r\n");
    if (!log_ || !log_->append(line_)) {
        intact_ = false;
        // Best effort: a later reader must not take what is there for the whole run.
        inner_.files().append_file(path_, std::string(kJournalIncomplete) + "\r\n");
        return false;
    }
    return true;
}

void JournalingMachine::flush_deletions_locked() {
    if (deleted_files_ == 0) {
        return;
    }
    const std::string line = "DELETE FILES " + std::to_string(deleted_files_) +
                             (deleted_files_ == 1 ? " file" : " files") + " (removed for good)";
    deleted_files_ = 0;
    ++cannot_;
    line_ = format_record(CannotRecord{line});
    write_line_locked();
}

void JournalingMachine::append_locked(const JournalRecord& record) {
    flush_deletions_locked();
    if (std::holds_alternative<CannotRecord>(record)) {
        ++cannot_;
    } else {
        ++undoable_;
    }
    line_ = format_record(record);
    write_line_locked();
}

void JournalingMachine::append_registry_locked(const RegistryKey& key, std::string_view name,
                                               ValueView put_back, ValueView left) {
    flush_deletions_locked();
    ++undoable_;
    // Formatted straight into the kept buffer: nearly every change a run makes is one of these.
    line_.clear();
    append_registry_line(line_, key.hive(), key.sub_key(), name, put_back, left);
    write_line_locked();
}

void JournalingMachine::record_cannot(std::string text) {
    const Lock lock(journal_mutex_);
    append_locked(CannotRecord{std::move(text)});
}

void JournalingMachine::record_outcome(const RecordOutcome& outcome) {
    const Lock lock(journal_mutex_);
    flush_deletions_locked(); // the changes of the record come before the word on it
    line_ = format_outcome(outcome);
    write_line_locked();
}

void JournalingMachine::count_file_deletion() {
    const Lock lock(journal_mutex_);
    ++deleted_files_;
}

void JournalingMachine::finish(std::string_view stopped) {
    const Lock lock(journal_mutex_);
    flush_deletions_locked();
    line_.assign(kJournalEnd);
    if (!stopped.empty()) {
        line_ += '\t';
        line_ += stopped;
    }
    write_line_locked();
    finished_ = true;
    log_.reset();
}

bool JournalingMachine::intact() const {
    const Lock lock(journal_mutex_);
    return intact_;
}

int JournalingMachine::undoable_count() const {
    const Lock lock(journal_mutex_);
    return undoable_;
}

int JournalingMachine::cannot_count() const {
    const Lock lock(journal_mutex_);
    return cannot_;
}

namespace {

// Larger files than any configuration file a run edits are not kept.
constexpr std::uint64_t kMaxKeptBytes = 4u << 20;

} // namespace

void JournalingMachine::journal_file_write(std::string_view path, std::string_view bytes) {
    const Lock lock(journal_mutex_);
    Files& files = inner_.files();
    FileRecord record{std::string(path), {}, bytes.size(), content_hash(bytes)};
    bool kept = !files.attributes(path).has_value(); // nothing there: the undo deletes it
    if (!kept) {
        const std::optional<std::uint64_t> size = files.file_size(path);
        const std::optional<std::string> previous =
            size && *size <= kMaxKeptBytes ? files.read_file(path) : std::nullopt;
        const std::string folder = copies_folder_of(path_);
        record.copy = std::to_string(copies_ + 1) + ".bin";
        kept = previous && intact_ && files.create_folders(folder) &&
               files.write_file_whole(folder + "\\" + record.copy, *previous);
        if (kept) {
            ++copies_;
        }
    }
    if (kept) {
        append_locked(record);
    } else {
        append_locked(CannotRecord{describe_write_file(path, bytes.size())});
    }
}

// [SECTION] Registry ---------------------------------------------------------------------------

RegistryKeyPtr JournalingMachine::create_key(Hive hive, std::string_view sub_key) {
    // The key is opened to read first: it reads what its values were, and its absence says the
    // create makes a new key (a key that refuses reading is taken for a new one too; the undo
    // deletes a key only while it is empty and readable).
    RegistryKeyPtr reader = open_reader(hive, sub_key);
    if (!reader) {
        journal_new_keys(hive, sub_key);
    }
    RegistryKeyPtr inner = inner_.registry().create_key(hive, sub_key);
    return inner ? std::make_unique<JournalingKey>(*this, std::move(inner), std::move(reader)) : nullptr;
}

void JournalingMachine::journal_new_keys(Hive hive, std::string_view sub_key) {
    // The missing parents are created too: each gets its line, the outermost first, so an undo
    // (which goes backwards) deletes the innermost first.
    std::vector<std::string_view> missing{sub_key};
    for (std::string_view key = sub_key;;) {
        const std::size_t slash = key.rfind('\\');
        if (slash == std::string_view::npos) {
            break;
        }
        key = key.substr(0, slash);
        if (key.empty() || open_reader(hive, key)) {
            break;
        }
        missing.push_back(key);
    }
    const Lock lock(journal_mutex_);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        append_locked(KeyRecord{hive, std::string(*it), true});
    }
}

bool JournalingMachine::delete_empty_key(Hive hive, std::string_view sub_key) {
    const Lock lock(journal_mutex_);
    const RegistryKeyPtr reader = open_reader(hive, sub_key);
    if (reader && key_is_empty(*reader)) { // any other key is left as it is
        append_locked(KeyRecord{hive, std::string(sub_key), false});
    }
    return inner_.registry().delete_empty_key(hive, sub_key);
}

RegistryKeyPtr JournalingMachine::open_reader(Hive hive, std::string_view sub_key) {
    return inner_.registry().open_key(hive, sub_key, KeyAccess::Read);
}

RegistryKeyPtr JournalingMachine::open_key(Hive hive, std::string_view sub_key, KeyAccess access) {
    RegistryKeyPtr inner = inner_.registry().open_key(hive, sub_key, access);
    if (!inner || access == KeyAccess::Read) {
        return inner; // a key opened to read cannot change anything
    }
    return std::make_unique<JournalingKey>(*this, std::move(inner), access == KeyAccess::ReadWrite);
}

bool JournalingMachine::journal_set_value(RegistryKey& key, RegistryKey* reader, std::string_view name,
                                          std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    const Lock lock(journal_mutex_);
    const std::optional<RegistryValue> previous = reader ? reader->query_value(name) : std::nullopt;
    append_registry_locked(key, name, view_of(previous), ValueView{true, type, {data, size}});
    return key.set_value(name, type, data, size);
}

bool JournalingMachine::journal_delete_value(RegistryKey& key, RegistryKey* reader, std::string_view name) {
    const Lock lock(journal_mutex_);
    const std::optional<RegistryValue> previous = reader ? reader->query_value(name) : std::nullopt;
    if (previous) { // deleting what is not there changes nothing
        append_registry_locked(key, name, view_of(previous), ValueView{});
    }
    return key.delete_value(name);
}

// [SECTION] Services, commands and system parameters --------------------------------------------

namespace {

// The line for a service change: what to put back, or why it cannot be.
std::optional<JournalRecord> service_record(Services& services, std::string_view name, ServiceSnapshot left,
                                            std::string plan_text) {
    const std::optional<ServiceState> state = services.query_service(name);
    if (state && !state->exists) {
        return std::nullopt; // no such service: the change changes nothing
    }
    if (!state) {
        return JournalRecord(CannotRecord{std::move(plan_text)});
    }
    return JournalRecord(ServiceRecord{std::string(name), {state->start_type, state->running}, left});
}

} // namespace

bool JournalingMachine::stop_and_set_start_type(std::string_view name, std::uint32_t start_type) {
    const Lock lock(journal_mutex_);
    if (auto record = service_record(inner_.services(), name, {start_type, false},
                                     describe_stop_and_set_start_type(name, start_type))) {
        append_locked(*record);
    }
    return inner_.services().stop_and_set_start_type(name, start_type);
}

bool JournalingMachine::set_automatic_and_start(std::string_view name) {
    const Lock lock(journal_mutex_);
    if (auto record = service_record(inner_.services(), name, {kServiceAutoStart, true},
                                     describe_set_automatic_and_start(name))) {
        append_locked(*record);
    }
    return inner_.services().set_automatic_and_start(name);
}

bool JournalingMachine::set_start_type_and_start(std::string_view name, std::uint32_t start_type) {
    const Lock lock(journal_mutex_);
    if (auto record = service_record(inner_.services(), name, {start_type, true},
                                     describe_set_start_type_and_start(name, start_type))) {
        append_locked(*record);
    }
    return inner_.services().set_start_type_and_start(name, start_type);
}

std::optional<JournalRecord> JournalingMachine::command_record(std::string_view command) {
    SystemSettings& settings = inner_.system_settings();
    if (const std::optional<std::string> scheme = power_scheme_activated_by(command)) {
        const std::optional<std::string> active = settings.active_power_scheme();
        return active ? std::optional<JournalRecord>(PowerSchemeRecord{*active, *scheme}) : std::nullopt;
    }
    if (std::optional<PowerIndexCommand> index = power_index_set_by(command)) {
        if (index->setting.scheme.empty()) {
            index->setting.scheme = settings.active_power_scheme().value_or("");
        }
        const std::optional<std::uint32_t> previous =
            index->setting.scheme.empty() ? std::nullopt : settings.read_power_index(index->setting);
        return previous
                   ? std::optional<JournalRecord>(PowerIndexRecord{index->setting, *previous, index->value})
                   : std::nullopt;
    }
    if (creates_qos_policy(command)) {
        return QosRecord{std::string(kQosPolicyName)};
    }
    return std::nullopt;
}

CommandOutcome JournalingMachine::run_hidden(std::string_view command, std::uint32_t wait_ms) {
    // Re-applying the active power scheme changes nothing that could be put back.
    if (!reapplies_power_scheme(command)) {
        const Lock lock(journal_mutex_);
        // The commands whose effect can be read back (power schemes and indices) or taken back
        // (the program's QoS policy) get their line; any other command is listed
        // as one that cannot be undone, before it runs.
        std::optional<JournalRecord> record = command_record(command);
        append_locked(record ? *record : JournalRecord(CannotRecord{describe_run(command, wait_ms)}));
    }
    return inner_.commands().run_hidden(command, wait_ms);
}

bool JournalingMachine::activate_power_scheme(std::string_view guid) {
    const Lock lock(journal_mutex_);
    const std::optional<std::string> active = inner_.system_settings().active_power_scheme();
    append_locked(active ? JournalRecord(PowerSchemeRecord{*active, std::string(guid)})
                         : JournalRecord(CannotRecord{describe_activate_power_scheme(guid)}));
    return inner_.system_settings().activate_power_scheme(guid);
}

bool JournalingMachine::write_power_index(const PowerSetting& setting, std::uint32_t value) {
    const Lock lock(journal_mutex_);
    const std::optional<std::uint32_t> previous = inner_.system_settings().read_power_index(setting);
    append_locked(previous ? JournalRecord(PowerIndexRecord{setting, *previous, value})
                           : JournalRecord(CannotRecord{describe_power_index(setting, value)}));
    return inner_.system_settings().write_power_index(setting, value);
}

namespace {

JournalRecord task_record(Tasks& tasks, std::string_view name, bool left_present, std::string plan_text) {
    if (!iequals(name, kLogonTaskName)) {
        return CannotRecord{std::move(plan_text)};
    }
    return TaskRecord{std::string(kLogonTaskName), tasks.task_exists(name), left_present};
}

} // namespace

bool JournalingMachine::register_task_xml(std::string_view name, std::string_view xml) {
    const Lock lock(journal_mutex_);
    append_locked(task_record(inner_.tasks(), name, true, describe_register_task(name)));
    return inner_.tasks().register_task_xml(name, xml);
}

bool JournalingMachine::delete_task(std::string_view name) {
    const Lock lock(journal_mutex_);
    append_locked(task_record(inner_.tasks(), name, false, describe_delete_task(name)));
    return inner_.tasks().delete_task(name);
}

bool JournalingMachine::system_parameters(std::uint32_t action, std::uint32_t param,
                                          const SpiArgument& argument, std::uint32_t flags) {
    const Lock lock(journal_mutex_);
    std::optional<SpiRecord> record;
    if (const std::optional<SpiReadBack> read = spi_read_back(action, param, argument)) {
        const auto previous =
            inner_.system_settings().read_parameters(read->action, read->param, read->buffer);
        const auto put_back = previous ? spi_put_back(action, param, *previous) : std::nullopt;
        if (put_back) {
            record = SpiRecord{action, put_back->param, put_back->argument, flags, read->expected};
        }
    }
    if (record) {
        append_locked(*record);
    } else {
        append_locked(CannotRecord{describe_spi(action, param, argument, flags)});
    }
    return inner_.system_settings().system_parameters(action, param, argument, flags);
}

} // namespace tavrine
