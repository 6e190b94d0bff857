#pragma once
// The card that covers the window when a run or deploy has finished, until "Done".

#include <string>
#include <string_view>

namespace tavrine {

struct CompletionTexts {
    std::string title;  // the path's completion text, or the deployed title's name
    std::string detail; // the deploy's status, the cull's counts, or a plain line
};

// What the card says. `status_text` is the deploy's status text (empty without one).
CompletionTexts completion_texts(std::string_view status_text);

// The "##doneveil" window; call inside the root window while the overlay is up.
void draw_completion_overlay();

} // namespace tavrine
