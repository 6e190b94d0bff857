// The HUD: the panel's lines in every form, the settings file and its clamps, the alpha pass,
// and F7 on the fake machine (off closes every sensor, on polls at once).

#include "overlays/hud.h"
#include "overlays/sensors.h"
#include "tests/native/test_support.h"

#include <atomic>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tavrine {
namespace {

std::vector<std::string> lines(const HudPanel& panel) {
    std::vector<std::string> texts;
    for (const HudText& text : panel.texts) {
        texts.push_back(text.text);
    }
    return texts;
}

bool shows(const HudPanel& panel, const std::string& line) {
    const auto texts = lines(panel);
    return std::find(texts.begin(), texts.end(), line) != texts.end();
}

SensorReadings busy_machine() {
    SensorReadings r;
    r.cpu_load = 42;
    r.cpu_clock_now = 3600;
    r.cpu_clock_max = 4800;
    r.ram_load = 63;
    r.ram_used_gb = 10.04f;
    r.ram_total_gb = 15.9f;
    r.gpu_load = 97;
    r.gpu_temperature = 71;
    r.gpu_core_clock = 1905;
    r.gpu_memory_clock = 7001;
    r.vram_used_gb = 5.5f;
    r.vram_total_gb = 8;
    r.gpu_name = "Test GPU";
    r.gpu_source = "NVML";
    r.ping_ms = 12;
    return r;
}

TEST(HudPanel, every_line_shown_reads_in_order_from_title_to_footer) {
    HudSettings settings;
    settings.show_ping = true;
    EXPECT_EQ(
        lines(build_hud_panel(settings, busy_machine(), 1920, 1080)),
        (std::vector<std::string>{"TAVRINE  HUD", "Test GPU", "CPU     42%    3600 / 4800 MHz",
                                  "GPU     97%    71 C   1905 MHz", "VRAM  5.5 / 8.0 GB", "MEMCLK 7001 MHz",
                                  "RAM     63%    10.0 / 15.9 GB", "PING   12 ms   1.1.1.1", "F7 toggle"}));
}

TEST(HudPanel, gpu_line_takes_each_form_by_what_is_known_and_shown) {
    HudSettings settings;
    SensorReadings r = busy_machine();
    settings.show_clocks = false;
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "GPU     97%    71 C"));
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "CPU     42%"));
    settings.show_gpu_temperature = false;
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "GPU     97%"));
    settings.show_gpu_temperature = true;
    r.gpu_load = -1;
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "GPU  --        71 C"));
    r.gpu_temperature = -1;
    r.gpu_source = "DXGI";
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "GPU  --        DXGI"));
}

TEST(HudPanel, small_vram_memory_clock_and_ping_lines_are_left_out_or_marked) {
    HudSettings settings;
    SensorReadings r = busy_machine();
    r.vram_total_gb = 0.04f;
    r.gpu_memory_clock = 0;
    const HudPanel panel = build_hud_panel(settings, r, 1920, 1080);
    EXPECT_EQ(std::count_if(panel.texts.begin(), panel.texts.end(),
                            [](const HudText& t) {
                                return t.text.starts_with("VRAM") || t.text.starts_with("MEMCLK") ||
                                       t.text.starts_with("PING");
                            }),
              0);
    settings.show_ping = true;
    r.ping_ms = -1;
    EXPECT_TRUE(shows(build_hud_panel(settings, r, 1920, 1080), "PING  --"));
}

TEST(HudPanel, corners_sit_18_pixels_from_the_screen_edges_and_the_footer_near_the_bottom) {
    HudSettings settings;
    settings.corner = 1;
    const HudPanel top_right = build_hud_panel(settings, busy_machine(), 1920, 1080);
    EXPECT_EQ(top_right.x, 1920 - 320 - 18);
    EXPECT_EQ(top_right.y, 18);
    EXPECT_EQ(top_right.texts.back().y, 228 - 22);
    settings.corner = 2;
    const HudPanel bottom_left = build_hud_panel(settings, busy_machine(), 1920, 1080);
    EXPECT_EQ(bottom_left.x, 18);
    EXPECT_EQ(bottom_left.y, 1080 - 228 - 18);
}

TEST(HudSettingsFile, load_clamps_scale_poll_and_opacity) {
    HudSettings settings;
    parse_hud_settings("1\n1\n1\n1\n1\n1\n0\n7\n10\n100\n2.0\n", settings);
    EXPECT_EQ(settings.scale, 1.6f);
    EXPECT_EQ(settings.poll_ms, 400);
    EXPECT_EQ(settings.opacity, 20);
    EXPECT_EQ(settings.corner, 3);
    const HudPanel panel = build_hud_panel(settings, SensorReadings{}, 1920, 1080);
    EXPECT_EQ(panel.width, 512);
    EXPECT_EQ(panel.height, 364);
    EXPECT_EQ(panel.alpha, 51);
    EXPECT_EQ(hud_alpha(100), 255);

    parse_hud_settings("1\n1\n1\n1\n1\n1\n0\n1\n88\n5000\n1\n", settings);
    EXPECT_EQ(settings.poll_ms, 3000);
}

TEST(HudSettingsFile, a_damaged_file_keeps_the_defaults_from_the_first_bad_value_on) {
    HudSettings settings;
    parse_hud_settings("1\n0\nzero\n0\n", settings);
    HudSettings expected;
    expected.enabled = true;
    expected.show_cpu = false;
    EXPECT_EQ(settings, expected);
}

TEST(HudSettingsFile, the_file_is_eleven_lines_that_read_back_the_same) {
    HudSettings settings;
    settings.enabled = true;
    settings.corner = 2;
    settings.scale = 1.25f;
    const std::string text = format_hud_settings(settings);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    HudSettings read;
    parse_hud_settings(text, read);
    EXPECT_EQ(read, settings);
}

TEST(HudPanel, alpha_pass_makes_black_transparent_and_premultiplies_the_rest) {
    std::vector<std::uint32_t> pixels{0x00000000, 0x00FF8040};
    apply_hud_alpha(pixels, 51);
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[1], 0x3333190Cu);
}

// Remembers what the HUD asked of its window.
class RecordedWindow final : public HudWindow {
public:
    bool exists() override { return created; }
    bool create() override { return created = true; }
    int screen_width() override { return 1920; }
    int screen_height() override { return 1080; }
    void present(const HudPanel& panel) override {
        ++presents;
        shown = true;
        last = panel;
    }
    void hide() override { shown = false; }
    void destroy() override { created = false; }

    bool created = false;
    // The poll thread presents while the test reads these.
    std::atomic<bool> shown{false};
    std::atomic<int> presents{0};
    HudPanel last;
};

class HudToggleTest : public test::EngineTest {
protected:
    HudToggleTest() {
        set_hud_window(&window);
        fake.sensors().set_video_adapter("Test GPU", VideoMemory{1ull << 30, 4ull << 30});
        fake.sensors().set_nvml(GpuSample{std::nullopt, 60.0f, 1500, 6000, 30.0f});
    }
    ~HudToggleTest() override {
        wait_for_hud_poll();
        close_sensors();
        set_hud_window(nullptr);
    }
    RecordedWindow window;
};

TEST_F(HudToggleTest, f7_on_polls_at_once_and_f7_off_hides_the_panel_and_closes_every_source) {
    toggle_hud();
    update_hud_overlay(0.001f);
    wait_for_hud_poll();
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.presents, 1);
    EXPECT_TRUE(shows(window.last, "GPU     30%    60 C   1500 MHz"));
    EXPECT_GT(fake.sensors().open_sources(), 0);

    const std::string file = "C:\\Users\\Player\\AppData\\Roaming\\Tavrine\\hud.cfg";
    EXPECT_EQ(fake.files().entry(file)->content,
              "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n88\r\n750\r\n1\r\n");

    toggle_hud();
    EXPECT_FALSE(window.shown);
    EXPECT_EQ(fake.sensors().open_sources(), 0);
    EXPECT_TRUE(fake.files().entry(file)->content.starts_with("0\r\n"));
    update_hud_overlay(5.0f);
    wait_for_hud_poll();
    EXPECT_EQ(window.presents, 1);

    toggle_hud();
    update_hud_overlay(0.001f);
    wait_for_hud_poll();
    EXPECT_EQ(window.presents, 2);
    const auto log = fake.sensors().log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "open nvml"), 2);
}

TEST_F(HudToggleTest, start_up_reads_the_earlier_products_file_and_clamps_it) {
    fake.files().add_text_file("C:\\Users\\Player\\AppData\\Roaming\\Dunmarrow\\hud.cfg",
                               "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n0\r\n95\r\n9000\r\n");
    load_hud_settings();
    EXPECT_TRUE(hud_settings().enabled);
    EXPECT_TRUE(hud_settings().show_ping);
    EXPECT_EQ(hud_settings().poll_ms, 3000);
    EXPECT_EQ(hud_settings().scale, 1.0f); // missing from the short file: the default stays
}

TEST_F(HudToggleTest, the_panel_is_polled_at_the_interval_by_itself_with_no_frame_drawn) {
    hud_settings().poll_ms = 400;
    toggle_hud();
    const auto start = std::chrono::steady_clock::now();
    update_hud_overlay(0.001f);
    wait_for_hud_poll();
    for (int frame = 0; frame < 20; ++frame) {
        update_hud_overlay(0.016f); // frames in between poll nothing
    }
    wait_for_hud_poll();
    EXPECT_EQ(window.presents, 1);
    // No frame from here on: the poll thread keeps the interval.
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        wait_for_hud_poll();
        if (window.presents >= 2) {
            break;
        }
    }
    EXPECT_EQ(window.presents, 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    toggle_hud();
}

} // namespace
} // namespace tavrine
