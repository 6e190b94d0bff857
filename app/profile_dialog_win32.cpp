#include "app/profile_dialog_win32.h"

#include "app/window_win32.h"
#include "platform/win32/win32_wide_text.h"

#include <windows.h>

#include <commdlg.h>

namespace tavrine {

namespace {

// Both patterns, double-null ended: a profile is "*.tavrine.json", any JSON may be one.
constexpr wchar_t kFilter[] = L"Tavrine profile (*.tavrine.json)\0*.tavrine.json\0JSON (*.json)\0*.json\0";

} // namespace

// The dialog hosts shell extensions in this elevated process. COM ignores per-user class
// registrations above medium integrity, so only those installed for the machine load; the path
// chosen is then read or written like any other, with links refused.
std::optional<std::string> choose_profile_file(bool save) {
    std::wstring file(32768, L'\0');
    if (save) {
        file.replace(0, 20, L"profile.tavrine.json");
    }
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = main_window();
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    // The program's current folder stays where it was; a shortcut picked is the shortcut file
    // itself (refused as a profile), never where it leads.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_DONTADDTORECENT |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    const std::optional<std::string> picked = win32::utf8_from_wide(file.c_str());
    if (!picked) {
        return std::nullopt; // a name no UTF-8 text stands for
    }
    std::string path = *picked;
    if (save && !path.ends_with(".json")) {
        path += ".tavrine.json";
    }
    return path;
}

} // namespace tavrine
