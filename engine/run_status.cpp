#include "engine/run_status.h"

namespace tavrine {

void StatusMessage::set(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_.assign(text.substr(0, capacity_));
}

std::string StatusMessage::get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
}

void show_run_result() {
    RunStatus& status = run_status();
    status.result_veil_shown.store(true);
    status.run_in_progress.store(false);
}

void hide_run_result() {
    RunStatus& status = run_status();
    status.result_veil_shown.store(false);
    status.run_in_progress.store(false);
}

void dismiss_run_result() {
    hide_run_result();
    run_status().deploy_in_progress.store(false);
}

const char* shown_label(const char* label) {
    return (label == nullptr || label[0] == '\0') ? "Working" : label;
}

} // namespace tavrine
