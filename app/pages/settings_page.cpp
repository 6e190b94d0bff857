// Settings: the GPU card (the overlay and app cards arrive with their rooms).
#include "app/pages/pages.h"

namespace tavrine {

void draw_settings_page(ShellState& state) {
    draw_gpu_card(state);
}

} // namespace tavrine
