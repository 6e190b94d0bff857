// bench/cull: what the cull's tests cost on top of walking the process table.
//
// A synthetic table of 400 processes (Windows services and shell, apps, and a few dozen names
// from the cull's lists) lives in the fake machine. One cull_pass with every option armed is
// timed against a plain walk of the same table through the same snapshot; the ratio is
// printed. The processes a pass ends are put back between passes, outside the timing.
// A second ratio isolates the name tests themselves: every verdict against a loop that only
// reads each name.

#include "process/cull.h"
#include "platform/fake/fake_machine.h"
#include "process/cull_lists.h"
#include "process/name_match.h"
#include "process/process_walk.h"
#include "process/protected_processes.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<tavrine::FakeProcess> synthetic_table() {
    std::vector<tavrine::FakeProcess> table;
    std::uint32_t pid = 1000;
    auto add = [&](std::string name) {
        table.push_back({.pid = pid += 4, .exe_name = std::move(name)});
    };
    // Windows and drivers: mostly protected, many svchost instances.
    for (int i = 0; i < 90; ++i) {
        add("svchost.exe");
    }
    for (std::size_t i = 0; i < 60; ++i) {
        add(tavrine::kProtectedProcesses[i % tavrine::kProtectedProcesses.size()]);
    }
    // Ordinary applications the cull has no opinion about.
    for (int i = 0; i < 200; ++i) {
        add("AcmeTool" + std::to_string(i) + ".exe");
    }
    // Junk the options end: a spread over the lists.
    for (std::size_t i = 0; i < 20; ++i) {
        add(tavrine::kBloatProcesses[i * 7 % tavrine::kBloatProcesses.size()]);
    }
    for (std::size_t i = 0; i < 10; ++i) {
        add(tavrine::kOemProcesses[i * 3 % tavrine::kOemProcesses.size()]);
        add(tavrine::kUpdaterProcesses[i * 2 % tavrine::kUpdaterProcesses.size()]);
        add(tavrine::kCloudSyncProcesses[i % tavrine::kCloudSyncProcesses.size()]);
    }
    return table;
}

} // namespace

int main() {
    using namespace tavrine;
    FakeMachine machine;
    ScopedMachine scope(machine);
    machine.processes().set_current_process_id(1);
    const std::vector<FakeProcess> table = synthetic_table();
    for (const FakeProcess& process : table) {
        machine.processes().add(process);
    }
    const CullOptions everything{true, true, true, true, true, true, true, true};

    constexpr int kRounds = 300;
    Clock::duration pass_time{};
    Clock::duration walk_time{};
    std::size_t sink = 0;
    int ended = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        for_each_process([&](std::uint32_t pid, std::string_view name) { sink += pid + name.size(); });
        walk_time += Clock::now() - start;

        start = Clock::now();
        ended = cull_pass(everything);
        pass_time += Clock::now() - start;

        for (const FakeProcess& process : table) {
            if (!machine.processes().get(process.pid)) {
                machine.processes().add(process);
            }
        }
    }

    // The name tests alone, against a loop that only reads the names.
    std::vector<std::string> names;
    for (const FakeProcess& process : table) {
        names.push_back(lowered_process_name(process.exe_name));
    }
    constexpr int kTestRounds = 3000;
    auto start = Clock::now();
    for (int round = 0; round < kTestRounds; ++round) {
        for (const std::string& name : names) {
            sink += name.size() + static_cast<std::size_t>(name.back());
        }
    }
    const Clock::duration read_time = Clock::now() - start;
    start = Clock::now();
    for (int round = 0; round < kTestRounds; ++round) {
        for (const std::string& name : names) {
            sink += static_cast<std::size_t>(cull_verdict(name, everything).action);
        }
    }
    const Clock::duration verdict_time = Clock::now() - start;

    const auto micros = [](Clock::duration d, int rounds) {
        return std::chrono::duration<double, std::micro>(d).count() / rounds;
    };
    std::printf("table: %zu processes, every option armed; one pass ends %d of them\n", table.size(), ended);
    std::printf("walk           %8.1f us per pass\n", micros(walk_time, kRounds));
    std::printf("cull_pass      %8.1f us per pass\n", micros(pass_time, kRounds));
    std::printf("ratio cull_pass / walk: %.1f (target: at most 20)\n",
                std::chrono::duration<double>(pass_time) / std::chrono::duration<double>(walk_time));
    std::printf("name tests alone: %.2f us per table, %.1f times a loop that only reads the names\n",
                micros(verdict_time, kTestRounds),
                std::chrono::duration<double>(verdict_time) / std::chrono::duration<double>(read_time));
    return sink == 42 ? 1 : 0; // keeps the loops from being optimised away
}
