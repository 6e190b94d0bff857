#pragma once
// The module states the path pages show: computed on one background thread when a page asks,
// published whole, read by the main thread without ever waiting for a computation.

#include "runs/module_state.h"

#include <array>
#include <memory>
#include <optional>

namespace tavrine {

// Asks for the states of `path`'s modules. Returns at once: a background thread computes them
// over the process-wide machine and publishes them. A request made while one is computing is
// taken up when it ends (the latest request wins).
void request_module_states(PathKind path);

// The last published states; never null. Copying the pointer is all a reader waits for.
std::shared_ptr<const ModuleStateSnapshot> module_states();

// True while the background thread computes; for tests and clean shut-downs.
bool module_state_worker_active();

} // namespace tavrine
