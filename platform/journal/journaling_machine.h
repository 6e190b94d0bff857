#pragma once
// The history backend: decorates the machine a real run changes. Before each change it reads
// what is there and appends the line that would put it back to the run's history file, which
// reaches the disk before the change is made (write-ahead): a run cut short by a crash still
// leaves the history of what it did. Reads pass straight through; only writes are journalled.
// Changes whose previous state cannot be read or put back (commands, ended processes, deleted
// files) are written down as such, never left out.

#include "platform/forwarding.h"
#include "platform/journal/journal_record.h"
#include "platform/machine.h"
#include "platform/processes.h"
#include "platform/tasks.h"

#include <mutex>
#include <string>

namespace tavrine {

class JournalingMachine;

class JournalingProcesses final : public Processes {
public:
    JournalingProcesses(JournalingMachine& journal, Processes& inner) : journal_(journal), inner_(inner) {}
    std::vector<ProcessEntry> list_processes() override { return inner_.list_processes(); }
    std::vector<ThreadEntry> list_threads() override { return inner_.list_threads(); }
    std::optional<std::string> image_path(std::uint32_t pid) override { return inner_.image_path(pid); }
    ProcessHandlePtr open_process(std::uint32_t pid, std::uint32_t access) override;
    ThreadHandlePtr open_thread(std::uint32_t thread_id, std::uint32_t access) override {
        return inner_.open_thread(thread_id, access);
    }
    ProcessHandlePtr current_process() override { return inner_.current_process(); }
    std::uint32_t current_process_id() override { return inner_.current_process_id(); }
    bool is_running(std::uint32_t pid) override { return inner_.is_running(pid); }
    std::vector<std::uint32_t> process_ids() override { return inner_.process_ids(); }
    std::optional<std::string> main_module_name(std::uint32_t pid) override {
        return inner_.main_module_name(pid);
    }
    std::optional<std::uint32_t> session_of(std::uint32_t pid) override { return inner_.session_of(pid); }

private:
    JournalingMachine& journal_;
    Processes& inner_;
};

class JournalingFiles final : public ForwardingFiles {
public:
    JournalingFiles(JournalingMachine& journal, Files& inner) : ForwardingFiles(inner), journal_(journal) {}
    bool delete_file(std::string_view path) override;
    bool write_file_whole(std::string_view path, std::string_view bytes) override;
    bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) override;

private:
    JournalingMachine& journal_;
};

class JournalingMachine final : public Machine, Registry, Services, Commands, SystemSettings, Tasks {
public:
    // `history_path` is the run's history file, its header already written.
    JournalingMachine(Machine& inner, std::string history_path);
    // The lines go to `log` instead (the census of what runs change keeps them in memory);
    // `history_path` still names where the copies of files' previous bytes would go.
    JournalingMachine(Machine& inner, std::string history_path, AppendFilePtr log);

    Registry& registry() override { return *this; }
    Services& services() override { return *this; }
    Commands& commands() override { return *this; }
    SystemSettings& system_settings() override { return *this; }
    Security& security() override { return inner_.security(); }
    Processes& processes() override { return processes_; }
    Files& files() override { return files_; }
    SystemState& system_state() override { return inner_.system_state(); }
    Sensors& sensors() override { return inner_.sensors(); }
    Tasks& tasks() override { return *this; }
    void note(std::string_view text) override { inner_.note(text); }

    // Registry
    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override;
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override;
    bool delete_empty_key(Hive hive, std::string_view sub_key) override;
    // Services
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override;
    bool set_automatic_and_start(std::string_view name) override;
    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override;
    std::optional<ServiceState> query_service(std::string_view name) override {
        return inner_.services().query_service(name);
    }
    // Commands
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override;
    // System settings
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override;
    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override {
        return inner_.system_settings().read_parameters(action, param, std::move(buffer));
    }
    std::optional<std::string> active_power_scheme() override {
        return inner_.system_settings().active_power_scheme();
    }
    bool activate_power_scheme(std::string_view guid) override;
    std::optional<std::uint32_t> read_power_index(const PowerSetting& setting) override {
        return inner_.system_settings().read_power_index(setting);
    }
    bool write_power_index(const PowerSetting& setting, std::uint32_t value) override;
    // Tasks: the program's logon task gets a line that puts it back; any other task is listed
    // as a change that cannot be undone.
    bool register_task_xml(std::string_view name, std::string_view xml) override;
    bool delete_task(std::string_view name) override;
    bool task_exists(std::string_view name) override { return inner_.tasks().task_exists(name); }

    // For the keys and the other concerns of this journal.
    // `reader` reads what the value is now (null when the key cannot be read).
    bool journal_set_value(RegistryKey& key, RegistryKey* reader, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size);
    bool journal_delete_value(RegistryKey& key, RegistryKey* reader, std::string_view name);
    // A key opened to read, beside one a run writes through.
    RegistryKeyPtr open_reader(Hive hive, std::string_view sub_key);
    // Writes a change that cannot be undone ahead of it.
    void record_cannot(std::string text);
    void count_file_deletion();
    // Keeps a file's bytes before the run writes it whole: copies them beside the history, then
    // writes the line; a file whose bytes cannot be kept is written down as one that cannot be
    // put back.
    void journal_file_write(std::string_view path, std::string_view bytes);

    // An undo's word on one record of the run it takes back, written once the record is done.
    void record_outcome(const RecordOutcome& outcome);

    // Closes the history: the deletions still counted, then "END" (or, when a line could not
    // be written, "INCOMPLETE", so the entry is never taken for a whole one).
    // Writes the end line: "END", or "END<TAB>stopped after step N of M" when `stopped` is set.
    void finish(std::string_view stopped = {});
    // False once any line failed to reach the disk.
    bool intact() const;
    int undoable_count() const;
    int cannot_count() const;

private:
    // The lines for a key that is about to be created, and for its parents that are missing too.
    void journal_new_keys(Hive hive, std::string_view sub_key);
    // The line for a command whose effect can be put back; nullopt for any other.
    std::optional<JournalRecord> command_record(std::string_view command);
    // All with journal_mutex_ held.
    void append_locked(const JournalRecord& record);
    void append_registry_locked(const RegistryKey& key, std::string_view name, ValueView put_back,
                                ValueView left);
    void flush_deletions_locked();
    bool write_line_locked(); // writes line_

    Machine& inner_;
    std::string path_;
    AppendFilePtr log_; // the history file, open until finish()
    std::string line_;  // the line being formatted and written, its buffer kept from line to line
    // Every line, in order, and the counts: the worker writes, any thread may ask.
    mutable std::mutex journal_mutex_;
    bool intact_ = true;
    bool finished_ = false;
    int undoable_ = 0;
    int cannot_ = 0;
    std::size_t deleted_files_ = 0;
    int copies_ = 0; // previous bytes kept so far, named 1.bin, 2.bin, ...
    JournalingProcesses processes_;
    JournalingFiles files_;
};

} // namespace tavrine
