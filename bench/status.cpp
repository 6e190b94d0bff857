// bench/status: what reading every module's state costs against the plan preview it rests on.
//
// A fake machine holds a lived-in system: 300 USB and PCI device keys the walks visit, 2000
// temp files, 400 processes, the audio services. Both sides read it through a recorder: a full
// plan of every path with every module armed (as `tavrine-cli plan all --everything`), and the
// state of every module of every path (as `tavrine-cli status`). The ratio is printed; the
// target is at most 1.5.

#include "platform/fake/fake_machine.h"
#include "platform/recording/recording_machine.h"
#include "runs/module_state.h"
#include "runs/pipeline.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void seed(tavrine::FakeMachine& machine) {
    for (int i = 0; i < 200; ++i) {
        machine.registry().add_key("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_" + std::to_string(i) +
                                   "\\inst\\Device Parameters");
    }
    for (int i = 0; i < 100; ++i) {
        machine.registry().add_key("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_" + std::to_string(i) +
                                   "\\inst\\Device Parameters");
    }
    machine.files().set_temp_folder("C:\\Users\\me\\AppData\\Local\\Temp");
    for (int i = 0; i < 2000; ++i) {
        machine.files().add_file("C:\\Users\\me\\AppData\\Local\\Temp\\d" + std::to_string(i % 40) + "\\f" +
                                     std::to_string(i) + ".tmp",
                                 4096);
    }
    for (std::uint32_t i = 0; i < 400; ++i) {
        machine.processes().add({.pid = 1000 + 4 * i, .exe_name = "app" + std::to_string(i % 150) + ".exe"});
    }
    for (const char* service : {"Audiosrv", "AudioEndpointBuilder", "MMCSS", "SysMain", "DiagTrack"}) {
        machine.services().add(service, {.start_type = 2, .running = true});
    }
}

double seconds_of_plan(tavrine::FakeMachine& machine) {
    const auto start = Clock::now();
    tavrine::RecordingMachine recorder(machine);
    tavrine::ScopedMachine scope(recorder);
    for (tavrine::ModuleStep& step : tavrine::build_step_list(tavrine::PathKind::All)) {
        if (step.job) {
            step.job();
        }
    }
    const std::size_t lines = recorder.lines().size();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return lines > 0 ? seconds : 0.0;
}

double seconds_of_states(tavrine::FakeMachine& machine) {
    const auto start = Clock::now();
    const auto rows = tavrine::compute_module_states(tavrine::PathKind::All, machine);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return rows.empty() ? 0.0 : seconds;
}

} // namespace

int main() {
    using namespace tavrine;
    FakeMachine machine;
    ScopedMachine scope(machine);
    seed(machine);
    for (const ModuleInfo& info : module_table()) {
        module_arms().set(info.module, true);
    }
    constexpr int kRounds = 7;
    std::vector<double> plans;
    std::vector<double> states;
    for (int round = 0; round < kRounds; ++round) {
        plans.push_back(seconds_of_plan(machine));
        states.push_back(seconds_of_states(machine));
    }
    std::sort(plans.begin(), plans.end());
    std::sort(states.begin(), states.end());
    const double plan = plans[kRounds / 2];
    const double state = states[kRounds / 2];
    std::printf("full plan of every path:     %8.2f ms (median of %d)\n", plan * 1000, kRounds);
    std::printf("state of every module:       %8.2f ms (median of %d)\n", state * 1000, kRounds);
    std::printf("states / plan: %.2f (target at most 1.5)\n", state / plan);
    return 0;
}
