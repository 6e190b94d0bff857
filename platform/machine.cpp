#include "platform/machine.h"

#include "platform/default_machine.h"

#include <atomic>

namespace tavrine {

namespace {
// Written by start-up code and tests, read from every thread that runs a tweak.
std::atomic<Machine*> g_current{nullptr};
// A preview on one thread; no other thread ever sees it.
thread_local Machine* t_override = nullptr;
} // namespace

bool key_is_empty(RegistryKey& key) {
    return !key.sub_key_name(0) && !key.value_name(0);
}

Machine& current_machine() {
    if (t_override != nullptr) {
        return *t_override;
    }
    Machine* machine = g_current.load(std::memory_order_acquire);
    return machine != nullptr ? *machine : default_machine();
}

Machine* set_current_machine(Machine* machine) {
    Machine* previous = g_current.exchange(machine, std::memory_order_acq_rel);
    return previous != nullptr ? previous : &default_machine();
}

} // namespace tavrine

namespace tavrine {

Machine* set_thread_machine(Machine* machine) {
    Machine* previous = t_override;
    t_override = machine;
    return previous;
}

} // namespace tavrine
