#include "runs/restore_point_job.h"

#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "tweaks/cleanup.h"

namespace tavrine {

bool start_restore_point() {
    if (start_worker(WorkerKind::RestorePoint, create_restore_point)) {
        return true;
    }
    run_status().status_message.set("No restore point: another job is still running; try again when it ends");
    return false;
}

} // namespace tavrine
