#include "app/shell_state.h"

namespace tavrine {

ShellState& shell_state() {
    static ShellState state;
    return state;
}

} // namespace tavrine
