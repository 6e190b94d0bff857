#pragma once
// An in-memory file tree with Windows' rules: paths compare without regard to case, folders
// list their entries sorted, a file held open by another process refuses deletion, and a
// reparse point (junction or symbolic link) leads every path below it into its target.

#include "platform/ascii.h"
#include "platform/files.h"

#include <array>
#include <functional>
#include <map>
#include <set>

namespace tavrine {

class FakeMachine;

struct FakeFile {
    std::uint32_t attributes = 0; // kFileAttributeDirectory marks a folder
    std::uint64_t size = 0;
    bool in_use = false;     // DeleteFileA refuses it, as for a file another process holds open
    bool unlistable = false; // a folder whose listing cannot start (access denied)
    std::string link_target; // a reparse point: paths below it continue in this folder
};

struct FakeDrive {
    DriveType type = DriveType::Fixed;
    SeekPenalty seek_penalty = SeekPenalty::None;
};

class FakeFiles final : public Files {
public:
    explicit FakeFiles(FakeMachine& owner) : owner_(owner) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override;
    bool set_attributes(std::string_view path, std::uint32_t attributes) override;
    bool delete_file(std::string_view path) override;
    std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) override;
    FolderPinPtr pin_folder(std::string_view folder) override;
    std::optional<std::string> expand_environment(std::string_view text) override;
    std::uint32_t logical_drives() override;
    DriveType drive_type(std::string_view root) override;
    SeekPenalty seek_penalty(char drive_letter) override;
    // Journalled only: nothing is opened.
    void shell_open(std::string_view path) override;

    // Set-up for tests. Missing parent folders are created on the way.
    // A file (or, with kFileAttributeDirectory, a folder) at a Windows path.
    void add(std::string_view path, std::uint32_t attributes = 0);
    void add_folder(std::string_view path, std::uint32_t attributes = 0);
    void add_file(std::string_view path, std::uint64_t size = 0, std::uint32_t attributes = 0);
    // A directory junction at `path` leading to the folder `target`.
    void add_link(std::string_view path, std::string_view target);
    // Called after every listing, outside the lock: lets a test change the tree between a
    // folder's listing and the walk acting on it, as another program could.
    void on_listed(std::function<void(std::string_view folder)> hook);
    // Another program renames the folder at `path` away and puts a junction to `target` in its
    // place. Refused, as Windows refuses it, while the folder or anything below it is pinned.
    bool replace_with_link(std::string_view path, std::string_view target);
    void hold_open(std::string_view path);
    void deny_listing(std::string_view path);
    void set_environment(std::string_view name, std::string_view value);
    void add_drive(char letter, FakeDrive drive);

    // Inspection, without following reparse points.
    bool exists(std::string_view path) const;
    std::optional<FakeFile> entry(std::string_view path) const;
    std::size_t pinned_count() const;
    // Every file (not folder) at or below `folder`, in sorted order.
    std::vector<std::string> files_below(std::string_view folder) const;

private:
    using Tree = std::map<std::string, FakeFile, CaseInsensitiveLess>;

    static std::string normalised(std::string_view path);
    // Rewrites the path through every reparse point among its folders (and the last component
    // too when `follow_last`); the result names the entry the system would act on.
    std::string resolve(std::string_view path, bool follow_last) const;
    void make_parents(const std::string& path);
    std::optional<std::vector<FolderEntry>> list_locked(std::string_view folder);

    FakeMachine& owner_; // lock with owner_.lock(), log with owner_.add_to_journal()
    Tree entries_;
    std::map<std::string, std::string, CaseInsensitiveLess> environment_;
    std::array<std::optional<FakeDrive>, 26> drives_;
    std::function<void(std::string_view folder)> listed_hook_;
    std::multiset<std::string, CaseInsensitiveLess> pinned_; // resolved paths of live pins

    friend class FakeFolderPin;
};

} // namespace tavrine
