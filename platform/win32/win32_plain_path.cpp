#include "platform/win32/win32_plain_path.h"

#include "platform/win32/win32_wide_text.h"

#include <vector>

namespace tavrine::win32 {

namespace {

constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUnc = L"\\\\?\\UNC\\";

bool is_drive_absolute(std::wstring_view path) {
    return path.size() >= 3 &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && path[2] == L'\\';
}

// Characters before the first name: "X:\" or "\\server\share\"; 0 for any other form (device
// and verbatim paths included: nothing here is meant to be one).
std::size_t root_length(std::wstring_view path) {
    if (is_drive_absolute(path)) {
        return 3;
    }
    if (path.size() < 3 || path.substr(0, 2) != L"\\\\" || path[2] == L'?' || path[2] == L'.') {
        return 0;
    }
    const std::size_t server_end = path.find(L'\\', 2);
    if (server_end == std::wstring_view::npos || server_end == 2) {
        return 0;
    }
    const std::size_t share_end = path.find(L'\\', server_end + 1);
    if (share_end == server_end + 1) {
        return 0;
    }
    return share_end == std::wstring_view::npos ? path.size() : share_end + 1;
}

// Every name is a plain one: no empty name, no "." or "..", no forward slash.
bool names_are_plain(std::wstring_view path, std::size_t root) {
    if (path.find(L'/') != std::wstring_view::npos) {
        return false;
    }
    std::wstring_view rest = path.substr(root);
    while (!rest.empty()) {
        const std::size_t slash = rest.find(L'\\');
        const std::wstring_view name = rest.substr(0, slash);
        if (name.empty() || name == L"." || name == L"..") {
            return false;
        }
        rest = slash == std::wstring_view::npos ? std::wstring_view{} : rest.substr(slash + 1);
    }
    return true;
}

std::wstring without_trailing_slash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

bool same_path(std::wstring_view a, std::wstring_view b) {
    while (!a.empty() && a.back() == L'\\') {
        a.remove_suffix(1);
    }
    while (!b.empty() && b.back() == L'\\') {
        b.remove_suffix(1);
    }
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The path with long names where they exist: GetTempPath may hand out 8.3 names, the final
// path never does. Names below the deepest existing folder stay as they are.
std::wstring long_form(const std::wstring& path, std::size_t root) {
    for (std::size_t end = path.size(); end > root;) {
        const std::wstring prefix = path.substr(0, end);
        const DWORD needed = GetLongPathNameW(prefix.c_str(), nullptr, 0);
        if (needed > 0) {
            std::wstring long_prefix(needed, L'\0');
            const DWORD length = GetLongPathNameW(prefix.c_str(), long_prefix.data(), needed);
            if (length > 0 && length < needed) {
                long_prefix.resize(length);
                return without_trailing_slash(long_prefix) + path.substr(end);
            }
        }
        const std::size_t slash = path.rfind(L'\\', end - 1);
        if (slash == std::wstring::npos || slash < root) {
            break;
        }
        end = slash;
    }
    return path;
}

// GetFinalPathNameByHandleW's answer without its "\\?\" (or "\\?\UNC\", back to "\\").
std::optional<std::wstring> final_path_of(HANDLE handle) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(
            handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            std::wstring_view text(buffer);
            if (text.starts_with(kVerbatimUnc)) {
                return L"\\\\" + std::wstring(text.substr(kVerbatimUnc.size()));
            }
            if (text.starts_with(kVerbatim)) {
                return std::wstring(text.substr(kVerbatim.size()));
            }
            return buffer;
        }
        buffer.assign(length + 1, L'\0');
    }
    return std::nullopt;
}

bool is_reparse_point(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace

std::optional<PlainPath> PlainPath::plan(std::string_view path, std::string_view profile) {
    const std::optional<std::wstring> wide = wide_name_from_utf8(path);
    const std::optional<std::wstring> wide_profile = wide_name_from_utf8(profile);
    if (!wide || !wide_profile) {
        return std::nullopt;
    }
    std::wstring text = *wide;
    if (is_drive_absolute(text) && text.size() == 3) {
        return std::nullopt; // a drive root is never a file's or a made folder's path
    }
    text = without_trailing_slash(std::move(text));
    const std::size_t root = root_length(text);
    if (root == 0 || !names_are_plain(text, root)) {
        return std::nullopt;
    }
    text = long_form(text, root);

    std::wstring home = without_trailing_slash(*wide_profile);
    const std::size_t home_root = root_length(home);
    if (home_root != 0) {
        home = long_form(home, home_root);
    }
    const bool below_home = home_root != 0 && text.size() > home.size() && text[home.size()] == L'\\' &&
                            same_path(std::wstring_view(text).substr(0, home.size()), home);
    if (!below_home) {
        std::wstring meant = text;
        return PlainPath(std::move(text), std::move(meant), 0);
    }
    // Whatever leads to the profile is the administrator's: the profile as the system resolves it.
    UniqueFileHandle folder(CreateFileW(home.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<std::wstring> home_final = folder ? final_path_of(folder.get()) : std::nullopt;
    if (!home_final) {
        return std::nullopt;
    }
    std::wstring meant = without_trailing_slash(*home_final) + text.substr(home.size());
    return PlainPath(std::move(text), std::move(meant), home.size());
}

PlainPath PlainPath::with_suffix(std::wstring_view suffix) const {
    return PlainPath(path_ + std::wstring(suffix), final_ + std::wstring(suffix), profile_end_);
}

std::optional<PlainPath> PlainPath::parent() const {
    const std::size_t root = root_length(path_);
    const std::size_t slash = path_.rfind(L'\\');
    const std::size_t final_slash = final_.rfind(L'\\');
    if (path_.size() <= root || slash == std::wstring::npos || final_slash == std::wstring::npos) {
        return std::nullopt;
    }
    // A root keeps its backslash: "C:" alone names the current folder on C:.
    const std::size_t keep = slash + 1 == root ? root : slash;
    return PlainPath(path_.substr(0, keep), final_.substr(0, final_slash),
                     slash > profile_end_ ? profile_end_ : 0);
}

bool PlainPath::levels_plain() const {
    std::vector<std::size_t> ends;
    if (profile_end_ != 0) {
        for (std::size_t at = path_.find(L'\\', profile_end_ + 1); at != std::wstring::npos;
             at = path_.find(L'\\', at + 1)) {
            ends.push_back(at);
        }
    }
    ends.push_back(path_.size());
    for (const std::size_t end : ends) {
        const DWORD attributes = GetFileAttributesW(path_.substr(0, end).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return true; // missing: nothing below it exists either
        }
        if (is_reparse_point(attributes)) {
            return false;
        }
    }
    return true;
}

bool PlainPath::reached_by(HANDLE handle, bool folder) const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        return false;
    }
    const DWORD attributes = information.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
        return false;
    }
    // A second name (a hard link the user made) may be a file the user could not open.
    if (!folder && information.nNumberOfLinks > 1) {
        return false;
    }
    // Wine opens what a host symbolic link leads to even with FILE_FLAG_OPEN_REPARSE_POINT and
    // says so only when the path is asked.
    if (is_reparse_point(GetFileAttributesW(path_.c_str()))) {
        return false;
    }
    const std::optional<std::wstring> arrived = final_path_of(handle);
    return arrived && same_path(*arrived, final_);
}

UniqueFileHandle PlainPath::pin_folder() const {
    if (!levels_plain()) {
        return {};
    }
    // FILE_LIST_DIRECTORY makes the open take part in sharing checks; leaving out
    // FILE_SHARE_DELETE is what refuses renames of this folder and those above it meanwhile.
    UniqueFileHandle folder(CreateFileW(path_.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder || !reached_by(folder.get(), true)) {
        return {};
    }
    return folder;
}

UniqueFileHandle PlainPath::open(DWORD access, DWORD share, DWORD disposition, DWORD* open_error) const {
    if (open_error != nullptr) {
        *open_error = ERROR_SUCCESS;
    }
    const std::optional<PlainPath> folder = parent();
    const UniqueFileHandle pin = folder && levels_plain() ? folder->pin_folder() : UniqueFileHandle{};
    if (!pin) {
        return {};
    }
    UniqueFileHandle file(CreateFileW(path_.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
    const DWORD error = GetLastError();
    if (!file) {
        if (open_error != nullptr) {
            *open_error = error;
        }
        return {};
    }
    if (!reached_by(file.get(), false)) {
        const bool created =
            disposition == CREATE_NEW ||
            ((disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) && error != ERROR_ALREADY_EXISTS);
        if (created && (access & DELETE) != 0) {
            delete_on_close(file.get());
        }
        return {};
    }
    return file;
}

bool delete_on_close(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

} // namespace tavrine::win32
