// The HUD's cost on the main thread: one update that polls every sensor (ping on) and redraws
// the panel with every line shown, against the real machine under Wine, as a share of a
// 16.7 ms frame, median and best over the rounds; and, beside it, what the poll thread and the
// overlay thread then spend until the panel is on the screen. The ping goes to 127.0.0.1 only.
// Run with bench/overlay/hud.sh.
#include "overlays/hud.h"
#include "overlays/hud_window_win32.h"
#include "overlays/sensors.h"
#include "overlays/sensors_testing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tavrine;

namespace {

using Clock = std::chrono::steady_clock;

double micros_since(Clock::time_point since) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    set_ping_address_for_tests(0x0100007f);
    HudSettings& settings = hud_settings();
    settings = HudSettings{};
    settings.enabled = true;
    settings.show_ping = true; // every other line is shown by default
    set_hud_window(&win32_hud_window());

    // One whole update as the main loop makes it when a poll is due; the thread behind it is
    // let finish before the next, as between two polls 750 ms apart.
    auto settle = [] {
        wait_for_hud_poll();
        wait_for_hud_window();
        wait_for_ping_for_tests();
    };
    const auto first = Clock::now();
    update_hud_overlay(1.0f); // opens every source: the first poll after F7
    const double first_main = micros_since(first);
    settle();
    const double first_total = micros_since(first);

    std::vector<double> main_thread;
    std::vector<double> behind;
    for (int i = 0; i < rounds; ++i) {
        request_hud_redraw(); // the panel changes: a push every round
        const auto start = Clock::now();
        update_hud_overlay(1.0f);
        main_thread.push_back(micros_since(start));
        const auto handed = Clock::now();
        wait_for_hud_poll();
        wait_for_hud_window();
        behind.push_back(micros_since(handed));
        wait_for_ping_for_tests();
    }
    // The sensor calls alone, as the poll thread makes them (it is idle now).
    std::vector<double> sensors;
    for (int i = 0; i < std::min(rounds, 100); ++i) {
        const auto start = Clock::now();
        poll_cpu_and_memory();
        poll_gpu();
        sensors.push_back(micros_since(start));
    }
    const std::string source = sensor_readings().gpu_source;
    settings.enabled = false;
    update_hud_overlay(0.0f); // hides the panel and closes every source; nothing is saved
    win32_hud_window().destroy();

    constexpr double kFrameMicros = 1e6 / 60.0;
    auto share = [](double micros) {
        return 100.0 * micros / kFrameMicros;
    };
    std::printf(
        "HUD update with a poll due, every line shown, ping on (127.0.0.1), %d rounds, GPU source %s\n",
        rounds, source.c_str());
    std::printf("main thread: median %.1f us = %.2f %%, best %.1f us = %.2f %% of a 16.7 ms frame "
                "(target: under 5 %%)\n",
                median(main_thread), share(median(main_thread)), best(main_thread), share(best(main_thread)));
    std::printf("first poll after switching on: main thread %.0f us = %.2f %%\n", first_main,
                share(first_main));
    std::printf("behind it (poll thread and overlay thread until on screen): median %.0f us, best %.0f us; "
                "first %.0f us\n",
                median(behind), best(behind), first_total - first_main);
    std::printf("of which the sensor calls: median %.0f us, best %.0f us\n", median(sensors), best(sensors));
    return 0;
}
