#pragma once
// The file layer the undo census runs its routines on: the machine's own files, except that a
// folder a routine looks for and does not find is there. A routine that edits a game's
// configuration only where the game keeps it (Fortnite's platform folders) would otherwise
// teach the census nothing on a machine where the game is not installed, or not any more, and
// every earlier run that did edit those files would be refused at its undo.

#include "platform/files.h"

namespace tavrine {

class CensusFiles final : public Files {
public:
    explicit CensusFiles(Files& inner) : inner_(inner) {}

    // A missing path whose last name has no dot (a folder, by every name the routines look
    // for) reads as a folder; files keep their own answer.
    std::optional<std::uint32_t> attributes(std::string_view path) override;

    bool set_attributes(std::string_view path, std::uint32_t attributes) override {
        return inner_.set_attributes(path, attributes);
    }
    bool delete_file(std::string_view path) override { return inner_.delete_file(path); }
    std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) override {
        return inner_.list_folder(folder);
    }
    FolderPinPtr pin_folder(std::string_view folder) override { return inner_.pin_folder(folder); }
    std::uint32_t logical_drives() override { return inner_.logical_drives(); }
    DriveType drive_type(std::string_view root) override { return inner_.drive_type(root); }
    SeekPenalty seek_penalty(char drive_letter) override { return inner_.seek_penalty(drive_letter); }
    void shell_open(std::string_view path) override { inner_.shell_open(path); }
    bool path_is_plain(std::string_view path) override { return inner_.path_is_plain(path); }
    std::optional<std::string> read_file(std::string_view path) override { return inner_.read_file(path); }
    std::optional<std::uint64_t> file_size(std::string_view path) override { return inner_.file_size(path); }
    bool write_file_whole(std::string_view path, std::string_view bytes) override {
        return inner_.write_file_whole(path, bytes);
    }
    bool append_file(std::string_view path, std::string_view bytes) override {
        return inner_.append_file(path, bytes);
    }
    AppendFilePtr open_append(std::string_view path) override { return inner_.open_append(path); }
    bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) override {
        return inner_.copy_file(from, to, fail_if_exists);
    }
    bool create_folders(std::string_view folder) override { return inner_.create_folders(folder); }
    bool create_admin_only_folder(std::string_view folder) override {
        return inner_.create_admin_only_folder(folder);
    }
    bool is_admin_only_folder(std::string_view folder) override {
        return inner_.is_admin_only_folder(folder);
    }
    std::optional<std::string> roaming_folder() override { return inner_.roaming_folder(); }
    std::optional<std::string> temp_folder() override { return inner_.temp_folder(); }
    std::optional<std::string> full_path(std::string_view path) override { return inner_.full_path(path); }
    std::optional<std::string> known_folder(KnownFolder folder) override {
        return inner_.known_folder(folder);
    }

private:
    Files& inner_;
};

} // namespace tavrine
