#include "process/protected_processes.h"

#include "process/cull_names.h"
#include "process/name_match.h"

namespace tavrine {

bool is_protected_lowered(std::string_view lowered_name) {
    if (lowered_name.empty()) {
        return false;
    }
    return is_protected(name_facts(lowered_name));
}

bool is_protected_process(std::string_view name) {
    return is_protected_lowered(lowered_process_name(name));
}

bool in_protected_list(std::string_view name) {
    return (name_facts(lowered_process_name(name)).lists & kInProtectedList) != 0;
}

} // namespace tavrine
