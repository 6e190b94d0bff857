#include "platform/fake/fake_machine.h"

#include "platform/change_text.h"
#include "platform/command_line.h"
#include "platform/read_back.h"
#include "platform/registry_path.h"

#include <cstring>

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

std::vector<std::string_view> split_key_path(std::string_view sub_key) {
    std::vector<std::string_view> parts;
    while (!sub_key.empty()) {
        const std::size_t slash = sub_key.find('\\');
        const std::string_view part = sub_key.substr(0, slash);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        sub_key.remove_prefix(slash + 1);
    }
    return parts;
}

ParsedRegistryPath parse_or_hklm(std::string_view path, std::string& storage) {
    storage.assign(path);
    ParsedRegistryPath parsed;
    parse_registry_path(storage.c_str(), parsed);
    return parsed;
}

std::size_t hive_index(Hive hive) {
    return static_cast<std::size_t>(hive);
}

} // namespace

// [SECTION] Registry keys ----------------------------------------------------------------------

class FakeRegistryKey final : public RegistryKey {
public:
    // `place` is the key's node, found by whoever opened it (with the lock held).
    FakeRegistryKey(FakeRegistry& registry, Hive hive, std::string sub_key, KeyAccess access,
                    FakeRegistry::Node* place)
        : registry_(registry), hive_(hive), sub_key_(std::move(sub_key)), access_(access), node_(place),
          erasures_(registry.erasures_) {}

    Hive hive() const override { return hive_; }
    const std::string& sub_key() const override { return sub_key_; }

    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        if (access_ == KeyAccess::Read) {
            return false;
        }
        Lock lock(registry_.journal_.lock());
        FakeRegistry::Node* node = place();
        if (node == nullptr) {
            return false;
        }
        RegistryValue value{type, std::vector<std::uint8_t>(data, data + size)};
        if (RegistryValue* existing = FakeRegistry::find_value(*node, name)) {
            *existing = std::move(value);
        } else {
            node->values.emplace_back(std::string(name), std::move(value));
        }
        registry_.journal_.add(describe_set_value(hive_, sub_key_, name, type, data, size));
        return true;
    }

    std::optional<RegistryValue> query_value(std::string_view name) override {
        Lock lock(registry_.journal_.lock());
        FakeRegistry::Node* node = place();
        RegistryValue* value = node != nullptr ? FakeRegistry::find_value(*node, name) : nullptr;
        return value != nullptr ? std::optional<RegistryValue>(*value) : std::nullopt;
    }

    bool delete_value(std::string_view name) override {
        if (access_ == KeyAccess::Read) {
            return false;
        }
        Lock lock(registry_.journal_.lock());
        FakeRegistry::Node* node = place();
        if (node == nullptr) {
            return false;
        }
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (iequals(it->first, name)) {
                node->values.erase(it);
                registry_.journal_.add(describe_delete_value(hive_, sub_key_, name));
                return true;
            }
        }
        return false;
    }

    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        Lock lock(registry_.journal_.lock());
        const FakeRegistry::Node* node = place();
        if (node == nullptr || index >= node->children.size()) {
            return std::nullopt;
        }
        auto it = node->children.begin();
        std::advance(it, index);
        return it->second.name;
    }

    std::optional<std::string> value_name(std::uint32_t index) override {
        Lock lock(registry_.journal_.lock());
        const FakeRegistry::Node* node = place();
        if (node == nullptr || index >= node->values.size()) {
            return std::nullopt;
        }
        return node->values[index].first;
    }

private:
    // The key's place in the tree, as a handle holds it: looked up again only after a key was
    // deleted (a place that is gone reads as no key). Callers hold the lock.
    FakeRegistry::Node* place() {
        if (node_ == nullptr || erasures_ != registry_.erasures_) {
            node_ = registry_.find(hive_, sub_key_);
            erasures_ = registry_.erasures_;
        }
        return node_;
    }

    FakeRegistry& registry_;
    Hive hive_;
    std::string sub_key_;
    KeyAccess access_;
    FakeRegistry::Node* node_ = nullptr;
    std::uint64_t erasures_ = 0;
};

// [SECTION] Registry ---------------------------------------------------------------------------

FakeRegistry::Node* FakeRegistry::find(Hive hive, std::string_view sub_key) {
    Node* node = &roots_[hive_index(hive)];
    for (std::string_view part : split_key_path(sub_key)) {
        auto it = node->children.find(part);
        if (it == node->children.end()) {
            return nullptr;
        }
        node = &it->second;
    }
    return node;
}

const FakeRegistry::Node* FakeRegistry::find(Hive hive, std::string_view sub_key) const {
    return const_cast<FakeRegistry*>(this)->find(hive, sub_key);
}

FakeRegistry::Node& FakeRegistry::make(Hive hive, std::string_view sub_key) {
    Node* node = &roots_[hive_index(hive)];
    for (std::string_view part : split_key_path(sub_key)) {
        auto it = node->children.find(part);
        if (it == node->children.end()) {
            it = node->children.emplace(std::string(part), Node{}).first;
            it->second.name = std::string(part);
        }
        node = &it->second;
    }
    return *node;
}

RegistryValue* FakeRegistry::find_value(Node& node, std::string_view name) {
    for (auto& [value_name, value] : node.values) {
        if (iequals(value_name, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::size_t FakeRegistry::count(const Node& node) {
    std::size_t total = node.children.size();
    for (const auto& child : node.children) {
        total += count(child.second);
    }
    return total;
}

RegistryKeyPtr FakeRegistry::create_key(Hive hive, std::string_view sub_key) {
    Lock lock(journal_.lock());
    // A denied key on the way refuses the create, as RegCreateKeyExA does without access.
    Node* node = &roots_[hive_index(hive)];
    for (std::string_view part : split_key_path(sub_key)) {
        auto it = node->children.find(part);
        if (it == node->children.end()) {
            break;
        }
        node = &it->second;
        if (node->denied) {
            return nullptr;
        }
    }
    Node& created = make(hive, sub_key);
    return std::make_unique<FakeRegistryKey>(*this, hive, std::string(sub_key), KeyAccess::SetValue,
                                             &created);
}

RegistryKeyPtr FakeRegistry::open_key(Hive hive, std::string_view sub_key, KeyAccess access) {
    Lock lock(journal_.lock());
    Node* node = find(hive, sub_key);
    if (node == nullptr || node->denied) {
        return nullptr;
    }
    return std::make_unique<FakeRegistryKey>(*this, hive, std::string(sub_key), access, node);
}

bool FakeRegistry::delete_empty_key(Hive hive, std::string_view sub_key) {
    Lock lock(journal_.lock());
    const std::vector<std::string_view> parts = split_key_path(sub_key);
    Node* parent = &roots_[hive_index(hive)];
    for (std::size_t i = 0; parent != nullptr && i + 1 < parts.size(); ++i) {
        auto it = parent->children.find(parts[i]);
        parent = it != parent->children.end() ? &it->second : nullptr;
    }
    if (parent == nullptr || parts.empty()) {
        return false; // a hive's root is never deleted
    }
    const auto child = parent->children.find(parts.back());
    if (child == parent->children.end() || child->second.denied || !child->second.values.empty() ||
        !child->second.children.empty()) {
        return false;
    }
    parent->children.erase(child);
    ++erasures_;
    journal_.add(describe_delete_key(hive, sub_key));
    return true;
}

void FakeRegistry::add_key(std::string_view path) {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    make(parsed.hive, parsed.sub_key);
}

void FakeRegistry::put_dword(std::string_view path, std::string_view name, std::uint32_t value) {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    Node& node = make(parsed.hive, parsed.sub_key);
    std::vector<std::uint8_t> data(4);
    std::memcpy(data.data(), &value, 4);
    if (RegistryValue* existing = find_value(node, name)) {
        *existing = {kRegDword, data};
    } else {
        node.values.emplace_back(std::string(name), RegistryValue{kRegDword, data});
    }
}

void FakeRegistry::put_string(std::string_view path, std::string_view name, std::string_view text) {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    Node& node = make(parsed.hive, parsed.sub_key);
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    if (RegistryValue* existing = find_value(node, name)) {
        *existing = {kRegSz, data};
    } else {
        node.values.emplace_back(std::string(name), RegistryValue{kRegSz, data});
    }
}

void FakeRegistry::put_value(std::string_view path, std::string_view name, RegistryValue value) {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    Node& node = make(parsed.hive, parsed.sub_key);
    if (RegistryValue* existing = find_value(node, name)) {
        *existing = std::move(value);
    } else {
        node.values.emplace_back(std::string(name), std::move(value));
    }
}

void FakeRegistry::deny(std::string_view path) {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    make(parsed.hive, parsed.sub_key).denied = true;
}

bool FakeRegistry::has_key(std::string_view path) const {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    return find(parsed.hive, parsed.sub_key) != nullptr;
}

bool FakeRegistry::has_value(std::string_view path, std::string_view name) const {
    return value(path, name).has_value();
}

std::optional<RegistryValue> FakeRegistry::value(std::string_view path, std::string_view name) const {
    Lock lock(journal_.lock());
    std::string storage;
    const ParsedRegistryPath parsed = parse_or_hklm(path, storage);
    Node* node = const_cast<FakeRegistry*>(this)->find(parsed.hive, parsed.sub_key);
    RegistryValue* found = node != nullptr ? find_value(*node, name) : nullptr;
    return found != nullptr ? std::optional<RegistryValue>(*found) : std::nullopt;
}

std::optional<std::uint32_t> FakeRegistry::dword(std::string_view path, std::string_view name) const {
    const auto found = value(path, name);
    if (!found || found->type != kRegDword || found->data.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t result = 0;
    std::memcpy(&result, found->data.data(), 4);
    return result;
}

std::optional<std::string> FakeRegistry::text(std::string_view path, std::string_view name) const {
    const auto found = value(path, name);
    if (!found || found->type != kRegSz) {
        return std::nullopt;
    }
    std::string result(found->data.begin(), found->data.end());
    if (!result.empty() && result.back() == '\0') {
        result.pop_back();
    }
    return result;
}

std::size_t FakeRegistry::key_count() const {
    Lock lock(journal_.lock());
    std::size_t total = 0;
    for (const Node& root : roots_) {
        total += count(root);
    }
    return total;
}

// [SECTION] Services ---------------------------------------------------------------------------

bool FakeServices::stop_and_set_start_type(std::string_view name, std::uint32_t start_type) {
    Lock lock(journal_.lock());
    auto it = table_.find(name);
    if (it == table_.end()) {
        return false;
    }
    it->second.running = false;
    it->second.start_type = start_type;
    journal_.add(describe_stop_and_set_start_type(name, start_type));
    return true;
}

bool FakeServices::set_automatic_and_start(std::string_view name) {
    Lock lock(journal_.lock());
    auto it = table_.find(name);
    if (it == table_.end()) {
        return false;
    }
    it->second.start_type = 2;
    it->second.running = true;
    journal_.add(describe_set_automatic_and_start(name));
    return true;
}

bool FakeServices::set_start_type_and_start(std::string_view name, std::uint32_t start_type) {
    Lock lock(journal_.lock());
    auto it = table_.find(name);
    if (it == table_.end()) {
        return false;
    }
    it->second.start_type = start_type;
    it->second.running = start_type != 4; // a disabled service refuses to start
    journal_.add(describe_set_start_type_and_start(name, start_type));
    return true;
}

std::optional<ServiceState> FakeServices::query_service(std::string_view name) {
    Lock lock(journal_.lock());
    auto it = table_.find(name);
    if (it == table_.end()) {
        return ServiceState{.exists = false};
    }
    return ServiceState{.exists = true, .start_type = it->second.start_type, .running = it->second.running};
}

void FakeServices::add(std::string_view name, FakeService service) {
    Lock lock(journal_.lock());
    table_[std::string(name)] = service;
}

std::optional<FakeService> FakeServices::get(std::string_view name) const {
    Lock lock(journal_.lock());
    auto it = table_.find(name);
    return it != table_.end() ? std::optional<FakeService>(it->second) : std::nullopt;
}

// [SECTION] Commands ---------------------------------------------------------------------------

CommandOutcome FakeCommands::run_hidden(std::string_view command, std::uint32_t wait_ms) {
    Lock lock(journal_.lock());
    const std::optional<std::string> system = files_.known_folder(KnownFolder::System);
    const auto line = build_command_line(system.value_or(""), command);
    if (!line) {
        return {};
    }
    CommandScript script;
    if (auto it = scripts_.find(command); it != scripts_.end()) {
        script = it->second;
    }
    if (!script.startable) {
        return {};
    }
    log_.push_back({std::string(command), *line, wait_ms});
    journal_.add(describe_run(command, wait_ms));
    processes_.on_command(command);
    if (script.duration_ms > wait_ms) {
        return {true, kStillActive};
    }
    if (const auto scheme = power_scheme_activated_by(command); scheme && script.exit_code == 0) {
        settings_.set_active_power_scheme(*scheme);
    }
    if (auto index = power_index_set_by(command); index && script.exit_code == 0) {
        if (index->setting.scheme.empty()) {
            index->setting.scheme = settings_.active_power_scheme().value_or("");
        }
        if (!index->setting.scheme.empty()) {
            settings_.put_power_index(index->setting, index->value);
        }
    }
    return {true, script.exit_code};
}

void FakeCommands::script(std::string_view command, CommandScript script) {
    Lock lock(journal_.lock());
    scripts_[std::string(command)] = script;
}

std::vector<RecordedCommand> FakeCommands::log() const {
    Lock lock(journal_.lock());
    return log_;
}

std::vector<std::string> FakeCommands::texts() const {
    Lock lock(journal_.lock());
    std::vector<std::string> out;
    out.reserve(log_.size());
    for (const RecordedCommand& entry : log_) {
        out.push_back(entry.command);
    }
    return out;
}

// [SECTION] System settings ------------------------------------------------------------------

bool FakeSystemSettings::system_parameters(std::uint32_t action, std::uint32_t param,
                                           const SpiArgument& argument, std::uint32_t flags) {
    if (argument.kind == SpiArgument::Kind::Words && spi_buffer_words(action) != argument.words.size()) {
        return false; // the Win32 backend refuses a record that does not fit its action
    }
    Lock lock(journal_.lock());
    log_.push_back({action, param, argument, flags});
    journal_.add(describe_spi(action, param, argument, flags));
    if (const std::optional<SpiReadBack> read = spi_read_back(action, param, argument)) {
        stored_[read->action] = read->expected;
    }
    return true;
}

std::optional<std::vector<std::uint32_t>>
FakeSystemSettings::read_parameters(std::uint32_t action, std::uint32_t /*param*/,
                                    std::vector<std::uint32_t> buffer) {
    Lock lock(journal_.lock());
    // As Windows would: a buffer that does not fit the action gets no answer (there it overruns).
    auto it = stored_.find(action);
    if (it == stored_.end() || spi_buffer_words(action) != buffer.size() ||
        it->second.size() != buffer.size()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> FakeSystemSettings::active_power_scheme() {
    Lock lock(journal_.lock());
    return active_scheme_;
}

void FakeSystemSettings::set_active_power_scheme(std::string_view guid) {
    Lock lock(journal_.lock());
    active_scheme_ = ascii_lowered(guid);
}

bool FakeSystemSettings::activate_power_scheme(std::string_view guid) {
    Lock lock(journal_.lock());
    journal_.add(describe_activate_power_scheme(guid));
    active_scheme_ = ascii_lowered(guid);
    return true;
}

namespace {

std::string power_key(const PowerSetting& setting) {
    const std::string line = describe_power_index(setting, 0);
    return line.substr(0, line.rfind(" = "));
}

} // namespace

std::optional<std::uint32_t> FakeSystemSettings::read_power_index(const PowerSetting& setting) {
    Lock lock(journal_.lock());
    const auto it = power_indices_.find(power_key(setting));
    return it != power_indices_.end() ? std::optional<std::uint32_t>(it->second) : std::nullopt;
}

bool FakeSystemSettings::write_power_index(const PowerSetting& setting, std::uint32_t value) {
    Lock lock(journal_.lock());
    journal_.add(describe_power_index(setting, value));
    power_indices_[power_key(setting)] = value;
    return true;
}

void FakeSystemSettings::put_power_index(const PowerSetting& setting, std::uint32_t value) {
    Lock lock(journal_.lock());
    power_indices_[power_key(setting)] = value;
}

std::map<std::string, std::uint32_t> FakeSystemSettings::power_indices() const {
    Lock lock(journal_.lock());
    return power_indices_;
}

void FakeSystemSettings::put_parameters(std::uint32_t get_action, std::vector<std::uint32_t> words) {
    Lock lock(journal_.lock());
    stored_[get_action] = std::move(words);
}

std::vector<SpiCall> FakeSystemSettings::log() const {
    Lock lock(journal_.lock());
    return log_;
}

// [SECTION] Security -------------------------------------------------------------------------

bool FakeSecurity::enable_debug_privilege() {
    Lock lock(journal_.lock());
    if (elevated_) {
        debug_privilege_ = true;
    }
    return elevated_;
}

bool FakeSecurity::is_elevated() {
    Lock lock(journal_.lock());
    return elevated_;
}

void* FakeSecurity::resolve_optional(std::string_view module, std::string_view entry) {
    Lock lock(journal_.lock());
    // A stable non-null address stands for a present entry; the fake never calls it.
    static char present;
    return entries_.count(ascii_lowered(module) + "!" + ascii_lowered(entry)) != 0 ? &present : nullptr;
}

void FakeSecurity::set_elevated(bool elevated) {
    Lock lock(journal_.lock());
    elevated_ = elevated;
}

void FakeSecurity::provide_entry(std::string_view module, std::string_view entry) {
    Lock lock(journal_.lock());
    entries_.insert(ascii_lowered(module) + "!" + ascii_lowered(entry));
}

bool FakeSecurity::debug_privilege_enabled() const {
    Lock lock(journal_.lock());
    return debug_privilege_;
}

} // namespace tavrine
