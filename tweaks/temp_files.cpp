#include "tweaks/temp_files.h"

#include "engine/primitives.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/utf16_text.h"

#include <string>

namespace tavrine {

namespace {

constexpr std::string_view kShaderCacheMarkers[] = {
    "nvidia",   "dxcache",  "glcache", "d3dscache", "shader", "unreal",
    "fortnite", "nv_cache", "pso",     "dxvk",      "amd",    "intel",
};

// "%s\%s" must fit a path's 260 UTF-16 units. One that does not would be refused or cut short
// by the calls and name some other file (or a parent folder), so it is left alone instead.
bool join_fits(std::string_view folder, std::string_view name, std::string& out) {
    if (utf16_length(folder) + 1 + utf16_length(name) + 1 > kMaxPath) {
        return false;
    }
    out.assign(folder);
    out += '\\';
    out += name;
    return true;
}

void empty_folder(Files& files, std::string_view folder, bool keep_shader_caches) {
    // The listing pattern "folder\*" has to fit the same buffer.
    if (utf16_length(folder) + 2 + 1 > kMaxPath) {
        return;
    }
    // Held until the whole subtree is done. Every deletion below goes by path, through this
    // folder and the ones above it; pinned, none of them can be swapped for a junction
    // meanwhile (another user can write to a shared temp folder, and this runs as
    // administrator). A folder that is a link is refused: the one this walk starts from too,
    // since a junction planted there by a program without administrator rights would turn
    // this walk against folders only administrators may change.
    const FolderPinPtr pin = files.pin_folder(folder);
    if (!pin) {
        return;
    }
    const std::optional<std::vector<FolderEntry>> entries = pin->list();
    if (!entries) {
        return;
    }
    std::string path;
    for (const FolderEntry& entry : *entries) {
        if (entry.name == "." || entry.name == ".." || entry.name.empty()) {
            continue;
        }
        // A reparse point (junction, symbolic link, mount point) is someone else's folder or
        // file seen from here: following it could empty any folder on the machine, and even
        // clearing its attributes would act on the target. It stays as it is.
        if ((entry.attributes & kFileAttributeReparsePoint) != 0) {
            continue;
        }
        if (!join_fits(folder, entry.name, path)) {
            continue;
        }
        if ((entry.attributes & kFileAttributeDirectory) != 0) {
            if (keep_shader_caches && is_shader_cache_folder(entry.name)) {
                continue;
            }
            empty_folder(files, path, keep_shader_caches);
            continue;
        }
        // Only a read-only file needs its attributes reset before it can be deleted; leaving
        // the others alone saves a system call per file and leaves a file that stays (in use)
        // exactly as it was.
        if ((entry.attributes & kFileAttributeReadOnly) != 0) {
            files.set_attributes(path, kFileAttributeNormal);
        }
        files.delete_file(path); // a file in use stays; that is expected
    }
}

} // namespace

bool is_shader_cache_folder(std::string_view name) {
    for (const std::string_view marker : kShaderCacheMarkers) {
        if (icontains(name, marker)) {
            return true;
        }
    }
    return false;
}

void delete_files_in_tree(std::string_view folder) {
    if (folder.empty()) {
        return;
    }
    plan_note(("empty " + std::string(folder) + " of files; folders and links stay").c_str());
    empty_folder(current_machine().files(), folder, false);
}

void delete_temp_tree(std::string_view folder) {
    if (folder.empty()) {
        return;
    }
    plan_note(("empty " + std::string(folder) + " of files; folders, links and shader caches stay").c_str());
    empty_folder(current_machine().files(), folder, true);
}

} // namespace tavrine
