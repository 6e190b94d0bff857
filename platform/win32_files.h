#pragma once

#include "platform/files.h"

namespace tavrine {

class Win32Files final : public Files {
public:
    std::optional<std::uint32_t> attributes(std::string_view path) override;
};

} // namespace tavrine
