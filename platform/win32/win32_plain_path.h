#pragma once
// Opening files in folders a program without administrator rights can write (the user's
// profile, temporary folders) without following a link planted there. A path is checked three
// ways, because each alone leaves a gap: every folder below the profile is asked whether it is
// a reparse point before anything is opened; the folder holding the file is then opened with
// reparse points not followed and without delete sharing (pinned: neither it nor any folder
// above it can be renamed, so none can be swapped for a junction while it is held); and every
// handle's final path (GetFinalPathNameByHandleW) must be the path meant. Links above the
// profile folder are the administrator's and are followed: what the path must arrive at is the
// profile's own final path with the rest of the path after it.

#include "platform/win32/win32_handles.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavrine::win32 {

class PlainPath {
public:
    // `path` and `profile` in UTF-8. nullopt for a path that is not absolute ("X:\..." or
    // "\\server\share\...") or has "." or ".." among its names, and for one that is not
    // well-formed UTF-8 or holds a null (it would name another file). `profile` may be empty (not
    // known): then only the final paths are compared.
    static std::optional<PlainPath> plan(std::string_view path, std::string_view profile);

    const std::wstring& text() const { return path_; }
    // The same path with `suffix` added to its last name (the temporary file beside a target).
    PlainPath with_suffix(std::wstring_view suffix) const;
    // The folder holding it; nullopt for a drive root.
    std::optional<PlainPath> parent() const;

    // False when the file, or a folder below the profile, is a reparse point now. A level that
    // does not exist ends the check: nothing below it can.
    bool levels_plain() const;
    // The path opened as a folder (FILE_LIST_DIRECTORY, read and write sharing but no delete
    // sharing, reparse points not followed) and checked: null unless it is a folder, not a
    // link, and at its final path.
    UniqueFileHandle pin_folder() const;
    // CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT (and FILE_READ_ATTRIBUTES, which the check
    // needs) after the levels are checked, while the folder holding it is pinned; null unless
    // what was opened is a file with one name, not a link, at its final path (a file the open
    // made is deleted again when `access` has DELETE). `open_error` gets CreateFileW's error
    // when that call failed, else ERROR_SUCCESS.
    UniqueFileHandle open(DWORD access, DWORD share, DWORD disposition, DWORD* open_error = nullptr) const;
    // Whether `handle` is at this path and is not a link; `folder` says which kind it must be.
    bool reached_by(HANDLE handle, bool folder) const;

private:
    PlainPath(std::wstring path, std::wstring final_path, std::size_t profile_end)
        : path_(std::move(path)), final_(std::move(final_path)), profile_end_(profile_end) {}

    std::wstring path_;       // long names, no trailing backslash, as CreateFileW is given it
    std::wstring final_;      // what GetFinalPathNameByHandleW must report, "\\?\" taken off
    std::size_t profile_end_; // characters of path_ that are the profile; 0 when outside it
};

// Marks a file opened with DELETE access to be deleted when its last handle closes.
bool delete_on_close(HANDLE file);

} // namespace tavrine::win32
