#pragma once
// The protected test: the processes the cull must never touch, by list and by guarded word.

#include "process/protected_process_list.h"

#include <string_view>

namespace tavrine {

// True when the cull must never touch `name`. First rule that applies wins:
//   1. the name is in kProtectedProcesses: protected;
//   2. the name is one of a few Steam, NVIDIA, Epic and AMD helpers: not protected (they would
//      otherwise match the patterns below);
//   3. the name contains a guarded word ("steam", "discord", "amd", "audio", ...): protected;
//   4. otherwise (and for an empty name) not protected.
bool is_protected_process(std::string_view name);
// The same test for a name already folded to lower case (the cull folds each name once).
bool is_protected_lowered(std::string_view lowered_name);
// Rule 1 alone: the name is in kProtectedProcesses.
bool in_protected_list(std::string_view name);

} // namespace tavrine
