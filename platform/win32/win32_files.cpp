#include "platform/win32/win32_files.h"

#include "platform/win32/win32_folder_security.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_plain_path.h"
#include "platform/win32/win32_wide_text.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace tavrine {

namespace {

// A path for a wide call; an empty string (which names nothing) when it is not one.
std::wstring wide_path(std::string_view path) {
    return win32::wide_name_from_utf8(path).value_or(std::wstring());
}

class Win32FolderPin final : public FolderPin {
public:
    explicit Win32FolderPin(win32::UniqueFileHandle folder) : folder_(std::move(folder)) {}

    std::optional<std::vector<FolderEntry>> list() override {
        // The "full" records carry no 8.3 short name, which nothing here reads and which costs a
        // name generation per entry on some file systems; where they are not offered, the
        // records with short names do the same job.
        std::optional<std::vector<FolderEntry>> entries =
            read_records<FILE_FULL_DIR_INFO>(FileFullDirectoryRestartInfo, FileFullDirectoryInfo);
        if (!entries && unsupported_) {
            entries =
                read_records<FILE_ID_BOTH_DIR_INFO>(FileIdBothDirectoryRestartInfo, FileIdBothDirectoryInfo);
        }
        return entries;
    }

private:
    template <typename Record>
    std::optional<std::vector<FolderEntry>> read_records(FILE_INFO_BY_HANDLE_CLASS restart,
                                                         FILE_INFO_BY_HANDLE_CLASS next) {
        // DWORD-aligned, as the records require; 64 KiB takes a few hundred entries a call.
        std::vector<DWORD> buffer(64 * 1024 / sizeof(DWORD));
        std::vector<FolderEntry> entries;
        for (bool first = true;; first = false) {
            if (!GetFileInformationByHandleEx(folder_.get(), first ? restart : next, buffer.data(),
                                              static_cast<DWORD>(buffer.size() * sizeof(DWORD)))) {
                const DWORD error = GetLastError();
                if (error == ERROR_NO_MORE_FILES) {
                    return entries;
                }
                unsupported_ = first && (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
                                         error == ERROR_CALL_NOT_IMPLEMENTED);
                return std::nullopt;
            }
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
            for (std::size_t offset = 0;;) {
                const auto* record = reinterpret_cast<const Record*>(bytes + offset);
                // A name with a lone surrogate has no UTF-8 spelling: it is left out, as no path
                // built from a substitute could reach it.
                if (std::optional<std::string> name = win32::utf8_from_wide(
                        std::wstring_view(record->FileName, record->FileNameLength / sizeof(WCHAR)))) {
                    entries.push_back({std::move(*name), record->FileAttributes,
                                       static_cast<std::uint64_t>(record->EndOfFile.QuadPart)});
                }
                if (record->NextEntryOffset == 0) {
                    break;
                }
                offset += record->NextEntryOffset;
            }
        }
    }

    win32::UniqueFileHandle folder_;
    bool unsupported_ = false;
};

} // namespace

std::optional<std::uint32_t> Win32Files::attributes(std::string_view path) {
    const std::wstring text = wide_path(path);
    const DWORD attributes = text.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(text.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

bool Win32Files::set_attributes(std::string_view path, std::uint32_t attributes) {
    const std::wstring text = wide_path(path);
    return !text.empty() && SetFileAttributesW(text.c_str(), attributes) != FALSE;
}

bool Win32Files::delete_file(std::string_view path) {
    const std::wstring text = wide_path(path);
    return !text.empty() && DeleteFileW(text.c_str()) != FALSE;
}

std::optional<std::vector<FolderEntry>> Win32Files::list_folder(std::string_view folder) {
    const std::wstring wide_folder = wide_path(folder);
    if (wide_folder.empty()) {
        return std::nullopt;
    }
    const std::wstring pattern = wide_folder + L"\\*";
    WIN32_FIND_DATAW data{};
    // The basic information level skips the 8.3 short name, which nothing here reads and which
    // costs a name generation per entry on some file systems; a large fetch lists a folder in
    // fewer directory reads. Same entries, same order as FindFirstFileW.
    win32::UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                                  FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
        const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        // Left out when it has no UTF-8 spelling (a lone surrogate): no path could reach it.
        if (std::optional<std::string> name = win32::utf8_from_wide(data.cFileName)) {
            entries.push_back({std::move(*name), data.dwFileAttributes, size});
        }
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

FolderPinPtr Win32Files::pin_folder(std::string_view folder) {
    // The whole path is checked, not only its last name: a junction above the folder (the
    // user's AppData\Local swapped for one) would lead a walk that empties it into a folder only
    // administrators may change. Pinned without delete sharing, nothing above it can be renamed
    // meanwhile, and the handle must have arrived at the path meant.
    const std::optional<win32::PlainPath> planned =
        win32::PlainPath::plan(folder, profile_folder().value_or(""));
    win32::UniqueFileHandle handle = planned ? planned->pin_folder() : win32::UniqueFileHandle{};
    if (!handle) {
        return nullptr;
    }
    // The path asked as well: some file systems (and Wine, for a host symbolic link) open what
    // a link leads to even with FILE_FLAG_OPEN_REPARSE_POINT, and say so only here.
    const DWORD path_attributes = GetFileAttributesW(planned->text().c_str());
    if (path_attributes == INVALID_FILE_ATTRIBUTES || (path_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return nullptr;
    }
    return std::make_unique<Win32FolderPin>(std::move(handle));
}

std::uint32_t Win32Files::logical_drives() {
    return GetLogicalDrives();
}

DriveType Win32Files::drive_type(std::string_view root) {
    const std::wstring text = wide_path(root);
    const UINT type = text.empty() ? DRIVE_UNKNOWN : GetDriveTypeW(text.c_str());
    return type <= DRIVE_RAMDISK ? static_cast<DriveType>(type) : DriveType::Unknown;
}

SeekPenalty Win32Files::seek_penalty(char drive_letter) {
    wchar_t volume[] = L"\\\\.\\C:";
    if (!((drive_letter >= 'A' && drive_letter <= 'Z') || (drive_letter >= 'a' && drive_letter <= 'z'))) {
        return SeekPenalty::Unknown;
    }
    volume[4] = static_cast<wchar_t>(drive_letter);
    // No access rights are needed for a property query, so this works without locking the volume.
    win32::UniqueFileHandle device(
        CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) {
        return SeekPenalty::Unknown;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR descriptor{};
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &descriptor,
                         sizeof descriptor, &returned, nullptr)) {
        return SeekPenalty::Unknown;
    }
    return descriptor.IncursSeekPenalty ? SeekPenalty::Incurs : SeekPenalty::None;
}

void Win32Files::shell_open(std::string_view path) {
    const std::wstring text = wide_path(path);
    if (!text.empty()) {
        ShellExecuteW(nullptr, L"open", text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

// [SECTION] Whole files and per-user folders ----------------------------------------------

namespace {

std::string without_trailing_slash(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

namespace {

// Everything left of the file from where its handle stands; nullopt when a read fails.
std::optional<std::string> read_all(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > std::string().max_size()) {
        return std::nullopt;
    }
    std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < content.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - filled, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(file, content.data() + filled, chunk, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break; // the file shrank meanwhile: what was there is the content
        }
        filled += read;
    }
    content.resize(filled);
    return content;
}

// A new file at `path`, opened to write and to be deleted; one left behind by a write cut short
// is deleted first, through a handle checked like any other.
win32::UniqueFileHandle create_new(const win32::PlainPath& path, DWORD extra_access = 0) {
    const DWORD access = GENERIC_WRITE | DELETE | extra_access;
    DWORD error = ERROR_SUCCESS;
    win32::UniqueFileHandle file = path.open(access, 0, CREATE_NEW, &error);
    if (!file && error == ERROR_FILE_EXISTS) {
        if (const win32::UniqueFileHandle stale = path.open(DELETE, 0, OPEN_EXISTING)) {
            win32::delete_on_close(stale.get());
        }
        file = path.open(access, 0, CREATE_NEW);
    }
    return file;
}

// Renames the open `file` over `target` through its handle, the folder they share pinned by the
// caller: nothing but the target's own name is looked up, and a link there is replaced, not
// followed. The name is given whole and in NT form ("\??\C:\..."): Windows passes it through
// as it stands, Wine turns a DOS name (a bare name too) into one from the current folder.
bool rename_over(HANDLE file, const win32::PlainPath& target) {
    const std::wstring& path = target.text();
    const std::wstring name = path.starts_with(L"\\\\") ? L"\\??\\UNC\\" + path.substr(2) : L"\\??\\" + path;
    const std::size_t name_bytes = name.size() * sizeof(WCHAR);
    // DWORD-aligned, as the structure wants.
    std::vector<DWORD> buffer((sizeof(FILE_RENAME_INFO) + name_bytes) / sizeof(DWORD) + 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name_bytes);
    std::memcpy(reinterpret_cast<unsigned char*>(buffer.data()) + offsetof(FILE_RENAME_INFO, FileName),
                name.data(), name_bytes);
    return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size() * sizeof(DWORD))) != FALSE;
}

} // namespace

bool Win32Files::path_is_plain(std::string_view path) {
    const std::optional<win32::PlainPath> planned =
        win32::PlainPath::plan(path, profile_folder().value_or(""));
    if (!planned || !planned->levels_plain()) {
        return false;
    }
    // The nearest level that exists, opened as what it is, must be where it should be.
    for (std::optional<win32::PlainPath> level = planned; level; level = level->parent()) {
        const DWORD attributes = GetFileAttributesW(level->text().c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        const win32::UniqueFileHandle handle(
            CreateFileW(level->text().c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return handle && level->reached_by(handle.get(), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
    return true;
}

std::optional<std::string> Win32Files::read_file(std::string_view path) {
    const std::optional<win32::PlainPath> planned =
        win32::PlainPath::plan(path, profile_folder().value_or(""));
    // Shared for writing too: a game that keeps its settings open still lets them be read.
    const win32::UniqueFileHandle file =
        planned ? planned->open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)
                : win32::UniqueFileHandle{};
    return file ? read_all(file.get()) : std::nullopt;
}

std::optional<std::uint64_t> Win32Files::file_size(std::string_view path) {
    const std::wstring text = wide_path(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (text.empty() || !GetFileAttributesExW(text.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32Files::write_file_whole(std::string_view path, std::string_view bytes) {
    const std::optional<win32::PlainPath> target =
        win32::PlainPath::plan(path, profile_folder().value_or(""));
    const std::optional<win32::PlainPath> folder = target ? target->parent() : std::nullopt;
    if (!folder || !target->levels_plain()) {
        return false;
    }
    // Held until the rename is done: the folder the temporary file and the target share can be
    // neither renamed nor swapped for a junction meanwhile.
    const win32::UniqueFileHandle pin = folder->pin_folder();
    if (!pin) {
        return false;
    }
    // Windows refuses to replace a read-only file, Wine does not: ask, so both keep it. A
    // target that is a link is left as it is too.
    const DWORD existing = GetFileAttributesW(target->text().c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            0) {
        return false;
    }
    const win32::UniqueFileHandle file = create_new(target->with_suffix(L".tavrine-new"));
    if (!file) {
        return false;
    }
    // Flushed before the rename, so a power cut after it cannot leave an empty file.
    if (!write_all(file.get(), bytes) || !FlushFileBuffers(file.get()) || !rename_over(file.get(), *target)) {
        win32::delete_on_close(file.get());
        return false;
    }
    FlushFileBuffers(file.get()); // the rename reaches the disk too
    return true;
}

bool Win32Files::append_file(std::string_view path, std::string_view bytes) {
    const AppendFilePtr file = open_append(path);
    return file && file->append(bytes);
}

namespace {

class Win32AppendFile final : public AppendFile {
public:
    explicit Win32AppendFile(win32::UniqueFileHandle file) : file_(std::move(file)) {}
    bool append(std::string_view bytes) override {
        return write_all(file_.get(), bytes) && FlushFileBuffers(file_.get());
    }

private:
    win32::UniqueFileHandle file_;
};

} // namespace

AppendFilePtr Win32Files::open_append(std::string_view path) {
    const std::optional<win32::PlainPath> planned =
        win32::PlainPath::plan(path, profile_folder().value_or(""));
    // Shared for reading: the history list reads a run's file while it is written.
    win32::UniqueFileHandle file =
        planned ? planned->open(FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS) : win32::UniqueFileHandle{};
    return file ? std::make_unique<Win32AppendFile>(std::move(file)) : nullptr;
}

bool Win32Files::copy_file(std::string_view from, std::string_view to, bool fail_if_exists) {
    const std::string profile = profile_folder().value_or("");
    const std::optional<win32::PlainPath> source_path = win32::PlainPath::plan(from, profile);
    const win32::UniqueFileHandle source =
        source_path ? source_path->open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)
                    : win32::UniqueFileHandle{};
    FILE_BASIC_INFO basic{};
    const std::optional<std::string> bytes = source ? read_all(source.get()) : std::nullopt;
    if (!bytes || !GetFileInformationByHandleEx(source.get(), FileBasicInfo, &basic, sizeof basic)) {
        return false;
    }
    if (!fail_if_exists) {
        return write_file_whole(to, *bytes);
    }
    const std::optional<win32::PlainPath> target = win32::PlainPath::plan(to, profile);
    const win32::UniqueFileHandle file =
        target ? target->open(GENERIC_WRITE | DELETE, 0, CREATE_NEW) : win32::UniqueFileHandle{};
    if (!file) {
        return false;
    }
    // As CopyFile: the source's time of last write and its attributes, read-only included.
    FILE_BASIC_INFO carried{};
    carried.LastWriteTime = basic.LastWriteTime;
    carried.FileAttributes = basic.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    if (!write_all(file.get(), *bytes) || !FlushFileBuffers(file.get()) ||
        !SetFileInformationByHandle(file.get(), FileBasicInfo, &carried, sizeof carried)) {
        win32::delete_on_close(file.get()); // a copy is whole or not there
        return false;
    }
    return true;
}

bool Win32Files::create_folders(std::string_view folder) {
    const std::optional<win32::PlainPath> path =
        win32::PlainPath::plan(folder, profile_folder().value_or(""));
    if (!path) {
        return false;
    }
    // The missing levels, then each made from the top down inside its parent, pinned and
    // checked first: a junction planted above would otherwise have the folder made elsewhere.
    std::vector<win32::PlainPath> missing;
    for (std::optional<win32::PlainPath> level = path; level; level = level->parent()) {
        if (GetFileAttributesW(level->text().c_str()) != INVALID_FILE_ATTRIBUTES) {
            break;
        }
        missing.push_back(*level);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        const std::optional<win32::PlainPath> parent = level->parent();
        const win32::UniqueFileHandle pin = parent ? parent->pin_folder() : win32::UniqueFileHandle{};
        if (!pin) {
            return false;
        }
        CreateDirectoryW(level->text().c_str(), nullptr); // one made meanwhile does as well
    }
    return static_cast<bool>(path->pin_folder());
}

bool Win32Files::create_admin_only_folder(std::string_view folder) {
    const std::string path = without_trailing_slash(std::string(folder));
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos || (slash > 2 && !create_folders(path.substr(0, slash)))) {
        return false;
    }
    return win32::protect_folder(path);
}

bool Win32Files::is_admin_only_folder(std::string_view folder) {
    return win32::is_admin_only_folder(without_trailing_slash(std::string(folder)));
}

std::optional<std::string> Win32Files::roaming_folder() {
    return known_folder(KnownFolder::RoamingAppData);
}

std::optional<std::string> Win32Files::full_path(std::string_view path) {
    const std::wstring wide = wide_path(path);
    const DWORD needed = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (wide.empty() || needed == 0) {
        return std::nullopt;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return std::nullopt;
    }
    full.resize(length);
    return win32::utf8_from_wide(full);
}

namespace {

// SHGetKnownFolderPath's folder ids: the user's own come from the profile the system keeps for
// the signed-in account, not from any variable the user's programs can set.
const KNOWNFOLDERID* known_folder_id(KnownFolder folder) {
    switch (folder) {
    case KnownFolder::ProgramData:
        return &FOLDERID_ProgramData;
    case KnownFolder::ProgramFiles:
        return &FOLDERID_ProgramFiles;
    case KnownFolder::Profile:
        return &FOLDERID_Profile;
    case KnownFolder::RoamingAppData:
        return &FOLDERID_RoamingAppData;
    case KnownFolder::LocalAppData:
        return &FOLDERID_LocalAppData;
    case KnownFolder::Windows:
    case KnownFolder::System:
        break;
    }
    return nullptr;
}

std::optional<std::string> folder_text(std::wstring_view wide) {
    if (wide.empty()) {
        return std::nullopt;
    }
    const std::optional<std::string> utf8 = win32::utf8_from_wide(wide);
    std::string text = utf8 ? without_trailing_slash(*utf8) : std::string();
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::optional<std::string> Win32Files::known_folder(KnownFolder folder) {
    if (folder == KnownFolder::Windows || folder == KnownFolder::System) {
        // The shared Windows folder even under Terminal Services, where GetWindowsDirectory
        // names a per-user one.
        WCHAR path[MAX_PATH + 1] = {};
        const UINT length = folder == KnownFolder::Windows ? GetSystemWindowsDirectoryW(path, MAX_PATH + 1)
                                                           : GetSystemDirectoryW(path, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) {
            return std::nullopt;
        }
        return folder_text(std::wstring_view(path, length));
    }
    const KNOWNFOLDERID* id = known_folder_id(folder);
    if (id == nullptr) {
        return std::nullopt;
    }
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    // The buffer is the caller's to free even when the call fails.
    std::optional<std::string> text = SUCCEEDED(result) && path != nullptr ? folder_text(path) : std::nullopt;
    CoTaskMemFree(path);
    return text;
}

std::optional<std::string> Win32Files::temp_folder() {
    WCHAR folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        return std::nullopt;
    }
    return folder_text(std::wstring_view(folder, length));
}

} // namespace tavrine
