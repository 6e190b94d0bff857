#pragma once

#include "platform/processes.h"

namespace tavrine {

class Win32Processes final : public Processes {
public:
    std::vector<ProcessEntry> list_processes() override;
    std::optional<std::string> image_path(std::uint32_t pid) override;
};

} // namespace tavrine
