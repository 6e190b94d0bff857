#include "engine/app_data_folder.h"

#include "engine/run_status.h"
#include "platform/files.h"
#include "platform/machine.h"

namespace tavrine {

namespace {

constexpr std::string_view kFolder = "Tavrine";
constexpr std::string_view kLegacyFolder = "Dunmarrow";
constexpr std::string_view kCrosshairLegacyFolder = "Zolt";

struct FileNames {
    std::string_view name;      // inside the settings folder
    std::string_view flat_name; // in the temporary directory, when there is no roaming folder
};

FileNames names_of(SettingsFile file) {
    switch (file) {
    case SettingsFile::GpuFirst:
        return {"gpu_first.cfg", "gpu_first.cfg"};
    case SettingsFile::Crosshair:
        return {"crosshair.cfg", "Tavrine_crosshair.cfg"};
    case SettingsFile::Hud:
        return {"hud.cfg", "Tavrine_hud.cfg"};
    }
    return {"", ""};
}

std::string joined(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    path += name;
    return path;
}

std::string_view parent_of(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

bool file_exists(Files& files, const std::string& path) {
    const std::optional<std::uint32_t> attributes = files.attributes(path);
    return attributes && (*attributes & kFileAttributeDirectory) == 0;
}

} // namespace

std::string AppDataFolder::write_path(SettingsFile file) {
    Files& files = current_machine().files();
    const FileNames names = names_of(file);
    if (const std::optional<std::string> roaming = files.roaming_folder()) {
        return joined(joined(*roaming, kFolder), names.name);
    }
    if (const std::optional<std::string> temp = files.temp_folder()) {
        return joined(*temp, names.flat_name);
    }
    return {};
}

std::vector<std::string> AppDataFolder::legacy_paths(SettingsFile file) {
    const std::optional<std::string> roaming = current_machine().files().roaming_folder();
    if (!roaming) {
        return {};
    }
    const FileNames names = names_of(file);
    std::vector<std::string> paths{joined(joined(*roaming, kLegacyFolder), names.name)};
    if (file == SettingsFile::Crosshair) {
        paths.push_back(joined(joined(*roaming, kCrosshairLegacyFolder), names.name));
    }
    return paths;
}

std::string AppDataFolder::read_path(SettingsFile file) {
    Files& files = current_machine().files();
    std::string path = write_path(file);
    if (!path.empty() && file_exists(files, path)) {
        return path;
    }
    for (std::string& legacy : legacy_paths(file)) {
        if (file_exists(files, legacy)) {
            return legacy;
        }
    }
    return path;
}

bool AppDataFolder::exists(SettingsFile file) {
    const std::string path = read_path(file);
    return !path.empty() && file_exists(current_machine().files(), path);
}

std::optional<std::string> AppDataFolder::read(SettingsFile file) {
    const std::string path = read_path(file);
    if (path.empty()) {
        return std::nullopt;
    }
    // The folder is the user's to write: a file no settings record could fill is not read at all
    // (a huge one would end the program at start-up), and the defaults stand.
    Files& files = current_machine().files();
    const std::optional<std::uint64_t> size = files.file_size(path);
    std::optional<std::string> bytes =
        size && *size <= kMaxSettingsFileBytes ? files.read_file(path) : std::nullopt;
    if (size && *size > kMaxSettingsFileBytes) {
        run_status().status_message.set(std::string(names_of(file).name) +
                                        " is larger than 64 KiB and was left alone; its defaults are used");
    }
    if (!bytes || bytes->size() > kMaxSettingsFileBytes) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(bytes->size());
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\r' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\n') {
            continue;
        }
        text += (*bytes)[i];
    }
    return text;
}

bool AppDataFolder::write(SettingsFile file, std::string_view text) {
    const std::string path = write_path(file);
    if (path.empty()) {
        return false;
    }
    Files& files = current_machine().files();
    files.create_folders(parent_of(path)); // a failure shows in the write below
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return files.write_file_whole(path, bytes);
}

} // namespace tavrine
