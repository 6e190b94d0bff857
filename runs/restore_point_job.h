#pragma once
// "Create restore point" on the Deploy page: the restore-point commands on their own worker.

namespace tavrine {

// Starts the restore point through the worker gate. While another worker runs nothing starts,
// the status message says why, and the result is false.
bool start_restore_point();

} // namespace tavrine
