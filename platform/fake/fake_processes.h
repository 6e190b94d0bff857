#pragma once
// The fake process table: processes with their threads, priorities, throttling and exit codes,
// plus how each one behaves when asked to go (refuses to open, survives taskkill, answers a
// polite close by staying open). Every change is journalled in the machine's journal.

#include "platform/processes.h"

#include <functional>
#include <map>
#include <vector>

namespace tavrine {

class FakeJournal;
class Security;

struct FakeThread {
    std::uint32_t thread_id = 0;
    int priority = kThreadPriorityNormal;
    bool boost_disabled = false;
    std::uint32_t denied_access = 0; // OpenThread fails when any of these rights is asked for
};

struct FakeProcess {
    std::uint32_t pid = 0;
    std::uint32_t parent_pid = 0;
    std::string exe_name;
    std::string image_path;          // empty: the process refuses to give its path
    std::uint32_t session_id = 1;    // the user's session, the fake's own process's too
    std::uint64_t creation_time = 0; // 0: given a fresh one when added, so a reused id differs
    std::vector<FakeThread> threads;

    // State the program changes.
    std::uint32_t priority_class = kNormalPriorityClass;
    bool boost_disabled = false;
    std::optional<PowerThrottlingState> throttling;
    std::optional<std::uint32_t> io_priority;
    int working_set_trims = 0;

    // Behaviour.
    std::uint32_t denied_access = 0;  // OpenProcess fails when any of these rights is asked for
    bool terminate_fails = false;     // TerminateProcess returns FALSE
    bool survives_taskkill = false;   // "taskkill /F" cannot end it either
    bool stays_open_on_close = false; // a polite close (taskkill without /F) is answered by staying
};

class FakeProcesses final : public Processes {
public:
    FakeProcesses(FakeJournal& journal, Security& security) : journal_(journal), security_(security) {}

    std::vector<ProcessEntry> list_processes() override;
    std::vector<ThreadEntry> list_threads() override;
    std::optional<std::string> image_path(std::uint32_t pid) override;
    ProcessHandlePtr open_process(std::uint32_t pid, std::uint32_t access) override;
    ThreadHandlePtr open_thread(std::uint32_t thread_id, std::uint32_t access) override;
    ProcessHandlePtr current_process() override;
    std::uint32_t current_process_id() override;
    bool is_running(std::uint32_t pid) override;
    std::vector<std::uint32_t> process_ids() override;
    std::optional<std::string> main_module_name(std::uint32_t pid) override;
    std::optional<std::uint32_t> session_of(std::uint32_t pid) override;

    // Set-up and inspection for tests. Snapshots list processes in the order they were added.
    void add(FakeProcess process);
    void remove(std::uint32_t pid);
    // The own process: its id, and its state when a test has not added it to the table.
    void set_current_process_id(std::uint32_t pid);
    std::optional<FakeProcess> get(std::uint32_t pid) const;
    std::optional<FakeThread> thread(std::uint32_t thread_id) const;
    // Exit code of a process that ended while the fake ran; nullopt while it runs or if unknown.
    std::optional<std::uint32_t> ended_with(std::uint32_t pid) const;
    std::size_t count() const;
    // Makes snapshots fail, as CreateToolhelp32Snapshot does under memory pressure.
    void fail_snapshots(bool fail);
    // Runs `change` once, right after the next snapshot is taken: a process that ends and one
    // that reuses its id before the program acts on what it listed.
    void after_next_snapshot(std::function<void()> change);

    // The fake command runner hands every command here: "taskkill" ends processes as the real
    // one would (/F forced, without /F a polite close, /T the child tree too).
    void on_command(std::string_view command);

    // For the fake handles.
    FakeProcess* find(std::uint32_t pid);
    FakeThread* find_thread(std::uint32_t thread_id, std::uint32_t* owner_pid);
    void end_process(std::uint32_t pid, std::uint32_t exit_code);
    FakeJournal& journal() { return journal_; }
    Security& security() { return security_; }

private:
    void end_tree(std::uint32_t pid, std::uint32_t exit_code, bool forced);

    FakeJournal& journal_; // the machine's lock and journal
    Security& security_;   // which optional entry points this machine has
    std::vector<FakeProcess> table_;
    std::map<std::uint32_t, std::uint32_t> ended_;
    FakeProcess own_{.pid = 1000, .exe_name = "tavrine-optimiser.exe"};
    bool fail_snapshots_ = false;
    std::function<void()> after_next_snapshot_;
    std::uint64_t next_creation_time_ = 1;
};

} // namespace tavrine
