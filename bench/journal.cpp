// bench/journal: what keeping the history costs a real run. Every path with every module
// armed is applied to a fresh fake machine holding a lived-in system (300 USB and PCI device
// keys the walks visit, 2000 temp files, 400 processes, the audio services, a known power
// scheme), once plainly and once inside a HistoryRun, which journals each change ahead of it
// (a read of what is there, a line appended to the history file). The ratio is printed; the
// target is at most 1.2. Runs are timed in processor time, not wall time: on a machine shared
// with other work, time spent waiting for a core says nothing about the journal. The allocator
// keeps the memory it once took: the fake holds the history file in one growing buffer, and
// mapping that afresh for every run (a few hundred kilobytes, page by page) measures the
// allocator, not the journal; a real history goes to a file.

#include "engine/history.h"
#include "engine/path_table.h"
#include "platform/fake/fake_machine.h"
#include "runs/pipeline.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// std::clock counts this process's processor time; the bench runs everything on one thread.
double processor_seconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

std::unique_ptr<tavrine::FakeMachine> lived_in_machine() {
    auto machine = std::make_unique<tavrine::FakeMachine>();
    for (int i = 0; i < 200; ++i) {
        machine->registry().add_key("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_" + std::to_string(i) +
                                    "\\inst\\Device Parameters");
    }
    for (int i = 0; i < 100; ++i) {
        machine->registry().add_key("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_" + std::to_string(i) +
                                    "\\inst\\Device Parameters");
    }
    machine->files().set_temp_folder("C:\\Users\\me\\AppData\\Local\\Temp");
    for (int i = 0; i < 2000; ++i) {
        machine->files().add_file("C:\\Users\\me\\AppData\\Local\\Temp\\d" + std::to_string(i % 40) + "\\f" +
                                      std::to_string(i) + ".tmp",
                                  4096);
    }
    for (std::uint32_t i = 0; i < 400; ++i) {
        machine->processes().add({.pid = 1000 + 4 * i, .exe_name = "app" + std::to_string(i % 150) + ".exe"});
    }
    for (const char* service : {"Audiosrv", "AudioEndpointBuilder", "MMCSS", "SysMain", "DiagTrack"}) {
        machine->services().add(service, {.start_type = 2, .running = true});
    }
    machine->system_settings().set_active_power_scheme("381b4222-f694-41f0-9685-ff5bb260df2e");
    return machine;
}

// One "All" run on a fresh machine, timed without the machine's setting up.
double seconds_of_run(bool journaled) {
    const std::unique_ptr<tavrine::FakeMachine> machine = lived_in_machine();
    tavrine::ScopedMachine scope(*machine);
    tavrine::set_history_enabled(journaled);
    const double start = processor_seconds();
    {
        tavrine::HistoryRun history(tavrine::path_name(tavrine::PathKind::All));
        for (tavrine::ModuleStep& step : tavrine::build_step_list(tavrine::PathKind::All)) {
            if (step.job) {
                step.job();
            }
        }
        if (journaled && !history.recording()) {
            std::fprintf(stderr, "the journaled run kept no history\n");
        }
    }
    const double seconds = processor_seconds() - start;
    tavrine::set_history_enabled(false);
    return seconds;
}

} // namespace

// "bench_journal plain" or "bench_journal journaled" runs one side only, for a profiler.
int main(int argc, char** argv) {
    using namespace tavrine;
    const std::string only = argc > 1 ? argv[1] : "";
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    for (const ModuleInfo& info : module_table()) {
        module_arms().set(info.module, true);
    }
    constexpr int kRounds = 9;
    std::vector<double> plain;
    std::vector<double> journaled;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(only == "journaled" ? 1.0 : seconds_of_run(false));
        journaled.push_back(only == "plain" ? 1.0 : seconds_of_run(true));
    }
    std::sort(plain.begin(), plain.end());
    std::sort(journaled.begin(), journaled.end());
    const double without = plain[kRounds / 2];
    const double with = journaled[kRounds / 2];
    std::printf("every path, no history:      %8.2f ms (median of %d)\n", without * 1000, kRounds);
    std::printf("every path, journaled:       %8.2f ms (median of %d)\n", with * 1000, kRounds);
    std::printf("journaled / plain: %.2f (target at most 1.2)\n", with / without);
    return 0;
}
