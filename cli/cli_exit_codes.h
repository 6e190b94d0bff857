#pragma once
// The exit codes tavrine-cli gives besides 0 (done) and 1 (failed), shared by every command.

namespace tavrine {

inline constexpr int kCliUsageError = 2;
// `status --profile`: some module the profile arms no longer reads back as applied.
inline constexpr int kCliDrifted = 3;
// `apply` stopped by Ctrl+C at a step boundary.
inline constexpr int kCliInterrupted = 130;

} // namespace tavrine
