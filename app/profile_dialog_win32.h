#pragma once
// The Windows file dialogs behind Settings' "Export profile..." and "Import profile...".

#include <optional>
#include <string>

namespace tavrine {

// The file the user picked (UTF-8, a full path), or nothing when the dialog was cancelled.
// Saving adds ".tavrine.json" to a name without ".json".
std::optional<std::string> choose_profile_file(bool save);

} // namespace tavrine
