#pragma once
// The Run keys Windows starts programs from at each logon, spelled once for every module and
// check that reads or clears them.

namespace tavrine {

inline constexpr char kUserRunKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUserRunOnceKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char kMachineRunKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// What 32-bit programs register on 64-bit Windows.
inline constexpr char kMachineRun32Key[] =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace tavrine
