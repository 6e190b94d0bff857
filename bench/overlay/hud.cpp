// The HUD's cost on the main thread: one poll of every sensor (ping on) and one redraw of the
// panel with every line shown, against the real machine under Wine, as a share of a 16.7 ms
// frame. The ping goes to 127.0.0.1 only. Run with bench/overlay/hud.sh.
#include "overlays/hud_window_win32.h"
#include "overlays/sensors.h"
#include "overlays/sensors_testing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace tavrine;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    set_ping_address_for_tests(0x0100007f);
    HudSettings settings;
    settings.enabled = true;
    settings.show_ping = true;
    HudWindow& window = win32_hud_window();
    if (!window.create()) {
        std::fprintf(stderr, "bench: the HUD window cannot be created\n");
        return 1;
    }
    auto one_frame = [&] {
        poll_cpu_and_memory();
        poll_gpu();
        poll_ping();
        window.present(
            build_hud_panel(settings, sensor_readings(), window.screen_width(), window.screen_height()));
    };
    one_frame(); // opens every source: the first poll after F7, timed apart below
    wait_for_ping_for_tests();

    using Clock = std::chrono::steady_clock;
    auto elapsed_ms = [](Clock::time_point since) {
        return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    };
    // Per part, so a slow one shows: CPU and memory, GPU, ping, panel content, GDI and push.
    double part_ms[5] = {};
    double total_ms = 0;
    double worst_ms = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        auto mark = start;
        auto lap = [&](int part) {
            part_ms[part] += elapsed_ms(mark);
            mark = Clock::now();
        };
        poll_cpu_and_memory();
        lap(0);
        poll_gpu();
        lap(1);
        poll_ping();
        lap(2);
        const HudPanel panel =
            build_hud_panel(settings, sensor_readings(), window.screen_width(), window.screen_height());
        lap(3);
        window.present(panel);
        lap(4);
        const double ms = elapsed_ms(start);
        total_ms += ms;
        worst_ms = std::max(worst_ms, ms);
        wait_for_ping_for_tests(); // as between two polls: the echo has long come back
    }
    close_sensors();
    const auto reopen = Clock::now();
    one_frame();
    const double first_ms = std::chrono::duration<double, std::milli>(Clock::now() - reopen).count();
    wait_for_ping_for_tests();
    window.destroy();
    close_sensors();

    const SensorReadings& r = sensor_readings();
    const double mean_ms = total_ms / rounds;
    std::printf("HUD poll + redraw, every line, ping on (%d rounds, GPU source %s)\n", rounds,
                r.gpu_source.c_str());
    std::printf("  mean %.3f ms = %.2f %% of a 16.7 ms frame (target < 5 %%)\n", mean_ms,
                mean_ms / 16.7 * 100);
    std::printf("  worst %.3f ms = %.2f %%; first poll after switching on %.3f ms = %.2f %%\n", worst_ms,
                worst_ms / 16.7 * 100, first_ms, first_ms / 16.7 * 100);
    const char* part_names[5] = {"CPU and memory", "GPU", "ping", "panel content", "paint and push"};
    for (int part = 0; part < 5; ++part) {
        std::printf("    %-15s %.3f ms\n", part_names[part], part_ms[part] / rounds);
    }
    std::printf("  at the default 750 ms poll interval: %.3f %% of all frame time\n", mean_ms / 750 * 100);
    return 0;
}
