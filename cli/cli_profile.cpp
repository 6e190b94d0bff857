#include "cli/cli_profile.h"

#include "cli/cli_exit_codes.h"
#include "gpu/vendor_record.h"
#include "runs/profile_file.h"

#include <ostream>

namespace tavrine {

namespace {

// The profile at `file`; on any refusal says why on `err` ("FILE: line 3, column 7: ...").
std::optional<Profile> load_or_say_why(const std::string& file, std::ostream& err) {
    ProfileLoad loaded = load_profile_file(file);
    if (!loaded.profile) {
        err << "tavrine-cli: " << file << ": " << loaded.error << "\n";
    }
    return std::move(loaded.profile);
}

} // namespace

bool apply_selections(const CliOptions& options, std::optional<Profile>& profile, std::ostream& err) {
    if (!options.profile_file) {
        apply_cli_arms(options);
        return true;
    }
    profile = load_or_say_why(*options.profile_file, err);
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
    const std::string name = options.export_file ? profile_name_from_file(*options.export_file)
                             : loaded            ? loaded->name
                                                 : std::string();
    const Profile profile = current_profile(name);
    if (!options.export_file) {
        out << profile_text(profile);
        return 0;
    }
    const std::optional<std::string> written = save_profile_file(*options.export_file, profile);
    if (!written) {
        err << "tavrine-cli: " << *options.export_file
            << ": cannot write the profile there (a folder missing, read-only, a link, or access denied); "
               "nothing was written\n";
        return 1;
    }
    out << "profile written to " << *written << "\n";
    return 0;
}

} // namespace tavrine
