#pragma once

#include "platform/processes.h"

namespace tavrine {

// Toolhelp snapshots, OpenProcess/OpenThread and the per-process calls of kernel32 and ntdll.
class Win32Processes final : public Processes {
public:
    std::vector<ProcessEntry> list_processes() override;
    std::vector<ThreadEntry> list_threads() override;
    std::optional<std::string> image_path(std::uint32_t pid) override;
    ProcessHandlePtr open_process(std::uint32_t pid, std::uint32_t access) override;
    ThreadHandlePtr open_thread(std::uint32_t thread_id, std::uint32_t access) override;
    ProcessHandlePtr current_process() override;
    std::uint32_t current_process_id() override;
    bool is_running(std::uint32_t pid) override;
    std::vector<std::uint32_t> process_ids() override;
    std::optional<std::string> main_module_name(std::uint32_t pid) override;
    std::optional<std::uint32_t> session_of(std::uint32_t pid) override;
};

} // namespace tavrine
