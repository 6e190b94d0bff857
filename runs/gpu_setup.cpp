#include "runs/gpu_setup.h"

#include "engine/history.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "gpu/display_adapters.h"
#include "gpu/vendor_record.h"
#include "tweaks/frames.h"
#include "tweaks/gpu_vendor.h"

namespace tavrine {

namespace {

void reset_timers(GpuDetection& detection) {
    detection.tune_progress = 0.0f;
    detection.applied_seconds = 0.0f;
}

void tune_now_worker(GpuVendor vendor, unsigned generation) {
    apply_gpu_tune(vendor);
    const AdapterClassification found = classify_adapters();
    save_vendor_record_if_current(generation, is_known_vendor(vendor) ? vendor : found.chosen,
                                  found.chosen_name);
    gpu_detection().tuning_busy.exchange(false);
}

} // namespace

void apply_gpu_tune(GpuVendor vendor) {
    // The remembered vendor the worker saves afterwards is the program's own setting, not
    // part of the run.
    HistoryRun history("gpu");
    apply_gpu_vendor_profile(vendor);
    apply_hags();
    history.finish();
}

bool start_detached_worker(std::function<void()> job) {
    // Through the one worker gate: never beside a run, a deploy or a restore point.
    return start_worker(WorkerKind::GpuTune, std::move(job));
}

void detect_once() {
    GpuDetection& detection = gpu_detection();
    if (detection.detected_once) {
        return;
    }
    detection.detected_once = true;
    const AdapterClassification found = classify_adapters();
    detection.shown_presence_mask = found.presence_mask;
    detection.selected_vendor = found.chosen;
    detection.adapter_display_name = found.chosen_name;
    detection.manual_pick = found.chosen == GpuVendor::Unknown;
    detection.setup_phase = SetupPhase::Choosing;
    reset_timers(detection);
}

void confirm_vendor(GpuVendor vendor) {
    GpuDetection& detection = gpu_detection();
    if (detection.tuning_busy.load()) {
        return;
    }
    const GpuVendor chosen = is_known_vendor(vendor) ? vendor : GpuVendor::Nvidia;
    detection.selected_vendor = chosen;
    if (detection.manual_pick || detection.adapter_display_name.empty()) {
        detection.adapter_display_name = vendor_short_name(chosen);
    }
    detection.setup_phase = SetupPhase::Applying;
    reset_timers(detection);
    detection.tuning_done.exchange(false);
    detection.tuning_busy.exchange(true);
    const bool started = gpu_worker_starter()([chosen] {
        apply_gpu_tune(chosen);
        GpuDetection& shared = gpu_detection();
        shared.tuning_done.exchange(true);
        shared.tuning_busy.exchange(false);
    });
    if (!started) {
        // Without a worker the screen would wait at 88 % for ever: back to the choice.
        detection.tuning_busy.exchange(false);
        detection.setup_phase = SetupPhase::Choosing;
    }
}

void finish_setup() {
    GpuDetection& detection = gpu_detection();
    save_vendor_record(detection.selected_vendor, detection.adapter_display_name);
    if (is_known_vendor(detection.selected_vendor)) {
        set_remembered_vendor(detection.selected_vendor);
    }
    detection.setup_phase = SetupPhase::Choosing;
    detection.tuning_busy.exchange(false);
}

bool start_tune_now(GpuVendor vendor) {
    GpuDetection& detection = gpu_detection();
    const RunStatus& status = run_status();
    if (active_worker() != WorkerKind::None || status.deploy_in_progress.load()) {
        return false;
    }
    bool idle = false;
    if (!detection.tuning_busy.compare_exchange_strong(idle, true)) {
        return false;
    }
    const unsigned generation = vendor_record_generation();
    if (!gpu_worker_starter()([vendor, generation] { tune_now_worker(vendor, generation); })) {
        detection.tuning_busy.exchange(false);
        return false;
    }
    return true;
}

void reset_first_launch() {
    forget_vendor_record();
    GpuDetection& detection = gpu_detection();
    detection.detected_once = false;
    detection.setup_phase = SetupPhase::Choosing;
    detection.manual_pick = false;
}

} // namespace tavrine
