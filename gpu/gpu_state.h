#pragma once
// Everything the GPU layer keeps for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace tavrine {

struct GpuState {
    // The remembered vendor's code (vendor_record.cpp), and how many times it was set or
    // forgotten: a worker saves its finding only while the count is the one it started with.
    std::atomic<std::int32_t> remembered_vendor{0};
    std::atomic<unsigned> vendor_generation{0};
    // Held around every write and delete of the record, so a save and a forget never interleave.
    std::mutex record_file_lock;
};

GpuState& gpu_state();

// For tests, and only while no worker runs: the GPU state as a fresh start has it.
void reset_gpu_state();

} // namespace tavrine
