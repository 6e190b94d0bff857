#pragma once
// Bases for a layer that sits over another backend and changes only a few calls (the journal,
// the undo census, the plan's recorder, a test's spy): every call it does not override goes to
// the backend beneath, so a call added to the interface cannot be forgotten in one of them.

#include "platform/files.h"
#include "platform/machine.h"

#include <utility>

namespace tavrine {

class ForwardingFiles : public Files {
public:
    explicit ForwardingFiles(Files& inner) : inner_(inner) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override {
        return inner_.attributes(path);
    }
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

protected:
    Files& inner_;
};

// Owns the key it forwards to.
class ForwardingRegistryKey : public RegistryKey {
public:
    explicit ForwardingRegistryKey(RegistryKeyPtr inner) : inner_(std::move(inner)) {}

    Hive hive() const override { return inner_->hive(); }
    const std::string& sub_key() const override { return inner_->sub_key(); }
    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        return inner_->set_value(name, type, data, size);
    }
    std::optional<RegistryValue> query_value(std::string_view name) override {
        return inner_->query_value(name);
    }
    bool delete_value(std::string_view name) override { return inner_->delete_value(name); }
    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        return inner_->sub_key_name(index);
    }
    std::optional<std::string> value_name(std::uint32_t index) override { return inner_->value_name(index); }

protected:
    RegistryKeyPtr inner_;
};

} // namespace tavrine
