#pragma once
// The census of what the program's routines change: every module of every path, the deploy
// of every title, the GPU tune for every vendor and Start with Windows, each run through the
// journaling backend over a recorder of the current machine. Nothing is changed; the history
// lines they would write are kept in memory and become the scope an undo may touch.

#include "engine/undo_scope.h"

namespace tavrine {

UndoScope census_undo_scope();

} // namespace tavrine
