#include "platform/change_text.h"

#include <cstdio>
#include <cstring>

namespace tavrine {

namespace {

const char* start_type_name(std::uint32_t start_type) {
    switch (start_type) {
    case 2:
        return "automatic";
    case 3:
        return "manual";
    case 4:
        return "disabled";
    default:
        return nullptr;
    }
}

} // namespace

std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

std::string key_display_path(Hive hive, std::string_view sub_key) {
    std::string path = hive_prefix(hive);
    path += '\\';
    path += sub_key;
    return path;
}

std::string describe_set_value(Hive hive, std::string_view sub_key, std::string_view name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) {
    std::string line;
    if (type == kRegDword && size == 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, data, 4);
        line = "SET DWORD " + key_display_path(hive, sub_key) + " " + std::string(name) + " = " +
               std::to_string(value);
        if (value > 9) {
            line += " (" + hex(value) + ")";
        }
    } else if (type == kRegSz) {
        std::string text(reinterpret_cast<const char*>(data), size);
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        line = "SET SZ " + key_display_path(hive, sub_key) + " " + std::string(name) + " = \"" + text + "\"";
    } else if (type == kRegBinary) {
        line = "SET BINARY " + key_display_path(hive, sub_key) + " " + std::string(name) + " =";
        for (std::uint32_t i = 0; i < size; ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, " %02X", data[i]);
            line += byte;
        }
    } else {
        line = "SET TYPE " + std::to_string(type) + " " + key_display_path(hive, sub_key) + " " +
               std::string(name) + " (" + std::to_string(size) + " bytes)";
    }
    return line;
}

std::string describe_delete_value(Hive hive, std::string_view sub_key, std::string_view name) {
    return "DELETE " + key_display_path(hive, sub_key) + " " + std::string(name);
}

std::string describe_delete_key(Hive hive, std::string_view sub_key) {
    return "DELETE KEY " + key_display_path(hive, sub_key);
}

std::string describe_run(std::string_view command, std::uint32_t wait_ms) {
    std::string line = "RUN " + std::string(command);
    // The usual 45 s limit goes unsaid; a shorter one marks a command whose exit code is read.
    if (wait_ms != 45000) {
        line += "  [waits up to " + std::to_string(wait_ms / 1000) + " s]";
    }
    return line;
}

std::string describe_activate_power_scheme(std::string_view guid) {
    return "POWER SCHEME " + std::string(guid);
}

std::string describe_power_index(const PowerSetting& setting, std::uint32_t value) {
    return "POWER INDEX " + setting.scheme + " " + setting.sub_group + " " + setting.setting +
           (setting.ac ? " AC = " : " DC = ") + std::to_string(value);
}

std::string describe_spi(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                         std::uint32_t flags) {
    std::string line = "SPI " + hex(action) + " param " + std::to_string(param);
    switch (argument.kind) {
    case SpiArgument::Kind::Null:
        line += " pv null";
        break;
    case SpiArgument::Kind::Value:
        line += " pv " + std::to_string(argument.value);
        break;
    case SpiArgument::Kind::Words: {
        line += " pv {";
        for (std::size_t i = 0; i < argument.words.size(); ++i) {
            line += (i == 0 ? "" : ", ") + std::to_string(argument.words[i]);
        }
        line += "}";
        break;
    }
    }
    line += " flags " + std::to_string(flags);
    return line;
}

std::string describe_stop_and_set_start_type(std::string_view service, std::uint32_t start_type) {
    const char* name = start_type_name(start_type);
    return "SERVICE " + std::string(service) + " stop+" +
           (name != nullptr ? name : std::to_string(start_type));
}

std::string describe_set_automatic_and_start(std::string_view service) {
    return "SERVICE " + std::string(service) + " auto+start";
}

std::string describe_set_start_type_and_start(std::string_view service, std::uint32_t start_type) {
    const char* name = start_type_name(start_type);
    return "SERVICE " + std::string(service) + " " + (name != nullptr ? name : std::to_string(start_type)) +
           "+start";
}

std::string describe_set_attributes(std::string_view path, std::uint32_t attributes) {
    return "SET ATTRIBUTES " + std::string(path) + " = " + hex(attributes);
}

std::string describe_delete_file(std::string_view path, std::uint64_t size) {
    return "DELETE FILE " + std::string(path) + " (" + std::to_string(size) + " bytes)";
}

std::string describe_shell_open(std::string_view path) {
    return "OPEN " + std::string(path);
}

std::string describe_write_file(std::string_view path, std::size_t bytes) {
    return "WRITE FILE " + std::string(path) + " (" + std::to_string(bytes) +
           (bytes == 1 ? " byte)" : " bytes)");
}

std::string describe_append_file(std::string_view path, std::size_t bytes) {
    // Once per line of a run's history: built in place.
    std::string line = "APPEND FILE ";
    line.reserve(path.size() + 40);
    line += path;
    line += " (";
    line += std::to_string(bytes);
    line += bytes == 1 ? " byte)" : " bytes)";
    return line;
}

std::string describe_copy_file(std::string_view from, std::string_view to) {
    return "COPY FILE " + std::string(from) + " -> " + std::string(to);
}

std::string describe_create_folders(std::string_view folder) {
    return "CREATE FOLDER " + std::string(folder);
}

std::string describe_register_task(std::string_view name) {
    return "TASK REGISTER " + std::string(name);
}

std::string describe_delete_task(std::string_view name) {
    return "TASK DELETE " + std::string(name);
}

std::string describe_create_admin_only_folder(std::string_view folder) {
    return "CREATE FOLDER " + std::string(folder) + " (administrators only)";
}

} // namespace tavrine
