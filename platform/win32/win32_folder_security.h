#pragma once
// Folders only administrators may write: the protected access list the history folder gets,
// and the check of owner and access list made before each use of it.

#include <string>

namespace tavrine::win32 {

// The last level of `folder` (its parents must exist) is created with the protected access
// list and Administrators as owner, or an existing one is given that list; false for a
// reparse point or a folder another account owns.
bool protect_folder(const std::string& folder);
bool is_admin_only_folder(const std::string& folder);

} // namespace tavrine::win32
