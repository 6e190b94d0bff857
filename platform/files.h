#pragma once
// Files, folders and volumes: folder listings, attributes, deletion, whole-file reads and
// writes, the system's and the user's known folders and the drives the Cleanup page offers
// for TRIM.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeHidden = 0x2;
inline constexpr std::uint32_t kFileAttributeSystem = 0x4;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

// A path, its terminator included, takes at most this many UTF-16 units in the wide calls.
inline constexpr std::size_t kMaxPath = 260;

// One entry of a folder listing, as FindFirstFileW / FindNextFileW hand it out (in UTF-8).
struct FolderEntry {
    std::string name; // file name only
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

// GetDriveTypeW results.
enum class DriveType : std::uint8_t {
    Unknown = 0,
    NoRootDirectory = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// Folders the system keeps for itself and for the signed-in user.
enum class KnownFolder : std::uint8_t {
    Windows,
    System,
    ProgramData,
    ProgramFiles,
    Profile,
    RoamingAppData,
    LocalAppData,
};

// What the storage stack says about a volume's seek penalty.
enum class SeekPenalty : std::uint8_t {
    Unknown, // the volume could not be opened or the query failed
    Incurs,  // a spinning disk
    None,    // solid state
};

// An open handle on a folder that keeps it in place while it lives: the folder, and every
// folder above it, can be neither renamed nor deleted, so none can be swapped for a junction.
class FolderPin {
public:
    virtual ~FolderPin() = default;
    // The folder's entries as list_folder gives them, read through the open handle
    // (GetFileInformationByHandleEx, FileIdBothDirectoryInfo): no second lookup of the path.
    virtual std::optional<std::vector<FolderEntry>> list() = 0;
};
using FolderPinPtr = std::unique_ptr<FolderPin>;

// A file held open to append to: each write reaches the disk (flushed) before it returns.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual bool append(std::string_view bytes) = 0;
};
using AppendFilePtr = std::unique_ptr<AppendFile>;

class Files {
public:
    virtual ~Files() = default;
    // GetFileAttributesW: nullopt where it would return INVALID_FILE_ATTRIBUTES.
    virtual std::optional<std::uint32_t> attributes(std::string_view path) = 0;
    // SetFileAttributesW.
    virtual bool set_attributes(std::string_view path, std::uint32_t attributes) = 0;
    // DeleteFileW: false for a folder, a missing file or one that is in use.
    virtual bool delete_file(std::string_view path) = 0;
    // Every entry of "folder\*" in listing order, "." and ".." included as the system gives
    // them; nullopt when the listing cannot start.
    virtual std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) = 0;
    // CreateFileW(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, read and write sharing but
    // no delete sharing, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT),
    // then the attributes of what was opened: null unless it is a folder and not a reparse point.
    virtual FolderPinPtr pin_folder(std::string_view folder) = 0;
    // GetLogicalDrives: bit 0 is A:, bit 25 is Z:.
    virtual std::uint32_t logical_drives() = 0;
    // GetDriveTypeW on a root such as "C:\".
    virtual DriveType drive_type(std::string_view root) = 0;
    // IOCTL_STORAGE_QUERY_PROPERTY (StorageDeviceSeekPenaltyProperty) on "\\.\X:".
    virtual SeekPenalty seek_penalty(char drive_letter) = 0;
    // ShellExecuteW(NULL, "open", path, NULL, NULL, SW_SHOWNORMAL); the result is not examined
    // (the program opened may show its own errors).
    virtual void shell_open(std::string_view path) = 0;

    // Every operation below on whole files (reads, writes, appends, copies, new folders) acts
    // only on the path it is given, never on where a link planted in a folder the user can
    // write leads: the call fails, changing nothing, when the file or any folder below the
    // user's profile folder is a reparse point (junction, symbolic link, mount point), or when
    // what was opened is not at the path meant (a link swapped in meanwhile). Links above the
    // profile folder are the administrator's and are followed. Files are opened by handle,
    // with reparse points not followed, inside their folder held open (pinned).

    // Whether `path` reaches itself and nowhere else: false when the operations below would
    // refuse it for a link. For a missing file the nearest folder above it that exists is
    // checked. Lets a caller say why a file is left alone.
    virtual bool path_is_plain(std::string_view path) = 0;
    // The whole content of a file, as bytes; nullopt when it cannot be opened or read (missing,
    // held open without read sharing, access denied, a link).
    virtual std::optional<std::string> read_file(std::string_view path) = 0;
    // GetFileAttributesExW's size of a file; nullopt for a folder or when it cannot be asked.
    virtual std::optional<std::uint64_t> file_size(std::string_view path) = 0;
    // Writes `bytes` to a temporary file beside `path` (a new file, made inside the pinned
    // folder), then renames it over `path` through its handle, so the target is either the new
    // content whole or what it was before; never a truncated file. The target's read-only
    // attribute is not overridden: such a target stays as it was, as does a target that is a
    // link.
    virtual bool write_file_whole(std::string_view path, std::string_view bytes) = 0;
    // Opens `path` for appending (created when missing), writes `bytes` at its end and flushes
    // them to the disk before returning, so a line written this way outlives a crash right
    // after. The run history is its one user: each line must be on disk before its change.
    virtual bool append_file(std::string_view path, std::string_view bytes) = 0;
    // `append_file` for many writes to one file, opened once (a run's history gets a line per
    // change); null when it cannot be opened. By default each write opens the file again.
    virtual AppendFilePtr open_append(std::string_view path);
    // CopyFileW's effect, through handles: the source read through its own handle, the copy
    // written whole (a new file when `fail_if_exists`, else a whole-file write) with the
    // source's attributes.
    virtual bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) = 0;
    // Creates `folder` and every missing folder above it; true when it exists afterwards.
    virtual bool create_folders(std::string_view folder) = 0;
    // Creates `folder` (and missing parents) and gives it a protected access list: SYSTEM and
    // Administrators full control, Users read and execute, nothing inherited. Refuses (false) a
    // folder that is a reparse point or is not owned by SYSTEM or Administrators.
    virtual bool create_admin_only_folder(std::string_view folder) = 0;
    // True when `folder` exists, is not a reparse point, is owned by SYSTEM, Administrators or
    // TrustedInstaller, and no entry of its access list lets any other account write in it
    // (add a file or folder, delete a child, change its access list or owner).
    virtual bool is_admin_only_folder(std::string_view folder) = 0;
    // SHGetKnownFolderPath(FOLDERID_RoamingAppData): the per-user roaming folder, without a trailing slash.
    virtual std::optional<std::string> roaming_folder() = 0;
    // GetTempPathW, without a trailing slash.
    virtual std::optional<std::string> temp_folder() = 0;
    // GetFullPathNameW: `path` as a full path, made so against the current folder when it is
    // relative (a file name the user typed); nullopt when it cannot be.
    virtual std::optional<std::string> full_path(std::string_view path) = 0;
    // The folder as the system knows it (GetSystemWindowsDirectoryW, GetSystemDirectoryW,
    // SHGetKnownFolderPath), never from the environment, in UTF-8 and without a trailing
    // backslash; nullopt when unknown.
    virtual std::optional<std::string> known_folder(KnownFolder folder) = 0;
};

// Each write through `Files::append_file`: what a backend without a held handle gives.
class ReopeningAppendFile final : public AppendFile {
public:
    ReopeningAppendFile(Files& files, std::string_view path) : files_(files), path_(path) {}
    bool append(std::string_view bytes) override { return files_.append_file(path_, bytes); }

private:
    Files& files_;
    std::string path_;
};

inline AppendFilePtr Files::open_append(std::string_view path) {
    return std::make_unique<ReopeningAppendFile>(*this, path);
}

} // namespace tavrine
