#include "platform/recording_machine.h"

#include "platform/ascii.h"
#include "platform/change_text.h"

namespace tavrine {

namespace {

std::string created_key_id(Hive hive, std::string_view sub_key) {
    return std::to_string(static_cast<int>(hive)) + "|" + ascii_lowered(sub_key);
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
        plan_.record(describe_set_value(hive_, sub_key_, name, type, data, size));
        return true;
    }
    std::optional<RegistryValue> query_value(std::string_view name) override {
        return real_ ? real_->query_value(name) : std::nullopt;
    }
    bool delete_value(std::string_view name) override {
        // Deleting a value that is not there changes nothing, so the plan leaves it out.
        if (!query_value(name)) {
            return false;
        }
        plan_.record(describe_delete_value(hive_, sub_key_, name));
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

RecordingMachine::RecordingMachine(Machine& reads_from)
    : inner_(reads_from), processes_(*this, reads_from.processes()), files_(*this, reads_from.files()),
      system_state_(*this, reads_from) {}

void RecordingMachine::record(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.flush_into(lines_);
    lines_.push_back(std::move(line));
}

void RecordingMachine::record_file_deletion(std::string_view path, std::uint64_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.add_deletion(path, size);
}

void RecordingMachine::record_read_only_cleared() {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.add_read_only_cleared();
}

void RecordingMachine::note(std::string_view text) {
    record("NOTE " + std::string(text));
}

std::vector<std::string> RecordingMachine::lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    deletions_.flush_into(lines_);
    return lines_;
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

bool RecordingMachine::stop_and_set_start_type(std::string_view name, std::uint32_t start_type) {
    record(describe_stop_and_set_start_type(name, start_type));
    return true;
}

bool RecordingMachine::set_automatic_and_start(std::string_view name) {
    record(describe_set_automatic_and_start(name));
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
    record(describe_run(command, wait_ms));
    return {true, 1};
}

bool RecordingMachine::system_parameters(std::uint32_t action, std::uint32_t param,
                                         const SpiArgument& argument, std::uint32_t flags) {
    record(describe_spi(action, param, argument, flags));
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
