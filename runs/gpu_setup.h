#pragma once
// The first-launch GPU setup and "Tune GPU now": what the setup screen shows (filled on the
// main thread only), and the two worker threads that apply a vendor profile.

#include "gpu/gpu_vendor.h"

#include <atomic>
#include <functional>
#include <string>

namespace tavrine {

enum class SetupPhase : int { Choosing = 0, Applying = 1, Applied = 2 };

struct GpuDetection {
    // Main thread only.
    int shown_presence_mask = 0;
    GpuVendor selected_vendor = GpuVendor::Unknown;
    std::string adapter_display_name = "Graphics adapter";
    bool manual_pick = false;
    SetupPhase setup_phase = SetupPhase::Choosing;
    bool detected_once = false;
    float tune_progress = 0.0f;   // the bar while applying, 0..1
    float applied_seconds = 0.0f; // time shown as applied
    // Shared with the workers.
    std::atomic<bool> tuning_busy{false};
    std::atomic<bool> tuning_done{false};
};

GpuDetection& gpu_detection();

// Classifies the adapters for the setup screen, once per process (until the first-launch
// state is reset).
void detect_once();
// Starts the profile of `vendor` (anything but 1..3 counts as NVIDIA) on a worker thread and
// moves the screen to applying. Ignored while a vendor thread runs. When no thread can be
// started the screen goes back to choosing.
void confirm_vendor(GpuVendor vendor);
// Saves the record with the selected vendor and name, remembers a known vendor and ends the
// setup (the shell then shows the main screen).
void finish_setup();

// "Tune GPU now": profile, scheduling, a fresh classification and the record, on a worker
// thread. Refused (false) while a vendor thread, a run or a deploy is busy, or when no thread
// can be started.
bool start_tune_now(GpuVendor vendor);

// The vendor's driver profile and hardware GPU scheduling, recorded as one run in the history
// ("gpu") so it can be undone. Runs on the calling thread.
void apply_gpu_tune(GpuVendor vendor);

// "Show setup next launch": deletes the record; the next detection starts afresh.
void reset_first_launch();

// How the GPU workers are started. Tests swap in one that refuses or runs the job in place;
// the default starts a detached thread through the worker gate and returns false when another
// worker runs or the system refuses a thread.
using WorkerStarter = bool (*)(std::function<void()> job);
bool start_detached_worker(std::function<void()> job);
WorkerStarter set_gpu_worker_starter(WorkerStarter starter);
WorkerStarter gpu_worker_starter(); // the one in use

} // namespace tavrine
