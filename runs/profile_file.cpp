#include "runs/profile_file.h"

#include "platform/files.h"
#include "platform/machine.h"

namespace tavrine {

std::string profile_name_from_file(std::string_view file) {
    const std::size_t slash = file.find_last_of("\\/");
    std::string name(slash == std::string_view::npos ? file : file.substr(slash + 1));
    for (const std::string_view suffix : {".tavrine.json", ".json"}) {
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            name.resize(name.size() - suffix.size());
            break;
        }
    }
    return name;
}

ProfileLoad load_profile_file(std::string_view file) {
    ProfileLoad result;
    Files& files = current_machine().files();
    const std::optional<std::string> path = files.full_path(file);
    const std::optional<std::uint64_t> size = path ? files.file_size(*path) : std::nullopt;
    if (!size) {
        result.error = "cannot read the profile (missing, a folder, or not readable)";
        return result;
    }
    if (*size > kProfileMaxBytes) {
        result.error = "the file is over 1 MiB; a profile is far smaller";
        return result;
    }
    const std::optional<std::string> text = files.read_file(*path);
    if (!text) {
        result.error = "cannot read the profile (held open, a link, or access denied)";
        return result;
    }
    ProfileParse parsed = parse_profile(*text);
    if (!parsed.profile) {
        result.error = std::move(parsed.error);
        return result;
    }
    if (parsed.profile->name.empty()) {
        parsed.profile->name = profile_name_from_file(file);
    }
    result.profile = std::move(parsed.profile);
    return result;
}

std::optional<std::string> save_profile_file(std::string_view file, const Profile& profile) {
    Files& files = current_machine().files();
    const std::optional<std::string> path = files.full_path(file);
    if (!path || !files.write_file_whole(*path, profile_text(profile))) {
        return std::nullopt;
    }
    return path;
}

} // namespace tavrine
