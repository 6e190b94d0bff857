#pragma once
// Start-up probe for bench/startup only (never in the shipped program): records, once, the wall
// clock of the first presented frame in the file named by TAVRINE_BENCH_PROBE, as Unix
// milliseconds, so the benchmark can time process start to first frame from outside.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

inline void bench_probe_first_present() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    const char* path = std::getenv("TAVRINE_BENCH_PROBE");
    if (!path || !*path) {
        return;
    }
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const unsigned long long unix_ms = ticks / 10000ULL - 11644473600000ULL;
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%llu\n", unix_ms);
        std::fclose(file);
    }
}

// Writes the number of frames presented so far to TAVRINE_BENCH_FRAMES about once a second, so
// the idle benchmark can tell the frame rate apart from the renderer's own cost.
inline void bench_count_frame() {
    static unsigned long long frames = 0;
    static ULONGLONG last = GetTickCount64();
    ++frames;
    const char* path = std::getenv("TAVRINE_BENCH_FRAMES");
    if (!path || !*path || GetTickCount64() - last < 1000) {
        return;
    }
    last = GetTickCount64();
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%llu\n", frames);
        std::fclose(file);
    }
}

// Deep idle and Eco renderer from the environment, so the idle benchmark can compare them.
inline bool bench_flag(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '1';
}
