#include "engine/undo_scope.h"

#include "engine/engine_state.h"
#include "platform/ascii.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace tavrine {

namespace {

std::vector<std::string> segments_of(std::string_view sub_key) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = sub_key.find('\\', start);
        segments.push_back(ascii_lowered(sub_key.substr(start, slash - start)));
        if (slash == std::string_view::npos) {
            return segments;
        }
        start = slash + 1;
    }
}

bool is_digits(std::string_view text, std::size_t count) {
    if (text.size() != count) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// The per-machine levels of a key the program writes: a display adapter's number under its
// class key, a network interface's GUID, a PCI device and its instance, a program's
// executable name under the per-executable options.
std::vector<std::string> widened(std::vector<std::string> segments) {
    const auto at = [&](std::size_t i, std::size_t back) {
        return i >= back ? segments[i - back] : std::string();
    };
    for (std::size_t i = segments.size(); i-- > 0;) {
        const bool adapter = is_digits(segments[i], 4) && at(i, 2) == "class";
        const bool interface = at(i, 1) == "interfaces";
        const bool device =
            (at(i, 1) == "pci" && at(i, 2) == "enum") || (at(i, 2) == "pci" && at(i, 3) == "enum");
        const bool executable = at(i, 1) == "image file execution options";
        if (adapter || interface || device || executable) {
            segments[i].assign(1, '*'); // not = "*": GCC 12 warns of an overlap it imagines (-Wrestrict)
        }
    }
    return segments;
}

// Value names that are a program's path or executable (the per-program compatibility and
// graphics preferences) are whatever the machine's games are.
std::string widened_name(std::string_view name) {
    const std::string lowered = ascii_lowered(name);
    const bool executable = lowered.size() > 4 && lowered.compare(lowered.size() - 4, 4, ".exe") == 0;
    return executable || lowered.find('\\') != std::string::npos ? "*" : lowered;
}

bool segments_match(const std::vector<std::string>& pattern, const std::vector<std::string>& path) {
    if (pattern.size() != path.size()) {
        return false;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (pattern[i] != "*" && pattern[i] != path[i]) {
            return false;
        }
    }
    return true;
}

std::pair<std::string, std::string> power_setting_id(const PowerSetting& setting) {
    return {ascii_lowered(setting.sub_group), ascii_lowered(setting.setting)};
}

} // namespace

void UndoScope::add_value(Hive hive, std::string_view sub_key, std::string_view name) {
    values_.emplace(hive, widened(segments_of(sub_key)), widened_name(name));
    add_key(hive, sub_key);
}

void UndoScope::add_key(Hive hive, std::string_view sub_key) {
    // Every level: a run creates the missing parents of a key it writes, and an undo deletes
    // them again while they are empty.
    for (std::vector<std::string> levels = widened(segments_of(sub_key)); !levels.empty();
         levels.pop_back()) {
        keys_.emplace(hive, levels);
    }
}

void UndoScope::add_service(std::string_view name) {
    services_.insert(ascii_lowered(name));
}

void UndoScope::add(const JournalRecord& record) {
    if (const auto* value = std::get_if<RegistryRecord>(&record)) {
        add_value(value->hive, value->sub_key, value->name);
    } else if (const auto* key = std::get_if<KeyRecord>(&record)) {
        add_key(key->hive, key->sub_key);
    } else if (const auto* service = std::get_if<ServiceRecord>(&record)) {
        add_service(service->name);
    } else if (const auto* spi = std::get_if<SpiRecord>(&record)) {
        spi_actions_.insert(spi->action);
    } else if (const auto* index = std::get_if<PowerIndexRecord>(&record)) {
        power_settings_.insert(power_setting_id(index->setting));
    } else if (std::holds_alternative<PowerSchemeRecord>(record)) {
        power_scheme_ = true;
    } else if (std::holds_alternative<QosRecord>(record)) {
        qos_ = true;
    } else if (std::holds_alternative<TaskRecord>(record)) {
        task_ = true;
    } else if (const auto* file = std::get_if<FileRecord>(&record)) {
        files_.insert(ascii_lowered(file->path));
    }
}

bool UndoScope::allows_value(Hive hive, const std::string& sub_key, const std::string& name) const {
    const std::vector<std::string> path = segments_of(sub_key);
    const std::string lowered = ascii_lowered(name);
    for (const auto& [pattern_hive, pattern, pattern_name] : values_) {
        if (pattern_hive == hive && (pattern_name == "*" || pattern_name == lowered) &&
            segments_match(pattern, path)) {
            return true;
        }
    }
    return false;
}

bool UndoScope::allows_key(Hive hive, const std::string& sub_key) const {
    const std::vector<std::string> path = segments_of(sub_key);
    for (const auto& [pattern_hive, pattern] : keys_) {
        if (pattern_hive == hive && segments_match(pattern, path)) {
            return true;
        }
    }
    return false;
}

bool UndoScope::allows(const JournalRecord& record) const {
    if (const auto* value = std::get_if<RegistryRecord>(&record)) {
        return allows_value(value->hive, value->sub_key, value->name);
    }
    if (const auto* key = std::get_if<KeyRecord>(&record)) {
        return allows_key(key->hive, key->sub_key);
    }
    if (const auto* service = std::get_if<ServiceRecord>(&record)) {
        return services_.count(ascii_lowered(service->name)) != 0;
    }
    if (const auto* spi = std::get_if<SpiRecord>(&record)) {
        return spi_actions_.count(spi->action) != 0;
    }
    if (const auto* index = std::get_if<PowerIndexRecord>(&record)) {
        return power_settings_.count(power_setting_id(index->setting)) != 0;
    }
    if (std::holds_alternative<PowerSchemeRecord>(record)) {
        return power_scheme_;
    }
    if (std::holds_alternative<QosRecord>(record)) {
        return qos_;
    }
    if (std::holds_alternative<TaskRecord>(record)) {
        return task_;
    }
    if (const auto* file = std::get_if<FileRecord>(&record)) {
        return files_.count(ascii_lowered(file->path)) != 0;
    }
    return true; // a line that cannot be undone changes nothing
}

bool UndoScope::empty() const {
    return values_.empty() && keys_.empty() && services_.empty() && spi_actions_.empty() &&
           power_settings_.empty() && !power_scheme_ && !qos_ && !task_ && files_.empty();
}

std::vector<std::string> lines_outside(const UndoScope& scope, const std::vector<JournalRecord>& records) {
    std::vector<std::string> refused;
    for (const JournalRecord& record : records) {
        if (!scope.allows(record)) {
            refused.push_back(format_record(record));
        }
    }
    return refused;
}

// [SECTION] Learnt once --------------------------------------------------------------------------

void set_undo_scope_source(UndoScopeSource source) {
    engine_state().undo_scope_source.store(source);
    forget_undo_scope();
}

std::shared_ptr<const UndoScope> undo_scope() {
    EngineState& state = engine_state();
    const std::lock_guard<std::mutex> lock(state.undo_scope_lock);
    if (!state.undo_scope) {
        const UndoScopeSource source = state.undo_scope_source.load();
        state.undo_scope = std::make_shared<const UndoScope>(source ? source() : UndoScope{});
    }
    return state.undo_scope;
}

void forget_undo_scope() {
    EngineState& state = engine_state();
    const std::lock_guard<std::mutex> lock(state.undo_scope_lock);
    state.undo_scope.reset();
}

} // namespace tavrine
