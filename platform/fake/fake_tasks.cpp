#include "platform/fake/fake_tasks.h"

#include "platform/change_text.h"
#include "platform/fake/fake_journal.h"

namespace tavrine {

bool FakeTasks::register_task_xml(std::string_view name, std::string_view xml) {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    journal_.add(describe_register_task(name));
    if (refuse_ || name.empty() || xml.empty()) {
        return false;
    }
    table_[std::string(name)] = std::string(xml);
    return true;
}

bool FakeTasks::delete_task(std::string_view name) {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    journal_.add(describe_delete_task(name));
    const auto found = table_.find(name);
    if (found == table_.end()) {
        return false;
    }
    table_.erase(found);
    return true;
}

bool FakeTasks::task_exists(std::string_view name) {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    return table_.find(name) != table_.end();
}

std::optional<std::string> FakeTasks::definition(std::string_view name) const {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    const auto found = table_.find(name);
    return found == table_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void FakeTasks::add(std::string_view name, std::string_view xml) {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    table_[std::string(name)] = std::string(xml);
}

void FakeTasks::refuse_registrations() {
    std::lock_guard<std::recursive_mutex> hold(journal_.lock());
    refuse_ = true;
}

} // namespace tavrine
