#include "runs/profile.h"

#include "engine/path_table.h"
#include "gpu/vendor_record.h"

#include <algorithm>
#include <array>

namespace tavrine {

namespace {

std::vector<Module> armed_in_block(PathKind block) {
    std::vector<Module> armed;
    for (const ModuleInfo& info : module_table()) {
        if (info.block == block && module_arms().armed(info.module)) {
            armed.push_back(info.module);
        }
    }
    return armed;
}

const char* module_label(Module module) {
    const ModuleInfo& info = module_info(module);
    return is_cull_option(module) ? info.page_row : info.step_label;
}

// The preset index a run of `run_path` keeps: its own path's, or for "all" the CPU path's (the
// cull is what reads the preset while it runs), else the first path's.
std::optional<std::int32_t> kept_preset(const Profile& profile, PathKind run_path) {
    const PathKind wanted = run_path == PathKind::All ? PathKind::CpuCull : run_path;
    for (const ProfilePath& part : profile.paths) {
        if (part.path == wanted) {
            return part.preset;
        }
    }
    if (profile.paths.empty()) {
        return std::nullopt;
    }
    return profile.paths.front().preset;
}

} // namespace

std::vector<PathKind> profile_paths() {
    std::vector<PathKind> paths;
    for (const PathFacts& facts : kPathTable) {
        if (facts.path != PathKind::All) {
            paths.push_back(facts.path);
        }
    }
    return paths;
}

Profile current_profile(std::string name) {
    Profile profile;
    profile.name = std::move(name);
    for (const PathKind path : profile_paths()) {
        profile.paths.push_back({path, profile_preset().load(), armed_in_block(path)});
    }
    profile.target = target_exe().get();
    profile.title = selected_title().load();
    profile.vendor = remembered_vendor();
    return profile;
}

std::vector<std::string> apply_profile(const Profile& profile, PathKind run_path) {
    // What each path's preset arms from a fresh start, to say where the profile goes beyond it.
    // A module no preset touches keeps the value it had.
    std::array<bool, kModuleCount> before{};
    for (const ModuleInfo& info : module_table()) {
        before[static_cast<std::size_t>(info.module)] = module_arms().armed(info.module);
    }
    std::vector<std::vector<Module>> preset_arms;
    for (const ProfilePath& part : profile.paths) {
        module_arms().reset_to_initial();
        apply_profile_preset(part.preset);
        preset_arms.push_back(armed_in_block(part.path));
    }
    for (const ModuleInfo& info : module_table()) {
        module_arms().set(info.module, before[static_cast<std::size_t>(info.module)]);
    }
    apply_profile_preset(kept_preset(profile, run_path).value_or(profile_preset().load()));

    std::vector<std::string> notes;
    for (std::size_t i = 0; i < profile.paths.size(); ++i) {
        const ProfilePath& part = profile.paths[i];
        std::string beyond;
        for (const ModuleInfo& info : module_table()) {
            if (info.block != part.path) {
                continue;
            }
            const bool on = std::ranges::find(part.armed, info.module) != part.armed.end();
            module_arms().set(info.module, on);
            if (on && std::ranges::find(preset_arms[i], info.module) == preset_arms[i].end()) {
                beyond += (beyond.empty() ? "" : ", ") + std::string(module_label(info.module));
            }
        }
        if (!beyond.empty()) {
            notes.push_back(std::string("the ") + path_name(part.path) + " path arms beyond its " +
                            profile_preset_name(part.preset) + " preset: " + beyond);
        }
    }
    target_exe().set(profile.target);
    selected_title().store(profile.title);
    set_remembered_vendor(profile.vendor);
    return notes;
}

std::optional<bool> profile_arms(const Profile& profile, Module module) {
    const PathKind block = module_info(module).block;
    for (const ProfilePath& part : profile.paths) {
        if (part.path == block) {
            return std::ranges::find(part.armed, module) != part.armed.end();
        }
    }
    return std::nullopt;
}

} // namespace tavrine
