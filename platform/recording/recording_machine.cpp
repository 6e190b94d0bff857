#include "platform/recording/recording_machine.h"

#include "platform/ascii.h"
#include "platform/change_text.h"
#include "platform/read_back.h"

#include <cstring>

namespace tavrine {

namespace {

std::string created_key_id(Hive hive, std::string_view sub_key) {
    return std::to_string(static_cast<int>(hive)) + "|" + ascii_lowered(sub_key);
}

bool is_text_type(std::uint32_t type) {
    return type == kRegSz || type == 2; // REG_SZ, REG_EXPAND_SZ
}

// A text value's bytes without the terminating zeros, which writers are free to leave out.
std::string_view value_bytes(std::uint32_t type, const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    if (is_text_type(type)) {
        while (!bytes.empty() && bytes.back() == '\0') {
            bytes.remove_suffix(1);
        }
    }
    return bytes;
}

bool value_holds(const std::optional<RegistryValue>& current, std::uint32_t type, const std::uint8_t* data,
                 std::uint32_t size) {
    if (!current || current->type != type) {
        return false;
    }
    return value_bytes(type, current->data.data(), current->data.size()) == value_bytes(type, data, size);
}

// A key as the plan sees it: values read from the real key when it exists, writes recorded.
class RecordingKey final : public RegistryKey {
public:
    RecordingKey(RecordingMachine& plan, Hive hive, std::string sub_key, RegistryKeyPtr real)
        : plan_(plan), hive_(hive), sub_key_(std::move(sub_key)), real_(std::move(real)) {}

    Hive hive() const override { return hive_; }
    const std::string& sub_key() const override { return sub_key_; }

    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        const bool holds = value_holds(query_value(name), type, data, size);
        plan_.record(describe_set_value(hive_, sub_key_, name, type, data, size),
                     holds ? PlanMark::Already : PlanMark::Changes);
        return true;
    }
    std::optional<RegistryValue> query_value(std::string_view name) override {
        return real_ ? real_->query_value(name) : std::nullopt;
    }
    bool delete_value(std::string_view name) override {
        // Deleting a value that is not there changes nothing, so the plan leaves it out.
        if (!query_value(name)) {
            plan_.record_hidden_already(describe_delete_value(hive_, sub_key_, name));
            return false;
        }
        plan_.record(describe_delete_value(hive_, sub_key_, name), PlanMark::Changes);
        return true;
    }
    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        return real_ ? real_->sub_key_name(index) : std::nullopt;
    }
    std::optional<std::string> value_name(std::uint32_t index) override {
        return real_ ? real_->value_name(index) : std::nullopt;
    }

private:
    RecordingMachine& plan_;
    Hive hive_;
    std::string sub_key_;
    RegistryKeyPtr real_;
};

} // namespace

PlanTally tally(const std::vector<PlanLine>& lines, std::size_t first) {
    PlanTally counts;
    for (std::size_t i = first; i < lines.size(); ++i) {
        switch (lines[i].mark) {
        case PlanMark::Changes:
            ++counts.changes;
            break;
        case PlanMark::Already:
            ++counts.already;
            break;
        case PlanMark::Unchecked:
            ++counts.unchecked;
            break;
        case PlanMark::Note:
        case PlanMark::Detail:
            break;
        }
    }
    return counts;
}

std::string shown_text(const PlanLine& line) {
    return line.mark == PlanMark::Already ? line.text + " (already)" : line.text;
}

RecordingMachine::RecordingMachine(Machine& reads_from)
    : inner_(reads_from), processes_(*this, reads_from.processes()), files_(*this, reads_from.files()),
      system_state_(*this, reads_from), tasks_(*this, reads_from.tasks()) {}

// Callers hold mutex_.
void RecordingMachine::flush_deletions() {
    if (deletions_.empty()) {
        return;
    }
    std::vector<std::string> summary;
    deletions_.flush_into(summary);
    for (std::size_t i = 0; i < summary.size(); ++i) {
        lines_.push_back({std::move(summary[i]), i == 0 ? PlanMark::Changes : PlanMark::Detail});
    }
}

void RecordingMachine::add_line(PlanLine line) {
    std::lock_guard<std::mutex> lock(mutex_);
    flush_deletions();
    lines_.push_back(std::move(line));
}

void RecordingMachine::record(std::string line, PlanMark mark) {
    add_line({std::move(line), mark});
}

void RecordingMachine::record_hidden_already(std::string line) {
    add_line({std::move(line), PlanMark::Already, false});
}

void RecordingMachine::record_file_deletion(std::string_view path, std::uint64_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.add_deletion(path, size);
    ++deleted_files_;
    deleted_bytes_ += size;
}

void RecordingMachine::record_read_only_cleared() {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.add_read_only_cleared();
}

void RecordingMachine::note(std::string_view text) {
    record("NOTE " + std::string(text), PlanMark::Note);
}

std::vector<std::string> RecordingMachine::lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    flush_deletions();
    std::vector<std::string> texts;
    texts.reserve(lines_.size());
    for (const PlanLine& line : lines_) {
        if (line.shown) {
            texts.push_back(shown_text(line));
        }
    }
    return texts;
}

std::vector<PlanLine> RecordingMachine::plan_lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    flush_deletions();
    return lines_;
}

std::uint64_t RecordingMachine::deleted_files() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deleted_files_;
}

std::uint64_t RecordingMachine::deleted_bytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deleted_bytes_;
}

bool RecordingMachine::created_in_plan(Hive hive, std::string_view sub_key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return created_keys_.count(created_key_id(hive, sub_key)) != 0;
}

RegistryKeyPtr RecordingMachine::create_key(Hive hive, std::string_view sub_key) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        created_keys_.insert(created_key_id(hive, sub_key));
    }
    return std::make_unique<RecordingKey>(*this, hive, std::string(sub_key),
                                          inner_.registry().open_key(hive, sub_key, KeyAccess::Read));
}

RegistryKeyPtr RecordingMachine::open_key(Hive hive, std::string_view sub_key, KeyAccess /*access*/) {
    // Only ever read the real key: a preview needs no write access and makes no change.
    RegistryKeyPtr real = inner_.registry().open_key(hive, sub_key, KeyAccess::Read);
    if (!real && !created_in_plan(hive, sub_key)) {
        return nullptr;
    }
    return std::make_unique<RecordingKey>(*this, hive, std::string(sub_key), std::move(real));
}

bool RecordingMachine::delete_empty_key(Hive hive, std::string_view sub_key) {
    if (!inner_.registry().open_key(hive, sub_key, KeyAccess::Read) && !created_in_plan(hive, sub_key)) {
        record_hidden_already(describe_delete_key(hive, sub_key));
        return false;
    }
    // Whether it will be empty by then depends on the values the plan deletes before it, which
    // the real key still holds: the line says what a run tries.
    record(describe_delete_key(hive, sub_key), PlanMark::Changes);
    return true;
}

PlanMark RecordingMachine::service_mark(std::string_view name, std::uint32_t start_type, bool running) {
    const std::optional<ServiceState> state = inner_.services().query_service(name);
    if (!state) {
        return PlanMark::Unchecked;
    }
    const bool holds = state->start_type == start_type && state->running == running;
    return holds ? PlanMark::Already : PlanMark::Changes;
}

bool RecordingMachine::stop_and_set_start_type(std::string_view name, std::uint32_t start_type) {
    const std::optional<ServiceState> state = inner_.services().query_service(name);
    if (state && !state->exists) {
        // A service that is not there is left alone by a run too.
        record_hidden_already(describe_stop_and_set_start_type(name, start_type));
        return true;
    }
    record(describe_stop_and_set_start_type(name, start_type), service_mark(name, start_type, false));
    return true;
}

bool RecordingMachine::set_automatic_and_start(std::string_view name) {
    const std::optional<ServiceState> state = inner_.services().query_service(name);
    if (state && !state->exists) {
        record_hidden_already(describe_set_automatic_and_start(name));
        return true;
    }
    record(describe_set_automatic_and_start(name), service_mark(name, kServiceAutoStart, true));
    return true;
}

bool RecordingMachine::set_start_type_and_start(std::string_view name, std::uint32_t start_type) {
    record(describe_set_start_type_and_start(name, start_type));
    return true;
}

std::optional<ServiceState> RecordingMachine::query_service(std::string_view name) {
    return inner_.services().query_service(name);
}

CommandOutcome RecordingMachine::run_hidden(std::string_view command, std::uint32_t wait_ms) {
    // Switching to the scheme already active changes nothing and would succeed: the plan says
    // so, and a routine's fall-back for a failed switch is not shown.
    if (const std::optional<std::string> scheme = power_scheme_activated_by(command)) {
        const std::optional<std::string> active = inner_.system_settings().active_power_scheme();
        if (active) {
            const bool holds = *active == *scheme;
            record(describe_run(command, wait_ms), holds ? PlanMark::Already : PlanMark::Changes);
            return {true, holds ? 0u : 1u};
        }
    }
    record(describe_run(command, wait_ms));
    return {true, 1};
}

bool RecordingMachine::system_parameters(std::uint32_t action, std::uint32_t param,
                                         const SpiArgument& argument, std::uint32_t flags) {
    PlanMark mark = PlanMark::Unchecked;
    if (const std::optional<SpiReadBack> read = spi_read_back(action, param, argument)) {
        const std::optional<std::vector<std::uint32_t>> current =
            inner_.system_settings().read_parameters(read->action, read->param, read->buffer);
        if (current) {
            mark = *current == read->expected ? PlanMark::Already : PlanMark::Changes;
        }
    }
    record(describe_spi(action, param, argument, flags), mark);
    return true;
}

std::optional<std::vector<std::uint32_t>>
RecordingMachine::read_parameters(std::uint32_t action, std::uint32_t param,
                                  std::vector<std::uint32_t> buffer) {
    return inner_.system_settings().read_parameters(action, param, std::move(buffer));
}

std::optional<std::string> RecordingMachine::active_power_scheme() {
    return inner_.system_settings().active_power_scheme();
}

bool RecordingMachine::activate_power_scheme(std::string_view guid) {
    const std::optional<std::string> active = inner_.system_settings().active_power_scheme();
    const PlanMark mark = !active           ? PlanMark::Unchecked
                          : *active == guid ? PlanMark::Already
                                            : PlanMark::Changes;
    record(describe_activate_power_scheme(guid), mark);
    return true;
}

std::optional<std::uint32_t> RecordingMachine::read_power_index(const PowerSetting& setting) {
    return inner_.system_settings().read_power_index(setting);
}

bool RecordingMachine::write_power_index(const PowerSetting& setting, std::uint32_t value) {
    const std::optional<std::uint32_t> now = inner_.system_settings().read_power_index(setting);
    const PlanMark mark = !now ? PlanMark::Unchecked : *now == value ? PlanMark::Already : PlanMark::Changes;
    record(describe_power_index(setting, value), mark);
    return true;
}

bool RecordingMachine::enable_debug_privilege() {
    record("PRIVILEGE SeDebugPrivilege enable");
    return inner_.security().is_elevated();
}

bool RecordingMachine::is_elevated() {
    return inner_.security().is_elevated();
}

void* RecordingMachine::resolve_optional(std::string_view module, std::string_view entry) {
    return inner_.security().resolve_optional(module, entry);
}

} // namespace tavrine
