#pragma once
// What an undo may touch: the registry values and keys, services, system parameters, power
// settings, files and tasks that some routine of the program writes. A history line outside
// it is refused, so a history file, whoever wrote it, can only put back what the program
// itself changes. The scope is learnt from the routines themselves (a census run, in
// runs/undo_census.h), never from a second copy of their tables; the parts that differ from
// machine to machine (adapter numbers, interface GUIDs, PCI instances, executables) become
// wildcards.

#include "platform/journal/journal_record.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace tavrine {

class UndoScope {
public:
    // Learns what `record` touches; its per-machine parts widened to patterns.
    void add(const JournalRecord& record);
    // The same for a call seen on its way (a value deleted where there was none writes no
    // history line on the machine the census runs on, but may on another).
    void add_value(Hive hive, std::string_view sub_key, std::string_view name);
    void add_key(Hive hive, std::string_view sub_key);
    void add_service(std::string_view name);
    // True when every target of `record` is inside the scope. Lines that put nothing back
    // (those that cannot be undone) are always allowed.
    bool allows(const JournalRecord& record) const;
    bool empty() const;

private:
    bool allows_value(Hive hive, const std::string& sub_key, const std::string& name) const;
    bool allows_key(Hive hive, const std::string& sub_key) const;

    // Registry paths as lower-case segments, "*" standing for one segment of any text.
    std::set<std::tuple<Hive, std::vector<std::string>, std::string>> values_;
    std::set<std::pair<Hive, std::vector<std::string>>> keys_; // every level of a written key
    std::set<std::string> services_;                           // lower case
    std::set<std::uint32_t> spi_actions_;
    std::set<std::pair<std::string, std::string>> power_settings_; // sub group, setting
    bool power_scheme_ = false;
    bool qos_ = false;
    bool task_ = false;
    std::set<std::string> files_; // lower case
};

// The lines of `records` that `scope` refuses, each as the history writes it.
std::vector<std::string> lines_outside(const UndoScope& scope, const std::vector<JournalRecord>& records);

// The program installs the census at start-up; until then (and in a build without it) the
// scope is empty and every line that would change something is refused.
using UndoScopeSource = UndoScope (*)();
void set_undo_scope_source(UndoScopeSource source);
// Learnt once per process, on first use; `forget_undo_scope` makes the next use learn again
// (the tests' machines differ from one test to the next).
std::shared_ptr<const UndoScope> undo_scope();
void forget_undo_scope();

} // namespace tavrine
