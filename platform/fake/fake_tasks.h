#pragma once

#include "platform/ascii.h"
#include "platform/tasks.h"

#include <map>
#include <optional>
#include <string>

namespace tavrine {

class FakeJournal;

// The scheduler's root folder as a table of definitions by name (names compare as Windows
// compares them), with each registration and deletion in the machine's journal.
class FakeTasks final : public Tasks {
public:
    explicit FakeTasks(FakeJournal& journal) : journal_(journal) {}
    bool register_task_xml(std::string_view name, std::string_view xml) override;
    bool delete_task(std::string_view name) override;
    bool task_exists(std::string_view name) override;

    // The definition registered under `name`, as the scheduler was handed it.
    std::optional<std::string> definition(std::string_view name) const;
    void add(std::string_view name, std::string_view xml);
    // Makes every registration fail, as a scheduler that refuses the definition does.
    void refuse_registrations();

private:
    FakeJournal& journal_;
    std::map<std::string, std::string, CaseInsensitiveLess> table_;
    bool refuse_ = false;
};

} // namespace tavrine
