#include "runs/undo_census.h"

#include "engine/history.h"
#include "engine/start_with_windows.h"
#include "platform/forwarding.h"
#include "platform/journal/journaling_machine.h"
#include "platform/recording/recording_machine.h"
#include "process/cull.h"
#include "runs/census_files.h"
#include "runs/deploy.h"
#include "runs/modules.h"
#include "tweaks/frames.h"
#include "tweaks/gpu_vendor.h"
#include "tweaks/latency.h"

namespace tavrine {

namespace {

// The census's history file: in memory only.
class MemoryLog final : public AppendFile {
public:
    explicit MemoryLog(std::string& text) : text_(text) {}
    bool append(std::string_view bytes) override {
        text_ += bytes;
        return true;
    }

private:
    std::string& text_;
};

// Between the census's journal and the recorder: notes every registry and service call a
// routine makes, those that change nothing on this machine included.
class CallSpy final : public Machine, Registry, Services {
public:
    CallSpy(Machine& inner, UndoScope& scope) : inner_(inner), scope_(scope), files_(inner.files()) {}
    Registry& registry() override { return *this; }
    Services& services() override { return *this; }
    Commands& commands() override { return inner_.commands(); }
    SystemSettings& system_settings() override { return inner_.system_settings(); }
    Security& security() override { return inner_.security(); }
    Processes& processes() override { return inner_.processes(); }
    Files& files() override { return files_; }
    SystemState& system_state() override { return inner_.system_state(); }
    Sensors& sensors() override { return inner_.sensors(); }
    Tasks& tasks() override { return inner_.tasks(); }
    void note(std::string_view text) override { inner_.note(text); }

    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override {
        scope_.add_key(hive, sub_key);
        return wrap(inner_.registry().create_key(hive, sub_key));
    }
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override {
        return wrap(inner_.registry().open_key(hive, sub_key, access));
    }
    bool delete_empty_key(Hive hive, std::string_view sub_key) override {
        scope_.add_key(hive, sub_key);
        return inner_.registry().delete_empty_key(hive, sub_key);
    }
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override {
        scope_.add_service(name);
        return inner_.services().stop_and_set_start_type(name, start_type);
    }
    bool set_automatic_and_start(std::string_view name) override {
        scope_.add_service(name);
        return inner_.services().set_automatic_and_start(name);
    }
    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override {
        scope_.add_service(name);
        return inner_.services().set_start_type_and_start(name, start_type);
    }
    std::optional<ServiceState> query_service(std::string_view name) override {
        return inner_.services().query_service(name);
    }

private:
    class Key final : public ForwardingRegistryKey {
    public:
        Key(UndoScope& scope, RegistryKeyPtr inner)
            : ForwardingRegistryKey(std::move(inner)), scope_(scope) {}
        bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                       std::uint32_t size) override {
            scope_.add_value(hive(), sub_key(), name);
            return inner_->set_value(name, type, data, size);
        }
        bool delete_value(std::string_view name) override {
            scope_.add_value(hive(), sub_key(), name);
            return inner_->delete_value(name);
        }

    private:
        UndoScope& scope_;
    };
    RegistryKeyPtr wrap(RegistryKeyPtr inner) {
        return inner ? std::make_unique<Key>(scope_, std::move(inner)) : nullptr;
    }

    Machine& inner_;
    UndoScope& scope_;
    CensusFiles files_; // every folder a routine looks for is there
};

// Routines that leave no setting behind: they hold a state while the program runs, act on
// processes or memory, or delete files (a deletion is never put back).
bool leaves_no_setting(Module module) {
    switch (module) {
    case Module::Timer:
    case Module::PowerLock:
    case Module::Dwm:
    case Module::GameClamp:
    case Module::Standby:
    case Module::WorkingSet:
    case Module::TempFiles:
    case Module::BrowserCache:
        return true;
    default:
        return false;
    }
}

void run_every_routine() {
    restore_sane_defaults();
    for (const ModuleInfo& info : module_table()) {
        if (info.routine != nullptr && !leaves_no_setting(info.module)) {
            info.routine();
        }
    }
    apply_every_title_setting();
    for (const GpuVendor vendor : {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel}) {
        apply_gpu_vendor_profile(vendor);
    }
    apply_hags();
    // The cull's lasting parts; ending processes is never put back.
    stop_cull_services({.services = true, .stop_sysmain = true});
    disable_startup_junk();
    set_start_with_windows(true);
    set_start_with_windows(false);
}

} // namespace

UndoScope census_undo_scope() {
    UndoScope scope;
    std::string text = std::string(format_header({"census", "census", {}, {}})) + "\r\n";
    {
        RecordingMachine recorder(current_machine());
        CallSpy spy(recorder, scope);
        JournalingMachine journal(spy, "census.txt", std::make_unique<MemoryLog>(text));
        {
            const HistoryPaused no_history;
            ScopedThreadMachine on_journal(journal);
            run_every_routine();
        }
        journal.finish();
    }
    // The journal's lines add what the calls above do not show: system parameters, power
    // settings, files, the task and the policy.
    const HistoryParse parsed = parse_history(text);
    if (parsed.file) {
        for (const JournalRecord& record : parsed.file->records) {
            scope.add(record);
        }
    }
    return scope;
}

} // namespace tavrine
