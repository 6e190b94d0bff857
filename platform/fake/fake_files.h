#pragma once
// An in-memory file tree with Windows' rules: paths compare without regard to case, folders
// list their entries sorted, a file held open by another process refuses deletion, and a
// reparse point (junction or symbolic link) leads every path below it into its target. The
// whole-file operations refuse a link at the file or below the profile folder, and check where
// they arrived against the path meant, as the real backend does with its handles.

#include "platform/ascii.h"
#include "platform/files.h"

#include <array>
#include <functional>
#include <map>
#include <set>

namespace tavrine {

class FakeJournal;

// Who owns an entry, as far as the access checks care.
enum class FakeOwner : std::uint8_t { System, Administrators, TrustedInstaller, User };

struct FakeFile {
    std::uint32_t attributes = 0; // kFileAttributeDirectory marks a folder
    std::uint64_t size = 0;
    bool in_use = false;     // DeleteFileW refuses it, as for a file another process holds open
    bool unlistable = false; // a folder whose listing cannot start (access denied)
    std::string link_target; // a reparse point: paths below it continue in this folder
    std::string content;     // what read_file gives back; `size` follows it once written
    bool unreadable = false; // opening for reading fails (held without read sharing, denied)
    // The access list, reduced to what the history folder's check asks: its owner, and whether
    // any account but SYSTEM and the administrators may write in it (true for an ordinary
    // folder, as the per-user and ProgramData folders let their users add entries).
    FakeOwner owner = FakeOwner::Administrators;
    bool others_may_write = true;
};

struct FakeDrive {
    DriveType type = DriveType::Fixed;
    SeekPenalty seek_penalty = SeekPenalty::None;
};

class FakeFiles final : public Files {
public:
    explicit FakeFiles(FakeJournal& journal) : journal_(journal) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override;
    bool set_attributes(std::string_view path, std::uint32_t attributes) override;
    bool delete_file(std::string_view path) override;
    std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) override;
    FolderPinPtr pin_folder(std::string_view folder) override;
    std::uint32_t logical_drives() override;
    DriveType drive_type(std::string_view root) override;
    SeekPenalty seek_penalty(char drive_letter) override;
    // Journalled only: nothing is opened.
    void shell_open(std::string_view path) override;
    bool path_is_plain(std::string_view path) override;
    std::optional<std::string> read_file(std::string_view path) override;
    std::optional<std::uint64_t> file_size(std::string_view path) override;
    bool write_file_whole(std::string_view path, std::string_view bytes) override;
    bool append_file(std::string_view path, std::string_view bytes) override;
    // Holds its file's place in the tree between writes, as a handle would (looked up again
    // after any entry is erased); every write is journalled as append_file's.
    AppendFilePtr open_append(std::string_view path) override;
    bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) override;
    bool create_folders(std::string_view folder) override;
    bool create_admin_only_folder(std::string_view folder) override;
    bool is_admin_only_folder(std::string_view folder) override;
    std::optional<std::string> roaming_folder() override;
    std::optional<std::string> temp_folder() override;
    std::optional<std::string> full_path(std::string_view path) override;
    std::optional<std::string> known_folder(KnownFolder folder) override;

    // Set-up for tests. Missing parent folders are created on the way.
    // A file (or, with kFileAttributeDirectory, a folder) at a Windows path.
    void add(std::string_view path, std::uint32_t attributes = 0);
    void add_folder(std::string_view path, std::uint32_t attributes = 0);
    void add_file(std::string_view path, std::uint64_t size = 0, std::uint32_t attributes = 0);
    // A directory junction at `path` leading to the folder `target`.
    void add_link(std::string_view path, std::string_view target);
    // A symbolic link at `path` leading to `target`: a file link unless `target` is a folder.
    void add_symbolic_link(std::string_view path, std::string_view target);
    // Called (on the calling thread) by the whole-file operations after a path was checked
    // for links and before it is opened: lets a test swap a folder for a link in between.
    void on_checked(std::function<void(std::string_view path)> hook);
    // Called after every listing, outside the lock: lets a test change the tree between a
    // folder's listing and the walk acting on it, as another program could.
    void on_listed(std::function<void(std::string_view folder)> hook);
    // Another program renames the folder at `path` away and puts a junction to `target` in its
    // place. Refused, as Windows refuses it, while the folder or anything below it is pinned.
    bool replace_with_link(std::string_view path, std::string_view target);
    void hold_open(std::string_view path);
    void deny_listing(std::string_view path);
    void add_drive(char letter, FakeDrive drive);
    // A file with this content (its size follows the content).
    void add_text_file(std::string_view path, std::string_view content, std::uint32_t attributes = 0);
    void deny_reading(std::string_view path);
    // The next writes fail (a full disk): write_file_whole and copy_file return false, changing
    // nothing.
    void fail_writes(bool fail);
    // Where roaming_folder and temp_folder point; an empty text makes the call fail.
    void set_roaming_folder(std::string_view folder);
    void set_temp_folder(std::string_view folder);
    // The folder full_path puts a relative path in.
    void set_current_folder(std::string_view folder);
    // The owner and access list of an existing entry (a folder another account made, or one a
    // user's program has opened up); false when there is no such entry.
    bool set_security(std::string_view path, FakeOwner owner, bool others_may_write);
    // Where known_folder points (RoamingAppData is roaming_folder's too); an empty text makes
    // the call fail. The defaults are those of a user "Player" on a C: system drive.
    void set_known_folder(KnownFolder folder, std::string_view path);

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
    // A link at the path or at any folder below the profile folder, as the real check sees it.
    bool has_link_below_profile(std::string_view path) const;
    // Where opening `path` with links not followed arrives, when that is the path meant: the
    // check, the hook, then the open (links above the file followed, as the system does) and
    // the comparison of where it arrived with where it should have. nullopt when refused.
    std::optional<std::string> reach(std::string_view path);
    // Where `path` should arrive: the profile folder as it resolves, then the rest as written.
    std::string meant(std::string_view path) const;
    std::optional<std::vector<FolderEntry>> list_locked(std::string_view folder);

    FakeJournal& journal_; // the machine's lock and journal
    Tree entries_;
    std::array<std::optional<FakeDrive>, 26> drives_;
    std::function<void(std::string_view folder)> listed_hook_;
    std::function<void(std::string_view path)> checked_hook_;
    std::multiset<std::string, CaseInsensitiveLess> pinned_; // resolved paths of live pins
    bool writes_fail_ = false;
    std::uint64_t erasures_ = 0; // entries erased so far: a held file's place may be gone
    bool has_links_ = false;     // without one, a path resolves to itself: no walk of its folders
    std::array<std::string, 7> known_folders_ = {
        "C:\\Windows",
        "C:\\Windows\\System32",
        "C:\\ProgramData",
        "C:\\Program Files",
        "C:\\Users\\Player",
        "C:\\Users\\Player\\AppData\\Roaming",
        "C:\\Users\\Player\\AppData\\Local",
    };
    std::string temp_folder_ = "C:\\Users\\Player\\AppData\\Local\\Temp";
    std::string current_folder_ = "C:\\Users\\Player";
    std::string profile_folder_ = "C:\\Users\\Player";

    friend class FakeFolderPin;
    friend class FakeAppendFile;
};

} // namespace tavrine
