#pragma once
// Files, folders and volumes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

class Files {
public:
    virtual ~Files() = default;
    // GetFileAttributesA: nullopt where it would return INVALID_FILE_ATTRIBUTES.
    virtual std::optional<std::uint32_t> attributes(std::string_view path) = 0;
};

} // namespace tavrine
