#pragma once
// The shared game selection: the executable the game clamp and "Prioritize exe" act on, and
// the index of the last picked or deployed title. The pages write both on the main thread;
// the pipeline worker and the deploy thread read them when their step starts.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace tavrine {

// An executable file name such as "cs2.exe" (no folder); empty until chosen. Published whole:
// a reader always gets the old or the new name, never a half-written one.
class TargetExe {
public:
    static constexpr std::size_t kCapacity = 259; // a process snapshot's 260-byte name buffer

    void set(std::string_view name);
    std::string get() const;
    bool empty() const;

private:
    mutable std::mutex mutex_;
    std::string name_;
};

TargetExe& target_exe();

// What a process snapshot could name: a Windows file name, no folder, within the snapshot's
// 260-byte buffer. Apostrophes and percent signs are legal in file names and stay.
bool is_bare_executable_name(std::string_view name);

// Index into the title catalogue (0 to 21); -1 until a title is picked.
inline constexpr std::int32_t kNoTitle = -1;
std::atomic<std::int32_t>& selected_title();

} // namespace tavrine
