#pragma once
// Emptying folders of their files: the temp, cache and log folders of "Temp files" and
// "Browser cache". Folders always stay; only files go.

#include <string_view>

namespace tavrine {

// Deletes every file below `folder`, depth first, leaving the folders. Read-only files are
// made writable first; files that refuse (in use) stay. A junction or symbolic link met on
// the way is left as it is and never followed: it may lead anywhere, the user's documents
// included; so is `folder` itself when it is one. Each folder is pinned while its subtree is
// walked, so none can be swapped for a link meanwhile.
void delete_files_in_tree(std::string_view folder);

// As `delete_files_in_tree`, but a sub-folder whose name marks a shader cache is left whole.
void delete_temp_tree(std::string_view folder);

// True when a folder name holds one of the shader-cache markers ("nvidia", "d3dscache", ...),
// in any letter case.
bool is_shader_cache_folder(std::string_view name);

} // namespace tavrine
