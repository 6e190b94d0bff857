#pragma once
// Emptying folders of their files: the temp, cache and log folders of "Temp files" and
// "Browser cache". Folders always stay; only files go.

#include <string_view>

namespace tavrine {

// Whether `folder` itself may be a link to the folder meant: yes for the fixed places the
// clean-up names (a user may have moved a cache with a junction), no for a folder built from
// a listing.
enum class RootLink : bool { Refuse, Follow };

// Deletes every file below `folder`, depth first, leaving the folders. Read-only files are
// made writable first; files that refuse (in use) stay. A junction or symbolic link met on
// the way is left as it is and never followed: it may lead anywhere, the user's documents
// included. Each folder is pinned while its subtree is walked, so none can be swapped for a
// link meanwhile.
void delete_files_in_tree(std::string_view folder, RootLink root_link = RootLink::Follow);

// As `delete_files_in_tree`, but a sub-folder whose name marks a shader cache is left whole.
void delete_temp_tree(std::string_view folder);

// True when a folder name holds one of the shader-cache markers ("nvidia", "d3dscache", ...),
// in any letter case.
bool is_shader_cache_folder(std::string_view name);

} // namespace tavrine
