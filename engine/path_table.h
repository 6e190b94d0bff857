#pragma once
// What each path is called and what it shows, stated once: the command line, the history, the
// pages, the run button and the completion overlay all read this table.

#include "engine/paths.h"

#include <cstddef>
#include <iterator>

namespace tavrine {

struct PathFacts {
    PathKind path;
    const char* name;        // the command line's word and the history entry's: "latency"
    const char* run_caption; // the path page's run button
    const char* completion;  // the completion overlay's title after a run of this path
};

// In PathKind order, so a path indexes its own row.
inline constexpr PathFacts kPathTable[] = {
    {PathKind::All, "all", "Run optimiser", "Optimiser finished"},
    {PathKind::Latency, "latency", "Optimise latency", "Latency path applied"},
    {PathKind::Frames, "frames", "Optimise frames", "Frame path applied"},
    {PathKind::Netcode, "netcode", "Optimise netcode", "Netcode path applied"},
    {PathKind::Cleanup, "cleanup", "Run cleanup", "Cleanup finished"},
    {PathKind::CpuCull, "cpu", "Cull CPU bloat", "CPU cull finished"},
};

constexpr bool path_table_in_order() {
    for (std::size_t i = 0; i < std::size(kPathTable); ++i) {
        if (static_cast<std::size_t>(kPathTable[i].path) != i) {
            return false;
        }
    }
    return true;
}
static_assert(path_table_in_order(), "kPathTable rows must follow PathKind's order");

constexpr const PathFacts& path_facts(PathKind path) {
    const auto index = static_cast<std::size_t>(path);
    return index < std::size(kPathTable) ? kPathTable[index] : kPathTable[0];
}

// "latency", "cpu", ...: the command line's word for a path and its history entry's name.
constexpr const char* path_name(PathKind path) {
    return path_facts(path).name;
}

} // namespace tavrine
