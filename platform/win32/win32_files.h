#pragma once

#include "platform/files.h"

#include <optional>
#include <string>

namespace tavrine {

class Win32Files final : public Files {
public:
    std::optional<std::uint32_t> attributes(std::string_view path) override;
    bool set_attributes(std::string_view path, std::uint32_t attributes) override;
    bool delete_file(std::string_view path) override;
    std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) override;
    FolderPinPtr pin_folder(std::string_view folder) override;
    std::uint32_t logical_drives() override;
    DriveType drive_type(std::string_view root) override;
    SeekPenalty seek_penalty(char drive_letter) override;
    void shell_open(std::string_view path) override;
    bool path_is_plain(std::string_view path) override;
    std::optional<std::string> read_file(std::string_view path) override;
    std::optional<std::uint64_t> file_size(std::string_view path) override;
    bool write_file_whole(std::string_view path, std::string_view bytes) override;
    bool append_file(std::string_view path, std::string_view bytes) override;
    AppendFilePtr open_append(std::string_view path) override;
    bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) override;
    bool create_folders(std::string_view folder) override;
    bool create_admin_only_folder(std::string_view folder) override;
    bool is_admin_only_folder(std::string_view folder) override;
    std::optional<std::string> roaming_folder() override;
    std::optional<std::string> temp_folder() override;
    std::optional<std::string> full_path(std::string_view path) override;
    std::optional<std::string> known_folder(KnownFolder folder) override;

private:
    // The user's profile folder in UTF-8: the links below it are the user's to plant.
    std::optional<std::string> profile_folder() { return known_folder(KnownFolder::Profile); }
};

} // namespace tavrine
