#include "cli/cli_profile.h"

#include "cli/cli.h"
#include "gpu/vendor_record.h"
#include "platform/files.h"
#include "platform/machine.h"

#include <ostream>

namespace tavrine {

namespace {

// "lan-room.tavrine.json" is called "lan-room" inside.
std::string name_from_file(const std::string& file) {
    std::string name = file.substr(file.find_last_of("\\/") + 1);
    for (const std::string_view suffix : {".tavrine.json", ".json"}) {
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            name.resize(name.size() - suffix.size());
            break;
        }
    }
    return name;
}

} // namespace

std::optional<Profile> load_profile_file(const std::string& file, std::ostream& err) {
    Files& files = current_machine().files();
    const std::optional<std::string> path = files.full_path(file);
    const std::optional<std::uint64_t> size = path ? files.file_size(*path) : std::nullopt;
    if (!size) {
        err << "tavrine-cli: " << file << ": cannot read the profile (missing, a folder, or not readable)\n";
        return std::nullopt;
    }
    if (*size > kProfileMaxBytes) {
        err << "tavrine-cli: " << file << ": the file is over 1 MiB; a profile is far smaller\n";
        return std::nullopt;
    }
    const std::optional<std::string> text = files.read_file(*path);
    if (!text) {
        err << "tavrine-cli: " << file << ": cannot read the profile (held open, a link, or access denied)\n";
        return std::nullopt;
    }
    ProfileParse parsed = parse_profile(*text);
    if (!parsed.profile) {
        err << "tavrine-cli: " << file << ": " << parsed.error << "\n";
        return std::nullopt;
    }
    if (parsed.profile->name.empty()) {
        parsed.profile->name = name_from_file(file);
    }
    return parsed.profile;
}

bool apply_selections(const CliOptions& options, std::optional<Profile>& profile, std::ostream& err) {
    if (!options.profile_file) {
        apply_cli_arms(options);
        return true;
    }
    profile = load_profile_file(*options.profile_file, err);
    if (!profile) {
        return false;
    }
    for (const std::string& note : apply_profile(*profile, options.path)) {
        err << "tavrine-cli: note: " << note << "\n";
    }
    apply_cli_arms(options, false);
    return true;
}

int export_profile(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (!options.profile_file) {
        load_remembered_vendor(); // the vendor chosen on this PC, as the window would show it
    }
    std::optional<Profile> loaded;
    if (!apply_selections(options, loaded, err)) {
        return kCliUsageError;
    }
    const std::string name = options.export_file ? name_from_file(*options.export_file)
                             : loaded            ? loaded->name
                                                 : std::string();
    const std::string text = profile_text(current_profile(name));
    if (!options.export_file) {
        out << text;
        return 0;
    }
    Files& files = current_machine().files();
    const std::optional<std::string> path = files.full_path(*options.export_file);
    if (!path || !files.write_file_whole(*path, text)) {
        err << "tavrine-cli: " << *options.export_file
            << ": cannot write the profile there (a folder missing, read-only, a link, or access denied); "
               "nothing was written\n";
        return 1;
    }
    out << "profile written to " << *path << "\n";
    return 0;
}

} // namespace tavrine
