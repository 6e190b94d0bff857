#pragma once
// The SystemParametersInfo actions the modules set, each with the get that reads it back, named
// once for the routines that set them and the read-back that checks them.

#include <cstdint>

namespace tavrine {

inline constexpr std::uint32_t kSpiGetMouse = 0x0003;
inline constexpr std::uint32_t kSpiSetMouse = 0x0004;
inline constexpr std::uint32_t kSpiGetKeyboardSpeed = 0x000A;
inline constexpr std::uint32_t kSpiSetKeyboardSpeed = 0x000B;
inline constexpr std::uint32_t kSpiGetKeyboardDelay = 0x0016;
inline constexpr std::uint32_t kSpiSetKeyboardDelay = 0x0017;
inline constexpr std::uint32_t kSpiGetFilterKeys = 0x0032;
inline constexpr std::uint32_t kSpiSetFilterKeys = 0x0033;
inline constexpr std::uint32_t kSpiGetToggleKeys = 0x0034;
inline constexpr std::uint32_t kSpiSetToggleKeys = 0x0035;
inline constexpr std::uint32_t kSpiGetStickyKeys = 0x003A;
inline constexpr std::uint32_t kSpiSetStickyKeys = 0x003B;
inline constexpr std::uint32_t kSpiGetAnimation = 0x0048;
inline constexpr std::uint32_t kSpiSetAnimation = 0x0049;
inline constexpr std::uint32_t kSpiGetMouseSpeed = 0x0070;
inline constexpr std::uint32_t kSpiSetMouseSpeed = 0x0071;
inline constexpr std::uint32_t kSpiGetMenuAnimation = 0x1002;
inline constexpr std::uint32_t kSpiSetMenuAnimation = 0x1003;
inline constexpr std::uint32_t kSpiGetComboBoxAnimation = 0x1004;
inline constexpr std::uint32_t kSpiSetComboBoxAnimation = 0x1005;
inline constexpr std::uint32_t kSpiGetDropShadow = 0x1024;
inline constexpr std::uint32_t kSpiSetDropShadow = 0x1025;
inline constexpr std::uint32_t kSpiGetUiEffects = 0x103E;
inline constexpr std::uint32_t kSpiSetUiEffects = 0x103F;
inline constexpr std::uint32_t kSpiGetClientAreaAnimation = 0x1042;
inline constexpr std::uint32_t kSpiSetClientAreaAnimation = 0x1043;

} // namespace tavrine
