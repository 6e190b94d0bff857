// Run history and undo on the fake machine: a run writes each change's previous state ahead
// of the change, and an undo puts exactly the user's own state back.

#include "cli/cli.h"
#include "cli/cli_exit_codes.h"
#include "engine/history.h"
#include "engine/history_board.h"
#include "engine/history_undo.h"
#include "engine/path_table.h"
#include "engine/start_with_windows.h"
#include "engine/worker_gate.h"
#include "platform/change_text.h"
#include "platform/forwarding.h"
#include "platform/journal/journal_record.h"
#include "platform/read_back.h"
#include "platform/run_keys.h"
#include "runs/deploy.h"
#include "runs/gpu_setup.h"
#include "runs/pipeline.h"
#include "runs/undo_census.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <tuple>

namespace tavrine {
namespace {

constexpr std::string_view kHistoryFolder = "C:\\ProgramData\\Tavrine\\history";
constexpr const char* kLocalAppData = "C:\\Users\\Player\\AppData\\Local";
constexpr const char* kEngineIni =
    "C:\\Users\\Player\\AppData\\Local\\FortniteGame\\Saved\\Config\\WindowsClient\\Engine.ini";
constexpr std::int32_t kFortniteTitle = 2;
constexpr const char* kBalancedScheme = "381b4222-f694-41f0-9685-ff5bb260df2e";

// [SECTION] Seeing what a run touches -----------------------------------------------------------

using ValueId = std::tuple<Hive, std::string, std::string>;

// Forwards to the fake and notes every registry value and service a run writes, deletes
// included, so the property test seeds exactly those without copying the change tables.
class TouchSpy final : public Machine, Registry, Services {
public:
    explicit TouchSpy(FakeMachine& fake) : fake_(fake) {}
    Registry& registry() override { return *this; }
    Services& services() override { return *this; }
    Commands& commands() override { return fake_.commands(); }
    SystemSettings& system_settings() override { return fake_.system_settings(); }
    Security& security() override { return fake_.security(); }
    Processes& processes() override { return fake_.processes(); }
    Files& files() override { return fake_.files(); }
    SystemState& system_state() override { return fake_.system_state(); }
    Sensors& sensors() override { return fake_.sensors(); }
    Tasks& tasks() override { return fake_.tasks(); }

    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override {
        return wrap(fake_.registry().create_key(hive, sub_key));
    }
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override {
        return wrap(fake_.registry().open_key(hive, sub_key, access));
    }
    bool delete_empty_key(Hive hive, std::string_view sub_key) override {
        return fake_.registry().delete_empty_key(hive, sub_key);
    }
    bool stop_and_set_start_type(std::string_view name, std::uint32_t) override { return note_service(name); }
    bool set_automatic_and_start(std::string_view name) override { return note_service(name); }

    std::set<ValueId> values;
    std::set<std::string> service_names;

private:
    class Key final : public ForwardingRegistryKey {
    public:
        Key(TouchSpy& spy, RegistryKeyPtr inner) : ForwardingRegistryKey(std::move(inner)), spy_(spy) {}
        bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                       std::uint32_t size) override {
            spy_.values.emplace(hive(), sub_key(), std::string(name));
            return inner_->set_value(name, type, data, size);
        }
        bool delete_value(std::string_view name) override {
            spy_.values.emplace(hive(), sub_key(), std::string(name));
            return inner_->delete_value(name);
        }

    private:
        TouchSpy& spy_;
    };
    RegistryKeyPtr wrap(RegistryKeyPtr inner) {
        return inner ? std::make_unique<Key>(*this, std::move(inner)) : nullptr;
    }
    bool note_service(std::string_view name) {
        service_names.emplace(name);
        return false;
    }
    FakeMachine& fake_;
};

// [SECTION] The machine's state, whole ---------------------------------------------------------

// The SPI_GET reads a run's system parameter calls can be checked with.
std::map<std::uint32_t, SpiReadBack> spi_reads(const std::vector<SpiCall>& calls) {
    std::map<std::uint32_t, SpiReadBack> reads;
    for (const SpiCall& call : calls) {
        if (auto read = spi_read_back(call.action, call.param, call.argument)) {
            reads.emplace(read->action, *read);
        }
    }
    return reads;
}

struct MachineState {
    std::map<std::string, RegistryValue> values; // "HIVE\key|name", every value of every key
    std::set<std::string> keys;                  // "HIVE\key", every key
    std::map<std::string, std::pair<std::uint32_t, bool>> services;
    std::map<std::uint32_t, std::optional<std::vector<std::uint32_t>>> parameters;
    std::optional<std::string> power_scheme;
    std::map<std::string, std::uint32_t> power_indices;
    std::optional<std::string> config_file;
    bool operator==(const MachineState& other) const {
        if (power_scheme != other.power_scheme || power_indices != other.power_indices ||
            config_file != other.config_file) {
            return false;
        }
        return keys == other.keys && values.size() == other.values.size() &&
               std::equal(values.begin(), values.end(), other.values.begin(),
                          [](const auto& a, const auto& b) {
                              return a.first == b.first && a.second.type == b.second.type &&
                                     a.second.data == b.second.data;
                          }) &&
               services == other.services && parameters == other.parameters;
    }
};

void collect_values(RegistryKey& key, const std::string& path, FakeRegistry& registry, MachineState& state) {
    state.keys.insert(path);
    for (std::uint32_t i = 0;; ++i) {
        const auto name = key.value_name(i);
        if (!name) {
            break;
        }
        state.values[path + "|" + *name] = *key.query_value(*name);
    }
    for (std::uint32_t i = 0;; ++i) {
        const auto child = key.sub_key_name(i);
        if (!child) {
            break;
        }
        const std::string sub = key.sub_key().empty() ? *child : key.sub_key() + "\\" + *child;
        if (auto opened = registry.open_key(key.hive(), sub, KeyAccess::Read)) {
            collect_values(*opened, path + "\\" + *child, registry, state);
        }
    }
}

MachineState snapshot(FakeMachine& fake, const std::set<std::string>& services,
                      const std::map<std::uint32_t, SpiReadBack>& reads) {
    MachineState state;
    for (const Hive hive : {Hive::LocalMachine, Hive::CurrentUser, Hive::Users}) {
        if (auto root = fake.registry().open_key(hive, "", KeyAccess::Read)) {
            collect_values(*root, hive_prefix(hive), fake.registry(), state);
        }
    }
    for (const std::string& name : services) {
        if (const auto service = fake.services().get(name)) {
            state.services[name] = {service->start_type, service->running};
        }
    }
    for (const auto& [action, read] : reads) {
        state.parameters[action] = fake.system_settings().read_parameters(action, read.param, read.buffer);
    }
    state.power_scheme = fake.system_settings().active_power_scheme();
    state.power_indices = fake.system_settings().power_indices();
    if (const auto file = fake.files().entry(kEngineIni)) {
        state.config_file = file->content;
    }
    return state;
}

// The settings behind the fake's "POWER INDEX scheme group setting AC" keys.
std::vector<PowerSetting> power_settings_of(const std::map<std::string, std::uint32_t>& indices) {
    std::vector<PowerSetting> settings;
    for (const auto& [key, value] : indices) {
        std::istringstream words(key);
        std::string power, index, side;
        PowerSetting setting;
        words >> power >> index >> setting.scheme >> setting.sub_group >> setting.setting >> side;
        setting.ac = side == "AC";
        settings.push_back(setting);
    }
    return settings;
}

// [SECTION] Fixture ----------------------------------------------------------------------------

class History : public test::EngineTest {
protected:
    History() {
        set_history_enabled(true);
        for (const ModuleInfo& info : module_table()) {
            module_arms().set(info.module, true);
        }
    }
    ~History() override { set_history_enabled(false); }

    void run_path(PathKind path) {
        build_and_start_run(path);
        ASSERT_TRUE(test::wait_for_worker());
    }

    std::vector<std::string> history_files() {
        std::vector<std::string> names;
        for (const FolderEntry& entry :
             fake.files().list_folder(kHistoryFolder).value_or(std::vector<FolderEntry>{})) {
            if ((entry.attributes & kFileAttributeDirectory) == 0) {
                names.push_back(std::string(kHistoryFolder) + "\\" + entry.name);
            }
        }
        return names;
    }
};

// Random user settings for everything a path touches: values of several types or none,
// services in any consistent state, and the system parameters' records.
void seed_randomly(FakeMachine& fake, std::mt19937& random, const std::set<ValueId>& values,
                   const std::set<std::string>& services, const std::map<std::uint32_t, SpiReadBack>& reads,
                   const std::vector<PowerSetting>& power) {
    for (const auto& [hive, sub_key, name] : values) {
        const std::string path = key_display_path(hive, sub_key);
        switch (random() % 4) {
        case 0:
            break; // absent
        case 1:
            fake.registry().put_dword(path, name, random());
            break;
        case 2:
            fake.registry().put_string(path, name, std::to_string(random() % 1000));
            break;
        default: {
            auto key = fake.registry().create_key(hive, sub_key);
            const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(random()), 0, 7};
            key->set_value(name, 3, bytes, 3);
        }
        }
    }
    for (const std::string& name : services) {
        const std::uint32_t start_type = 2 + random() % 3;
        fake.services().add(name, {start_type, start_type != 4 && random() % 2 == 0});
    }
    for (const auto& [action, read] : reads) {
        std::vector<std::uint32_t> words = read.buffer;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (!(i == 0 && read.buffer[0] != 0)) { // a record's size stays its size
                words[i] = random() % 50;
            }
        }
        fake.system_settings().put_parameters(action, words);
    }
    // Any scheme a run writes to may be the user's active one, each with its own values.
    std::set<std::string> schemes{kBalancedScheme};
    for (const PowerSetting& setting : power) {
        schemes.insert(setting.scheme);
    }
    fake.system_settings().set_active_power_scheme(random() % 2 == 0 ? kBalancedScheme : *schemes.rbegin());
    for (PowerSetting setting : power) {
        for (const std::string& scheme : schemes) {
            setting.scheme = scheme;
            fake.system_settings().put_power_index(setting, random() % 101);
        }
    }
    fake.files().set_known_folder(KnownFolder::LocalAppData, kLocalAppData);
    fake.files().add_text_file(kEngineIni, "[Core.System]\r\nPaths=" + std::to_string(random()) + "\r\n");
}

// [SECTION] Undo puts the starting state back ------------------------------------------------

TEST_F(History, undo_after_any_run_puts_the_users_own_state_back_and_keeps_later_changes) {
    std::mt19937 random(20261208);
    // Every path with every module armed, then a deploy and a GPU tune: each as the program
    // starts it, and as a plain call on a scratch machine to see what it touches.
    struct Trial {
        std::string name;
        std::function<void()> plain;
        std::function<void()> recorded;
    };
    std::vector<Trial> trials;
    for (int path = 0; path <= 5; ++path) {
        const auto kind = static_cast<PathKind>(path);
        trials.push_back({path_name(kind),
                          [kind] {
                              for (const ModuleStep& step : build_step_list(kind)) {
                                  step.job();
                              }
                          },
                          [this, kind] {
                              run_path(kind);
                          }});
    }
    trials.push_back({"deploy", [] { run_deploy(kFortniteTitle); },
                      [] {
                          ASSERT_TRUE(start_deploy(kFortniteTitle));
                          ASSERT_TRUE(test::wait_for_worker());
                      }});
    trials.push_back({"gpu", [] { apply_gpu_tune(GpuVendor::Nvidia); },
                      [] {
                          apply_gpu_tune(GpuVendor::Nvidia);
                      }});
    for (const Trial& trial : trials) {
        FakeMachine scratch;
        TouchSpy spy(scratch);
        {
            ScopedMachine on_scratch(spy);
            scratch.system_settings().set_active_power_scheme(kBalancedScheme);
            scratch.files().set_known_folder(KnownFolder::LocalAppData, kLocalAppData);
            scratch.files().add_text_file(kEngineIni, "[Core.System]\r\n");
            set_history_enabled(false);
            trial.plain();
            set_history_enabled(true);
        }
        const auto reads = spi_reads(scratch.system_settings().log());
        const auto power = power_settings_of(scratch.system_settings().power_indices());
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(trial.name + " round " + std::to_string(round));
            FakeMachine machine;
            ScopedMachine on_machine(machine);
            seed_randomly(machine, random, spy.values, spy.service_names, reads, power);
            const MachineState before = snapshot(machine, spy.service_names, reads);

            trial.recorded();
            ASSERT_FALSE(snapshot(machine, spy.service_names, reads) == before);
            // The user changes one value the run wrote; the undo must leave it as they set it.
            const auto written = std::find_if(spy.values.begin(), spy.values.end(), [&](const ValueId& id) {
                const std::string key = key_display_path(std::get<0>(id), std::get<1>(id));
                return machine.registry().has_value(key, std::get<2>(id));
            });
            ASSERT_NE(written, spy.values.end());
            const auto& [hive, sub_key, name] = *written;
            const std::string user_key = key_display_path(hive, sub_key);
            machine.registry().put_string(user_key, name, "set by the user");

            const UndoRun undo = apply_undo(std::nullopt);
            ASSERT_TRUE(undo.error.empty()) << undo.error;
            EXPECT_GE(undo.outcome.changed_since, 1);
            EXPECT_EQ(undo.outcome.failed, 0);
            EXPECT_EQ(machine.registry().text(user_key, name), "set by the user");

            MachineState after = snapshot(machine, spy.service_names, reads);
            MachineState expected = before;
            expected.values[user_key + "|" + name] = *machine.registry().value(user_key, name);
            // The key holding the user's value stays, and so do its parents, even where the run
            // created them; every other key the run created is gone.
            for (std::string key = user_key; key.find('\\') != std::string::npos;
                 key.resize(key.rfind('\\'))) {
                expected.keys.insert(key);
            }
            EXPECT_TRUE(after == expected);
            EXPECT_EQ(after.power_indices, before.power_indices);
            EXPECT_EQ(after.power_scheme, before.power_scheme);
            EXPECT_EQ(after.config_file, before.config_file);
            run_status().run_in_progress.store(false);
        }
    }
}

TEST_F(History, undo_deletes_the_keys_a_run_created_unless_somebody_filled_them_since) {
    constexpr const char* kAccessibility = "HKCU\\Control Panel\\Accessibility";
    const std::string sticky = std::string(kAccessibility) + "\\StickyKeys";
    const std::string toggle = std::string(kAccessibility) + "\\ToggleKeys";
    ASSERT_FALSE(fake.registry().has_key(kAccessibility));
    run_path(PathKind::Latency);
    ASSERT_TRUE(fake.registry().has_key(sticky));
    fake.registry().put_string(toggle, "Mine", "kept");

    const UndoRun undo = apply_undo(std::nullopt);
    ASSERT_TRUE(undo.error.empty()) << undo.error;
    EXPECT_EQ(undo.outcome.failed, 0);
    EXPECT_GE(undo.outcome.changed_since, 1);
    EXPECT_FALSE(fake.registry().has_key(sticky));
    EXPECT_FALSE(fake.registry().has_key("HKCU\\Control Panel\\Mouse"));
    EXPECT_EQ(fake.registry().text(toggle, "Mine"), "kept");
    EXPECT_FALSE(fake.registry().has_value(toggle, "Flags"));

    // The undo's own history deleted keys; undoing it brings them back with the run's values.
    ASSERT_TRUE(apply_undo(undo.history_id).error.empty());
    EXPECT_EQ(fake.registry().text(sticky, "Flags"), "506");
}

TEST_F(History, undoing_start_with_windows_removes_the_task_and_copy_and_its_undo_puts_them_back) {
    const char* copy = "C:\\Program Files\\Tavrine Optimiser\\TavrineOptimiser.exe";
    fake.files().add_text_file("C:\\Tavrine\\TavrineOptimiser.exe", "MZ");
    fake.processes().add(FakeProcess{
        .pid = 4242, .exe_name = "TavrineOptimiser.exe", .image_path = "C:\\Tavrine\\TavrineOptimiser.exe"});
    fake.processes().set_current_process_id(4242);
    fake.registry().put_string(kUserRunKey, "DunmarrowOptimiser", "C:\\Old\\Dunmarrow.exe");
    ASSERT_TRUE(set_start_with_windows(true));

    const UndoRun undo = apply_undo(std::nullopt);
    ASSERT_TRUE(undo.error.empty()) << undo.error;
    EXPECT_EQ(undo.outcome.failed, 0);
    EXPECT_FALSE(fake.tasks().task_exists(kStartupTaskName));
    EXPECT_FALSE(fake.files().exists(copy));
    EXPECT_EQ(fake.registry().text(kUserRunKey, "DunmarrowOptimiser"), "C:\\Old\\Dunmarrow.exe");

    ASSERT_TRUE(apply_undo(undo.history_id).error.empty());
    EXPECT_TRUE(fake.tasks().task_exists(kStartupTaskName));
    EXPECT_EQ(fake.files().entry(copy).value_or(FakeFile{}).content, "MZ");
}

TEST_F(History, an_undo_is_a_run_of_its_own_and_can_be_undone) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    run_path(PathKind::Latency);
    ASSERT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    const UndoRun undo = apply_undo(std::nullopt);
    ASSERT_TRUE(undo.error.empty()) << undo.error;
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "1");
    // Nothing left to undo by default; the undo itself, named, brings the run's state back.
    EXPECT_FALSE(apply_undo(std::nullopt).error.empty());
    ASSERT_TRUE(apply_undo(undo.history_id).error.empty());
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_EQ(list_history().size(), 3u);
}

TEST_F(History, the_history_card_lists_runs_newest_first_and_undoes_one_on_a_worker) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    run_path(PathKind::Netcode);
    run_status().run_in_progress.store(false); // the completion overlay was dismissed
    run_path(PathKind::Latency);
    run_status().run_in_progress.store(false);
    request_history_board();
    ASSERT_TRUE(test::wait_for_worker());
    auto board = history_board();
    ASSERT_EQ(board->rows.size(), 2u);
    EXPECT_EQ(board->rows[0].what, "latency");
    EXPECT_GT(board->rows[0].undoable, 0);
    EXPECT_EQ(board->rows[0].state, "");

    ASSERT_TRUE(start_history_undo(board->rows[0].id));
    ASSERT_TRUE(test::wait_for_worker());
    board = history_board();
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "1");
    EXPECT_NE(board->status.find("changes restored \xC2\xB7 0 changed since, left alone \xC2\xB7 "),
              std::string::npos)
        << board->status;
    ASSERT_EQ(board->rows.size(), 3u);
    EXPECT_EQ(board->rows[0].what, "undo");
    EXPECT_EQ(board->rows[1].state, "undone");
}

// [SECTION] An undo counts what it did --------------------------------------------------------

constexpr const char* kMouse = "HKCU\\Control Panel\\Mouse";
constexpr const char* kPriority = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl";

// A quit during an undo stops it between two records; its entry says how far it got, the run
// shows as partly undone, and the next undo offers exactly the records the first did not reach.
TEST_F(History, an_undo_stopped_half_way_leaves_exactly_the_rest_to_a_second_undo) {
    fake.registry().put_string(kMouse, "MouseSpeed", "1");
    fake.registry().put_dword(kPriority, "Win32PrioritySeparation", 0x26);
    run_path(PathKind::Latency);
    UndoRun first;
    {
        // The quit comes once MouseSpeed (written late in the run, so put back early) is back;
        // Win32PrioritySeparation, written early, is not reached.
        test::ObservedMachine observed(fake, [this](const char*) {
            if (fake.registry().text(kMouse, "MouseSpeed") == "1") {
                request_worker_stop();
            }
        });
        const ScopedMachine scope(observed);
        first = apply_undo(std::nullopt);
    }
    ASSERT_TRUE(first.error.empty()) << first.error;
    ASSERT_TRUE(first.outcome.stopped);
    EXPECT_EQ(fake.registry().text(kMouse, "MouseSpeed"), "1");
    EXPECT_EQ(fake.registry().dword(kPriority, "Win32PrioritySeparation"), 2u);
    std::vector<HistoryEntry> entries = list_history();
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_TRUE(entries[1].file.has_value()) << entries[1].error;
    EXPECT_EQ(entries[1].file->stopped, "stopped after step " + std::to_string(first.outcome.reached) +
                                            " of " + std::to_string(first.outcome.offered));
    const std::string partly = "partly undone (" + std::to_string(first.outcome.restored) + " of " +
                               std::to_string(entries[0].undoable()) + ")";
    std::ostringstream listing;
    std::ostringstream err;
    ASSERT_EQ(run_cli({"history"}, listing, err), 0);
    EXPECT_NE(listing.str().find(partly + " by " + first.history_id), std::string::npos) << listing.str();

    fake.registry().put_string(kMouse, "MouseSpeed", "7"); // the user's own, after the first undo
    const UndoRun second = apply_undo(std::nullopt);
    ASSERT_TRUE(second.error.empty()) << second.error;
    EXPECT_EQ(second.undone_id, entries[0].id);
    EXPECT_FALSE(second.outcome.stopped);
    EXPECT_EQ(second.outcome.offered, first.outcome.offered - first.outcome.reached);
    EXPECT_EQ(second.outcome.changed_since, 0) << "a record the first undo restored is offered again";
    EXPECT_EQ(fake.registry().text(kMouse, "MouseSpeed"), "7");
    EXPECT_EQ(fake.registry().dword(kPriority, "Win32PrioritySeparation"), 0x26u);
    entries = list_history();
    EXPECT_EQ(entries[0].undo_state(), "undone");
    EXPECT_FALSE(apply_undo(std::nullopt).error.empty()) << "nothing is left to undo";
}

// An undo cut short (the program ended mid-way, no end line) took back only the records it
// wrote a word on; an entry from before those words keeps its meaning: the whole run when it
// ended, nothing when it did not.
TEST_F(History, a_run_counts_as_undone_only_as_far_as_an_undo_is_known_to_have_reached) {
    fake.registry().put_string(kMouse, "MouseSpeed", "1");
    run_path(PathKind::Latency);
    const UndoRun undo = apply_undo(std::nullopt);
    ASSERT_TRUE(undo.error.empty()) << undo.error;
    const std::string path = std::string(kHistoryFolder) + "\\" + undo.history_id + ".txt";
    const std::string whole = fake.files().entry(path)->content;
    std::string cut_short;
    std::string old_style;
    int words = 0;
    for (std::size_t at = 0, end = 0; at < whole.size(); at = end + 1) {
        end = whole.find('\n', at);
        const std::string line = whole.substr(at, end + 1 - at);
        const bool word = line.rfind("UNDID\t", 0) == 0;
        cut_short += words < 3 ? line : "";
        words += word ? 1 : 0;
        old_style += word ? "" : line;
    }
    const auto state_with = [&](const std::string& text) {
        fake.files().add_text_file(path, text);
        return list_history()[0];
    };
    const HistoryEntry reached_three = state_with(cut_short);
    EXPECT_EQ(reached_three.pending().size(), static_cast<std::size_t>(undo.outcome.offered - 3));
    EXPECT_EQ(reached_three.undo_state().rfind("partly undone (", 0), 0u) << reached_three.undo_state();
    EXPECT_EQ(state_with(old_style).undo_state(), "undone");
    const std::string old_unended = old_style.substr(0, old_style.rfind("END"));
    EXPECT_EQ(state_with(old_unended).undo_state(), "");

    // What that undo never reached is as the run left it; the run can be undone again.
    fake.registry().put_string(kMouse, "MouseSpeed", "0");
    const UndoRun again = apply_undo(std::nullopt);
    ASSERT_TRUE(again.error.empty()) << again.error;
    EXPECT_EQ(fake.registry().text(kMouse, "MouseSpeed"), "1");
}

// [SECTION] Write-ahead ------------------------------------------------------------------------

TEST_F(History, each_change_is_on_disk_in_the_history_before_it_is_made) {
    fake.registry().put_dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl",
                              "Win32PrioritySeparation", 0x26);
    for (const ModuleInfo& info : module_table()) {
        module_arms().set(info.module, info.module == Module::CpuSchedule);
    }
    run_path(PathKind::Frames);
    const std::vector<std::string> journal = fake.journal();
    std::size_t changes = 0;
    for (std::size_t i = 0; i < journal.size(); ++i) {
        const bool change = journal[i].rfind("SET ", 0) == 0 || journal[i].rfind("DELETE ", 0) == 0 ||
                            journal[i].rfind("RUN ", 0) == 0 || journal[i].rfind("SPI ", 0) == 0 ||
                            journal[i].rfind("SERVICE ", 0) == 0;
        // Applying the active scheme again changes nothing there is to put back.
        if (change && !reapplies_power_scheme(journal[i].substr(4))) {
            ++changes;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(journal[i - 1].rfind("APPEND FILE " + std::string(kHistoryFolder), 0), 0u)
                << journal[i] << " was made before its history line";
        }
    }
    EXPECT_GT(changes, 0u);
    const auto files = history_files();
    ASSERT_EQ(files.size(), 1u);
    const std::string text = fake.files().entry(files[0])->content;
    EXPECT_NE(text.find("SET DWORD\tHKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl\t"
                        "Win32PrioritySeparation\t38\tleft DWORD "),
              std::string::npos)
        << text;
}

TEST_F(History, a_run_whose_history_cannot_be_written_still_runs_and_says_so) {
    fake.files().fail_writes(true);
    run_path(PathKind::Latency);
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_EQ(run_status().completed_steps.load(), run_status().total_steps.load());
    EXPECT_NE(run_status().status_message.get().find("not recorded for undo"), std::string::npos);
}

// [SECTION] History files are untrusted input --------------------------------------------------

TEST_F(History, a_damaged_or_foreign_history_file_is_refused_and_changes_nothing) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    run_path(PathKind::Latency);
    const auto files = history_files();
    ASSERT_EQ(files.size(), 1u);
    const std::string good = fake.files().entry(files[0])->content;
    const std::size_t cut = good.find("SET SZ\tHKCU\\Control Panel\\Mouse\tMouseSpeed\t1\t");
    ASSERT_NE(cut, std::string::npos);
    const std::vector<std::string> damaged = {
        good.substr(0, cut) + "SET SZ\tHKCU\\Control Panel\\Mouse\tMouseSpeed\t1\tleft DWORD x\r\n" +
            good.substr(cut),
        good.substr(0, cut) + "FORMAT C:\r\n" + good.substr(cut),
        good.substr(0, cut) + "SPI\t0x2\tparam 0\tpv null\tflags 3\tleft {1}\r\n" + good.substr(cut),
        // Filter keys' record is six words: Windows would write 24 bytes into this one.
        good.substr(0, cut) + "SPI\t0x33\tparam 24\tpv {24}\tflags 3\tleft {24}\r\n" + good.substr(cut),
        good.substr(0, cut) + "SERVICE\tSys\\Main\tmanual+stopped\tleft disabled+stopped\r\n" +
            good.substr(cut),
        "not a history\r\n" + good,
        // Only the program's own policy and task, and files by plain paths with plain copies.
        good.substr(0, cut) + "QOS\tSomeoneElsesQoS\r\n" + good.substr(cut),
        good.substr(0, cut) + "TASK\tOtherTask\tabsent\tleft present\r\n" + good.substr(cut),
        good.substr(0, cut) + "KEY CREATED\tHKLM\\\r\n" + good.substr(cut), // never a hive's root
        good.substr(0, cut) + "FILE\tC:\\Games\\..\\Windows\\win.ini\t1.bin\tleft 1:00\r\n" +
            good.substr(cut),
        good.substr(0, cut) + "FILE\tC:\\Games\\a.ini\t..\\..\\x.bin\tleft 1:00\r\n" + good.substr(cut),
        // What an undo made of a record belongs in an undo's entry only.
        good.substr(0, cut) + "UNDID\t3\trestored\r\n" + good.substr(cut),
    };
    for (const std::string& text : damaged) {
        fake.files().add_text_file(files[0], text);
        const std::vector<std::string> journal_before = fake.journal();
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(run_cli({"apply", "undo"}, out, err), 1) << out.str() << err.str();
        EXPECT_NE(err.str().find("damaged"), std::string::npos) << err.str();
        EXPECT_EQ(fake.journal(), journal_before);
        EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    }
}

// A file another program put in the history, or a line put into a genuine one: the entry is
// refused whole, said so, and nothing of it is applied.
TEST_F(History, a_forged_entry_or_line_is_refused_whole_and_changes_nothing) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    fake.services().add("Spooler", FakeService{});
    constexpr const char* kSpooler = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Spooler";
    fake.registry().put_string(kSpooler, "ImagePath", "C:\\Windows\\System32\\spoolsv.exe");
    run_path(PathKind::Latency);
    const auto files = history_files();
    ASSERT_EQ(files.size(), 1u);
    const std::string genuine = fake.files().entry(files[0])->content;
    const std::string genuine_id =
        files[0].substr(kHistoryFolder.size() + 1, files[0].size() - kHistoryFolder.size() - 5);
    const JournalHeader header = *parse_header(genuine.substr(0, genuine.find('\r')));
    const auto entry = [&](const std::string& id, const std::string& time, const std::string& lines) {
        return format_header({time, "latency", {}, id}) + "\r\n" + lines + "END\r\n";
    };
    const std::string service_pair =
        "SET SZ\t" + std::string(kSpooler) + "\tImagePath\tC:\\Users\\Player\\evil.exe\tleft SZ " +
        "C:\\Windows\\System32\\spoolsv.exe\r\nSERVICE\tSpooler\tautomatic+running\tleft manual+stopped\r\n";
    const std::string unrelated = "SET DWORD\tHKLM\\SOFTWARE\\Policies\\Microsoft\\Windows Defender\t"
                                  "DisableAntiSpyware\t1\tleft ABSENT\r\n";
    const std::size_t end = genuine.rfind("END");
    struct Forgery {
        std::string name;
        std::string path;
        std::string text;
        std::vector<std::string> command;
    };
    const std::string newer = genuine_id + "-7";
    const std::string legacy = "C:\\Users\\Player\\AppData\\Roaming\\Tavrine\\history\\";
    const std::vector<Forgery> forgeries = {
        {"service pair",
         std::string(kHistoryFolder) + "\\" + newer + ".txt",
         entry(newer, header.time, service_pair),
         {"apply", "undo"}},
        {"unrelated value",
         std::string(kHistoryFolder) + "\\" + newer + ".txt",
         entry(newer, header.time, unrelated),
         {"apply", "undo"}},
        {"line inserted",
         files[0],
         genuine.substr(0, end) + unrelated + genuine.substr(end),
         {"apply", "undo"}},
        {"dated ahead",
         std::string(kHistoryFolder) + "\\20991231-235959-000-latency.txt",
         entry("20991231-235959-000-latency", "2099-12-31 23:59:59", service_pair),
         {"apply", "undo", "20991231-235959-000-latency"}},
        {"name and header disagree",
         std::string(kHistoryFolder) + "\\" + newer + ".txt",
         entry(genuine_id, header.time, {}),
         {"apply", "undo", newer}},
        {"user's folder",
         legacy + newer + ".txt",
         entry(newer, header.time, service_pair),
         {"apply", "undo", newer}},
    };
    for (const Forgery& forgery : forgeries) {
        SCOPED_TRACE(forgery.name);
        fake.files().add_text_file(forgery.path, forgery.text);
        const std::vector<std::string> journal_before = fake.journal();
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(run_cli(forgery.command, out, err), 2) << out.str() << err.str();
        EXPECT_NE(err.str().find("nothing was changed"), std::string::npos) << err.str();
        EXPECT_EQ(fake.journal(), journal_before);
        EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
        if (forgery.path == files[0]) {
            EXPECT_NE(err.str().find("refused: not something this program changes: SET DWORD"),
                      std::string::npos);
            fake.files().add_text_file(files[0], genuine);
        } else {
            ASSERT_TRUE(fake.files().delete_file(forgery.path));
        }
    }
    // The genuine entry, left alone by all of the above, is still undone.
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run_cli({"apply", "undo"}, out, err), 0) << err.str();
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "1");
}

// A run that edited a game's configuration stays undoable once the game is gone (or before the
// platform folder it wrote in exists here): the census learns every file the routine can write.
TEST_F(History, the_undo_scope_holds_every_game_configuration_file_without_the_game_installed) {
    const UndoScope scope = census_undo_scope();
    const std::string config = "C:\\Users\\Player\\AppData\\Local\\FortniteGame\\Saved\\Config\\";
    for (const char* file : {"WindowsClient\\GameUserSettings.ini", "WindowsNoEditor\\Engine.ini"}) {
        EXPECT_TRUE(scope.allows(FileRecord{config + file, "1.bin"})) << file;
    }
    EXPECT_FALSE(scope.allows(FileRecord{"C:\\Users\\Player\\AppData\\Local\\Other\\Engine.ini", "1.bin"}));
}

TEST_F(History, a_history_folder_others_may_write_is_neither_read_nor_written) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    run_path(PathKind::Latency);
    run_status().run_in_progress.store(false);
    ASSERT_TRUE(fake.files().set_security(kHistoryFolder, FakeOwner::Administrators, true));
    const std::vector<std::string> before = history_files();

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run_cli({"apply", "undo"}, out, err), 2);
    EXPECT_NE(err.str().find("not administrators"), std::string::npos) << err.str();
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    run_path(PathKind::Latency);
    EXPECT_NE(run_status().status_message.get().find("not administrators"), std::string::npos);
    EXPECT_EQ(history_files(), before);

    // A folder a user made before the program did is never taken over.
    FakeMachine other;
    ScopedMachine on_other(other);
    other.files().add_folder("C:\\ProgramData\\Tavrine");
    other.files().set_security("C:\\ProgramData\\Tavrine", FakeOwner::User, true);
    run_path(PathKind::Latency);
    EXPECT_FALSE(other.files().exists(kHistoryFolder));
    EXPECT_NE(run_status().status_message.get().find("not recorded for undo"), std::string::npos);
}

// Fields are escaped eight bytes at a time: a byte that needs escaping anywhere in a word, or
// in the tail after the last whole word, must still be escaped, and every other byte kept.
TEST(HistoryFields, every_byte_at_every_place_in_a_field_survives_escaping) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool special = byte < 0x20 || byte == 0x7F || byte == '%';
        for (std::size_t at = 0; at < 19; ++at) {
            std::string text(19, 'k');
            text[at] = static_cast<char>(byte);
            const std::string escaped = escape_field(text);
            ASSERT_EQ(escaped.size(), text.size() + (special ? 2 : 0)) << byte << " at " << at;
            ASSERT_EQ(unescape_field(escaped), text) << byte << " at " << at;
        }
    }
}

// [SECTION] The console commands -----------------------------------------------------------------

TEST_F(History, the_console_lists_runs_previews_an_undo_and_makes_it) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "1");
    run_path(PathKind::Latency);
    std::ostringstream listing;
    std::ostringstream err;
    ASSERT_EQ(run_cli({"history"}, listing, err), 0);
    EXPECT_NE(listing.str().find("-latency"), std::string::npos) << listing.str();

    std::ostringstream plan;
    ASSERT_EQ(run_cli({"plan", "undo"}, plan, err), 0) << err.str();
    EXPECT_NE(plan.str().find("SET SZ HKCU\\Control Panel\\Mouse MouseSpeed = \"1\""), std::string::npos)
        << plan.str();
    EXPECT_NE(plan.str().find("cannot be undone: RUN powercfg"), std::string::npos);
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");

    {
        // Ctrl+C during the undo: it stops after the record under way and says so.
        test::ObservedMachine observed(fake, [](const char*) { request_worker_stop(); });
        const ScopedMachine scope(observed);
        std::ostringstream stopped;
        EXPECT_EQ(run_cli({"apply", "undo"}, stopped, err), kCliInterrupted);
        EXPECT_NE(stopped.str().find("(undo again for the rest): 1 change restored"), std::string::npos)
            << stopped.str();
    }
    std::ostringstream applied;
    ASSERT_EQ(run_cli({"apply", "undo"}, applied, err), 0) << err.str();
    EXPECT_NE(applied.str().find("changes restored · 0 changed since, left alone · "), std::string::npos)
        << applied.str();
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "1");
}

} // namespace
} // namespace tavrine
