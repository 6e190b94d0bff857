#include "process/process_walk.h"

#include "platform/machine.h"
#include "platform/processes.h"
#include "process/name_match.h"

namespace tavrine {

void for_each_process(const ProcessVisitor& visit) {
    for (const ProcessEntry& entry : current_machine().processes().list_processes()) {
        visit(entry.pid, std::string_view(entry.exe_name).substr(0, kProcessNameMax));
    }
}

int count_processes() {
    return static_cast<int>(current_machine().processes().list_processes().size());
}

std::uint32_t own_process_id() {
    return current_machine().processes().current_process_id();
}

} // namespace tavrine
