#include "tests/native/test_support.h"

#include "app/app_state.h"
#include "engine/engine_state.h"
#include "engine/history_board.h"
#include "engine/worker_gate.h"
#include "gpu/gpu_state.h"
#include "overlays/overlays_state.h"
#include "process/process_state.h"
#include "runs/module_state_board.h"
#include "runs/runs_state.h"
#include "runs/undo_census.h"
#include "tweaks/tweaks_state.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace tavrine::test {

namespace {

// Once a worker has outlived its wait, every later wait would only sit out its own timeout
// behind the same thread: they fail at once, so the runner still ends with its summary.
std::atomic<bool> g_worker_stuck{false};

std::string busy_workers() {
    std::string busy;
    if (active_worker() != WorkerKind::None) {
        busy += "gate held by worker kind " + std::to_string(static_cast<int>(active_worker())) +
                " at label \"" + run_status().current_label.load() + "\"; ";
    }
    if (module_state_worker_active()) {
        busy += "module-state reader; ";
    }
    if (history_board_worker_active()) {
        busy += "history reader; ";
    }
    return busy;
}

} // namespace

bool wait_for_worker(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (active_worker() != WorkerKind::None || module_state_worker_active() ||
           history_board_worker_active()) {
        if (g_worker_stuck.load() || std::chrono::steady_clock::now() > deadline) {
            if (!g_worker_stuck.exchange(true)) {
                std::fprintf(stderr, "a worker never ended: %s\n", busy_workers().c_str());
                print_every_thread_stack();
            }
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return join_worker(std::chrono::milliseconds(0));
}

void reset_to_fresh_start() {
    // Top down, so a layer's threads (the HUD's poller, the overlay clock) end before the state
    // below them is built again.
    reset_app_state();
    reset_runs_state();
    reset_overlays_state();
    reset_tweaks_state();
    reset_gpu_state();
    reset_process_state();
    reset_engine_state();
    // What the program sets at start-up, after its state is made.
    apply_profile_preset(ProfilePresetIndex::Competitive);
    set_undo_scope_source(census_undo_scope);
}

std::map<std::string, std::string> contents_below(const FakeFiles& files, std::string_view folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& path : files.files_below(folder)) {
        contents[path] = files.entry(path)->content;
    }
    return contents;
}

void plant_link(FakeFiles& files, std::string_view meant, std::string_view level, PlantedLink kind,
                std::string_view elsewhere, std::string_view planted) {
    files.add_text_file(std::string(elsewhere) + std::string(meant.substr(level.size())), planted);
    if (kind == PlantedLink::Junction) {
        files.add_link(level, elsewhere);
    } else {
        files.add_symbolic_link(level, elsewhere);
    }
}

EngineTest::~EngineTest() {
    // A worker left running would outlive the fake it writes to.
    EXPECT_TRUE(wait_for_worker()) << "a worker was still running at the end of the test";
    reset_to_fresh_start();
}

void Gate::pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    reached_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
}

bool Gate::wait_until_reached() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return reached_; });
}

void Gate::open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
}

RegistryKeyPtr ObservedMachine::create_key(Hive hive, std::string_view sub_key) {
    hook_("create_key");
    return inner_.registry().create_key(hive, sub_key);
}

RegistryKeyPtr ObservedMachine::open_key(Hive hive, std::string_view sub_key, KeyAccess access) {
    hook_("open_key");
    return inner_.registry().open_key(hive, sub_key, access);
}

bool ObservedMachine::stop_and_set_start_type(std::string_view name, std::uint32_t start_type) {
    hook_("service");
    return inner_.services().stop_and_set_start_type(name, start_type);
}

bool ObservedMachine::set_automatic_and_start(std::string_view name) {
    hook_("service");
    return inner_.services().set_automatic_and_start(name);
}

CommandOutcome ObservedMachine::run_hidden(std::string_view command, std::uint32_t wait_ms) {
    hook_("run");
    return inner_.commands().run_hidden(command, wait_ms);
}

bool ObservedMachine::system_parameters(std::uint32_t action, std::uint32_t param,
                                        const SpiArgument& argument, std::uint32_t flags) {
    hook_("spi");
    return inner_.system_settings().system_parameters(action, param, argument, flags);
}

} // namespace tavrine::test
