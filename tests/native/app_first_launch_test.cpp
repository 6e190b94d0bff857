// The first-launch GPU setup screen and the Settings page's GPU card, drawn headless on the
// fake machine: what each mode shows, what its buttons start, its timings and its hand-over.

#include "app/first_launch.h"
#include "app/pages/pages.h"
#include "app/screens.h"
#include "app/shell_links.h"
#include "app_headless.h"
#include "tests/native/gpu_test_support.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrine {
namespace {

using test::add_adapter;
using test::HeadlessUi;

constexpr float kDt = 1.0f / 60.0f;
constexpr const char* kGraphicsDrivers = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";

// A vendor thread the test finishes by hand.
std::function<void()> g_held_job;
bool hold_job(std::function<void()> job) {
    g_held_job = std::move(job);
    return true;
}

// The window named `label` inside the current frame's windows (child names carry a suffix).
ImGuiWindow* window_named(std::string_view label) {
    for (ImGuiWindow* window : ImGui::GetCurrentContext()->Windows) {
        if (window->Active && std::string_view(window->Name).find(label) != std::string_view::npos) {
            return window;
        }
    }
    return nullptr;
}

// The id a custom widget gets for `label` inside `window` (PushID(label), then its own id).
ImGuiID widget_id(ImGuiWindow* window, const char* label, const char* inner) {
    const ImGuiID seed = ImHashStr(label, 0, window->ID);
    return ImHashStr(inner, 0, seed);
}

class Screens : public test::EngineTest {
protected:
    Screens() {
        g_held_job = nullptr;
        state.screen = Screen::FirstLaunch;
        state.window_fade = 1.0f;
        state.content_alpha = 1.0f;
        links.advance_first_launch = advance_first_launch;
        links.draw_first_launch = draw_first_launch;
        ui.move_mouse(-50, -50);
    }
    ~Screens() override { g_held_job = nullptr; }

    void frame() { draw_screen(); }
    FirstLaunchView view() { return first_launch_view(gpu_detection()); }

    // Where the button labelled `label` is: the first spot on six vertical lines across
    // `panel` that hovers it.
    std::optional<ImVec2> find_button(const char* panel, const char* label, const char* inner) {
        frame();
        ImGuiWindow* window = window_named(panel);
        if (window == nullptr) {
            return std::nullopt;
        }
        const ImGuiID id = widget_id(window, label, inner);
        const ImRect area = window->Rect();
        for (int column = 0; column < 6; ++column) {
            const float x = area.Min.x + area.GetWidth() * (2 * column + 1) / 12;
            for (float y = area.Min.y + 2; y < area.Max.y; y += 5) {
                ui.move_mouse(x, y);
                frame();
                if (ImGui::GetCurrentContext()->HoveredId == id) {
                    ui.move_mouse(-50, -50);
                    return ImVec2(x, y);
                }
            }
        }
        ui.move_mouse(-50, -50);
        return std::nullopt;
    }
    bool click(const char* label, const char* inner = "##ghost", const char* panel = "##gpusetup") {
        const std::optional<ImVec2> at = find_button(panel, label, inner);
        if (!at) {
            return false;
        }
        ui.move_mouse(at->x, at->y);
        frame();
        ui.press();
        frame();
        ui.release();
        frame();
        ui.move_mouse(-50, -50);
        return true;
    }
    // Frames until the screen leaves for the main screen; the frame time that took.
    float seconds_until_main(float limit = 10.0f) {
        float elapsed = 0.0f;
        while (state.screen == Screen::FirstLaunch && elapsed < limit) {
            frame();
            elapsed += kDt;
        }
        return elapsed;
    }

    HeadlessUi ui{kDt};
    ShellState state;
    ShellLinks links{};
    std::function<void()> draw_screen = [this] {
        ui.bare_frame([this] { shell_frame_body(state, links, kDt, 0.0f); });
    };
};

TEST_F(Screens, confirm_mode_names_the_card_and_notes_intel_graphics_beside_it) {
    add_adapter(fake, "0000", "Intel(R) UHD Graphics 770");
    add_adapter(fake, "0001", "NVIDIA GeForce RTX 4070");
    frame();
    const FirstLaunchView shown = view();
    EXPECT_FALSE(shown.choose_mode);
    EXPECT_STREQ(shown.heading, "We spotted your graphics card");
    EXPECT_EQ(shown.adapter_line, "NVIDIA GeForce RTX 4070");
    EXPECT_EQ(shown.looks_like, "Looks like NVIDIA.");
    EXPECT_STREQ(shown.note, "Also found Intel laptop graphics. We'll tune the gaming card.");
    EXPECT_EQ(shown.action, "Tune my NVIDIA GPU");
}

TEST_F(Screens, two_gaming_cards_get_their_note_and_intel_alone_none) {
    add_adapter(fake, "0000", "AMD Radeon RX 6800");
    add_adapter(fake, "0001", "NVIDIA GeForce RTX 3080");
    frame();
    EXPECT_STREQ(view().note, "Two gaming GPUs showed up. Confirm the one you play on.");

    test::reset_gpu_setup();
    FakeMachine intel_only;
    ScopedMachine scope(intel_only);
    add_adapter(intel_only, "0000", "Intel(R) Iris(R) Xe Graphics");
    frame();
    EXPECT_EQ(view().looks_like, "Looks like Intel.");
    EXPECT_EQ(view().note, nullptr);
}

TEST_F(Screens, choose_mode_offers_the_way_back_only_to_a_detected_card) {
    frame(); // nothing recognised
    EXPECT_TRUE(view().choose_mode);
    EXPECT_STREQ(view().heading, "Which GPU do you game on?");
    EXPECT_FALSE(view().back_to_detected);

    test::reset_gpu_setup();
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    ASSERT_TRUE(click("That's not my card"));
    EXPECT_TRUE(view().choose_mode);
    EXPECT_TRUE(view().back_to_detected);
    ASSERT_TRUE(click("Back to detected card"));
    EXPECT_FALSE(view().choose_mode);
}

TEST_F(Screens, not_my_card_then_amd_applies_the_amd_profile_and_remembers_amd) {
    const std::string nvidia = add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    const std::string amd = add_adapter(fake, "0001", "AMD Radeon RX 7600");
    set_gpu_worker_starter(test::run_in_place);
    ASSERT_TRUE(click("That's not my card"));
    ASSERT_TRUE(click("AMD"));
    EXPECT_EQ(fake.registry().dword(amd, "EnableUlps"), 0u);
    EXPECT_FALSE(fake.registry().has_value(nvidia, "PowerMizerEnable"));
    EXPECT_EQ(fake.registry().dword(kGraphicsDrivers, "HwSchMode"), 2u);
    seconds_until_main();
    EXPECT_EQ(state.screen, Screen::Main);
    EXPECT_EQ(remembered_vendor(), GpuVendor::Amd);
    EXPECT_FALSE(is_first_launch());
}

TEST_F(Screens, the_bar_creeps_toward_88_percent_then_holds_good_to_go_for_0_85_seconds) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    set_gpu_worker_starter(hold_job);
    ASSERT_TRUE(click("Tune my NVIDIA GPU", "##cta"));
    ASSERT_TRUE(g_held_job);
    EXPECT_STREQ(view().heading, "Tuning your GPU");
    EXPECT_EQ(view().adapter_line, "NVIDIA  \xC2\xB7  NVIDIA GeForce RTX 4070");
    for (int i = 0; i < 600; ++i) { // ten seconds with the worker still busy
        frame();
    }
    EXPECT_EQ(gpu_detection().setup_phase, SetupPhase::Applying);
    EXPECT_GT(view().bar, 0.85f);
    EXPECT_LE(view().bar, 0.88f);
    EXPECT_STREQ(view().stage, "Almost there");

    g_held_job();
    float filling = 0.0f;
    while (gpu_detection().setup_phase == SetupPhase::Applying && filling < 5.0f) {
        frame();
        filling += kDt;
    }
    ASSERT_EQ(gpu_detection().setup_phase, SetupPhase::Applied);
    EXPECT_STREQ(view().heading, "You're good to go");
    EXPECT_STREQ(view().stage, "Profile locked in");
    const float held = seconds_until_main();
    EXPECT_EQ(state.screen, Screen::Main);
    EXPECT_NEAR(held, 0.85f, 1.5f * kDt);
    EXPECT_EQ(remembered_vendor(), GpuVendor::Nvidia);
}

TEST_F(Screens, a_vendor_thread_that_cannot_start_leaves_the_choice_on_screen) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    set_gpu_worker_starter(test::refuse_thread);
    ASSERT_TRUE(click("Tune my NVIDIA GPU", "##cta"));
    frame();
    EXPECT_EQ(gpu_detection().setup_phase, SetupPhase::Choosing);
    EXPECT_FALSE(gpu_detection().tuning_busy.load());
    EXPECT_EQ(state.screen, Screen::FirstLaunch);

    set_gpu_worker_starter(test::run_in_place); // the button works again
    ASSERT_TRUE(click("Tune my NVIDIA GPU", "##cta"));
    EXPECT_EQ(fake.registry().dword(kGraphicsDrivers, "HwSchMode"), 2u);
}

TEST_F(Screens, skip_saves_the_detected_vendor_and_shows_the_main_screen) {
    add_adapter(fake, "0000", "Intel(R) UHD Graphics 630");
    ASSERT_TRUE(click("Skip \xE2\x80\x94 don't ask again"));
    EXPECT_EQ(state.screen, Screen::Main);
    EXPECT_EQ(remembered_vendor(), GpuVendor::Intel);
    EXPECT_FALSE(is_first_launch());
    for (const std::string& line : fake.journal()) {
        EXPECT_EQ(line.rfind("SET ", 0), std::string::npos) << "skipping applies nothing: " << line;
    }
}

TEST_F(Screens, settings_card_tunes_now_and_shows_the_setup_again_at_the_next_start) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    ASSERT_TRUE(save_vendor_record(GpuVendor::Nvidia, "NVIDIA GeForce RTX 4070"));
    // The card on its own, as the Settings page draws it between its other cards.
    draw_screen = [this] {
        ui.frame([this] { draw_gpu_card(state); });
    };
    set_gpu_worker_starter(test::run_in_place);
    ASSERT_TRUE(click("Tune GPU now", "##cta", "##test"));
    EXPECT_EQ(fake.registry().dword(kGraphicsDrivers, "HwSchMode"), 2u);
    EXPECT_FALSE(gpu_detection().tuning_busy.load());

    ASSERT_TRUE(click("Show setup next launch", "##ghost", "##test"));
    EXPECT_TRUE(is_first_launch());
    EXPECT_FALSE(gpu_detection().detected_once) << "the next check detects afresh";
}

} // namespace
} // namespace tavrine
