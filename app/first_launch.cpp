// The first-launch GPU setup screen. Index:
//   [SECTION] What the screen shows
//   [SECTION] Timers
//   [SECTION] Drawing
#include "app/first_launch.h"

#include "app/animation.h"
#include "app/fonts.h"
#include "app/pages/page_parts.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "gpu/vendor_record.h"

#include <cfloat>
#include <cstdio>

namespace tavrine {

using namespace palette;

namespace {

constexpr const char* kIntelNote = "Also found Intel laptop graphics. We'll tune the gaming card.";
constexpr const char* kTwoCardsNote = "Two gaming GPUs showed up. Confirm the one you play on.";

const char* applying_stage(float progress) {
    if (progress > 0.72f) {
        return "Almost there";
    }
    if (progress > 0.42f) {
        return "Locking hardware GPU scheduling";
    }
    if (progress > 0.18f) {
        return "Applying the gaming profile";
    }
    return "Reading the driver";
}

} // namespace

// [SECTION] What the screen shows ------------------------------------------------------------

FirstLaunchView first_launch_view(const GpuDetection& detection) {
    FirstLaunchView view;
    view.phase = detection.setup_phase;
    const GpuVendor vendor = detection.selected_vendor;
    const char* short_name = vendor_short_name(vendor);
    if (view.phase != SetupPhase::Choosing) {
        const bool applied = view.phase == SetupPhase::Applied;
        view.heading = applied ? "You're good to go" : "Tuning your GPU";
        view.adapter_line = std::string(short_name) + "  \xC2\xB7  " + detection.adapter_display_name;
        view.stage = applied ? "Profile locked in" : applying_stage(detection.tune_progress);
        view.bar = applied ? 1.0f : detection.tune_progress;
        view.footnote = applied ? "Heading in\xE2\x80\xA6"
                                : "Sit tight \xE2\x80\x94 a few seconds. You only see this once.";
        return view;
    }
    view.choose_mode = detection.manual_pick || !is_known_vendor(vendor);
    if (view.choose_mode) {
        view.heading = "Which GPU do you game on?";
        view.back_to_detected = is_known_vendor(vendor);
        return view;
    }
    view.heading = "We spotted your graphics card";
    view.adapter_line = detection.adapter_display_name;
    view.looks_like = std::string("Looks like ") + short_name + ".";
    view.blurb = vendor_blurb(vendor);
    const int mask = detection.shown_presence_mask;
    if ((mask & kIntelBit) != 0 && (vendor == GpuVendor::Nvidia || vendor == GpuVendor::Amd)) {
        view.note = kIntelNote;
    } else if ((mask & kNvidiaBit) != 0 && (mask & kAmdBit) != 0) {
        view.note = kTwoCardsNote;
    }
    char action[64];
    std::snprintf(action, sizeof action, "Tune my %s GPU", short_name);
    view.action = action;
    return view;
}

// [SECTION] Timers ---------------------------------------------------------------------------

void advance_first_launch(ShellState& state, float dt) {
    GpuDetection& detection = gpu_detection();
    switch (detection.setup_phase) {
    case SetupPhase::Applying: {
        const bool done = detection.tuning_done.load();
        detection.tune_progress =
            approach(detection.tune_progress, done ? 1.0f : 0.88f, done ? 10.0f : 1.35f, dt);
        if (done && detection.tune_progress > 0.97f) {
            detection.setup_phase = SetupPhase::Applied;
            detection.applied_seconds = 0.0f;
        }
        break;
    }
    case SetupPhase::Applied:
        detection.applied_seconds += dt;
        if (detection.applied_seconds > 0.85f) {
            leave_first_launch(state);
        }
        break;
    case SetupPhase::Choosing:
        break;
    }
}

void leave_first_launch(ShellState& state) {
    finish_setup();
    state.content_alpha = 0.0f;
    state.content_slide = 18.0f;
    state.screen = Screen::Main;
}

// [SECTION] Drawing --------------------------------------------------------------------------

namespace {

void wrapped(const char* text, float width, Rgb colour) {
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + width);
    ImGui::PushStyleColor(ImGuiCol_Text, rgba(colour, 255));
    ImGui::TextUnformatted(text);
    ImGui::PopStyleColor();
    ImGui::PopTextWrapPos();
}

void heading(const char* text, float width) {
    ImGui::PushFont(font_or_current(ui_fonts().font_heading));
    wrapped(text, width, kText);
    ImGui::PopFont();
}

void skip_button(ShellState& state, float width) {
    if (ghost_button("Skip \xE2\x80\x94 don't ask again", ImVec2(width, 36))) {
        leave_first_launch(state);
    }
}

void draw_choose(ShellState& state, const FirstLaunchView& view, float w) {
    GpuDetection& detection = gpu_detection();
    wrapped("First launch", w, kMuted);
    gap_after_item(6);
    heading(view.heading, w);
    gap_after_item(10);
    wrapped("Tap the brand you actually play games on. We'll apply that profile automatically \xE2\x80\x94 "
            "this screen will not come back.",
            w, kMuted);
    gap_after_item(16);
    constexpr GpuVendor kBrands[] = {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel};
    const ImVec2 brand_size((w - 20) / 3, 52);
    for (GpuVendor brand : kBrands) {
        if (brand != GpuVendor::Nvidia) {
            ImGui::SameLine(0, 10);
        }
        if (ghost_button(vendor_short_name(brand), brand_size) && !detection.tuning_busy.load()) {
            confirm_vendor(brand);
        }
    }
    gap_after_item(16);
    if (view.back_to_detected) {
        if (ghost_button("Back to detected card", ImVec2(w, 36))) {
            detection.manual_pick = false;
        }
        gap_after_item(8);
    }
    skip_button(state, w);
}

void draw_confirm(ShellState& state, const FirstLaunchView& view, float w) {
    GpuDetection& detection = gpu_detection();
    wrapped("First launch", w, kMuted);
    gap_after_item(6);
    heading(view.heading, w);
    gap_after_item(10);
    ImGui::PushFont(font_or_current(ui_fonts().font_label));
    wrapped(view.adapter_line.c_str(), w, kText);
    ImGui::PopFont();
    gap_after_item(6);
    wrapped(view.looks_like.c_str(), w, kText);
    gap_after_item(8);
    wrapped(view.blurb, w, kMuted);
    if (view.note) {
        gap_after_item(6);
        wrapped(view.note, w, kAccentLight);
    }
    gap_after_item(18);
    if (action_button(view.action.c_str(), ImVec2(w, 44), 0.85f) && !detection.tuning_busy.load()) {
        confirm_vendor(detection.selected_vendor);
    }
    gap_after_item(10);
    if (ghost_button("That's not my card", ImVec2(w, 38))) {
        detection.manual_pick = true;
    }
    gap_after_item(8);
    skip_button(state, w);
}

void draw_progress(const FirstLaunchView& view, float w) {
    heading(view.heading, w);
    gap_after_item(6);
    wrapped(view.adapter_line.c_str(), w, kText);
    gap_after_item(16);
    wrapped(view.stage, w, kMuted);
    gap_after_item(14);
    progress_bar(view.bar, w);
    gap_after_item(8);
    wrapped(view.footnote, w, kMuted);
}

} // namespace

void draw_first_launch(ShellState& state) {
    detect_once();
    const ImVec2 o = ImGui::GetWindowPos();
    const float a = clamp01(state.content_alpha);
    const float s = state.content_slide;
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const FirstLaunchView view = first_launch_view(gpu_detection());

    draw_logo_mark(ImVec2(o.x + kWindowWidth / 2, o.y + 78 + 0.25f * s), 0.68f, a);
    ImFont* small = font_or_current(ui_fonts().font_small);
    const float caption_width = small->CalcTextSizeA(12, FLT_MAX, 0.0f, "Once only").x;
    draw_list->AddText(small, 12, ImVec2(o.x + kWindowWidth / 2 - caption_width * 0.5f, o.y + 118 + 0.2f * s),
                       color_with_alpha(kAccent, a), "Once only");

    // The card and everything in it fade with the content (the colours above carry `a` already).
    ImGui::PushStyleVar(ImGuiStyleVar_Alpha, a);

    const float h = view.phase == SetupPhase::Choosing ? 400.0f : 288.0f;
    draw_card(ImVec2(o.x + 340, o.y + 148 + s), ImVec2(o.x + 880, o.y + 148 + s + h), 26.0f, 0.94f, 0.12f);
    ImGui::SetCursorScreenPos(ImVec2(o.x + 368, o.y + 168 + s));
    if (ImGui::BeginChild("##gpusetup", ImVec2(484, h - 36), ImGuiChildFlags_None)) {
        const float w = ImGui::GetContentRegionAvail().x;
        if (view.phase != SetupPhase::Choosing) {
            draw_progress(view, w);
        } else if (view.choose_mode) {
            draw_choose(state, view, w);
        } else {
            draw_confirm(state, view, w);
        }
    }
    ImGui::EndChild();
    ImGui::PopStyleVar();
}

} // namespace tavrine
