#include "overlays/hud_panel.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace tavrine {

namespace {

constexpr int kMargin = 18;

[[gnu::format(printf, 1, 2)]] std::string formatted(const char* format, ...) {
    char buffer[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

std::string cpu_line(const HudSettings& settings, const SensorReadings& r) {
    if (settings.show_clocks && r.cpu_clock_now > 0) {
        return formatted("CPU  %5.0f%%    %d / %d MHz", r.cpu_load, r.cpu_clock_now, r.cpu_clock_max);
    }
    return formatted("CPU  %5.0f%%", r.cpu_load);
}

std::string gpu_line(const HudSettings& settings, const SensorReadings& r) {
    const bool temperature = settings.show_gpu_temperature && r.gpu_temperature >= 0;
    if (r.gpu_load >= 0) {
        if (!temperature) {
            return formatted("GPU  %5.0f%%", r.gpu_load);
        }
        if (settings.show_clocks && r.gpu_core_clock > 0) {
            return formatted("GPU  %5.0f%%    %.0f C   %d MHz", r.gpu_load, r.gpu_temperature,
                             r.gpu_core_clock);
        }
        return formatted("GPU  %5.0f%%    %.0f C", r.gpu_load, r.gpu_temperature);
    }
    if (temperature) {
        return formatted("GPU  --        %.0f C", r.gpu_temperature);
    }
    return formatted("GPU  --        %s", r.gpu_source.c_str());
}

} // namespace

std::uint8_t hud_alpha(int opacity) {
    const float share = std::clamp(static_cast<float>(opacity) / 100.0f, 0.15f, 1.0f);
    return static_cast<std::uint8_t>(std::clamp(share * 255.0f, 0.0f, 255.0f));
}

HudPanel build_hud_panel(const HudSettings& settings, const SensorReadings& r, int screen_width,
                         int screen_height) {
    const float s = std::clamp(settings.scale, 0.75f, 1.6f);
    // Every scaled length is truncated toward zero.
    auto scaled = [s](float length) {
        return static_cast<int>(length * s);
    };
    HudPanel panel;
    panel.width = scaled(320);
    panel.height = scaled(228);
    const bool right = settings.corner == 1 || settings.corner == 3;
    const bool bottom = settings.corner == 2 || settings.corner == 3;
    panel.x = right ? screen_width - panel.width - kMargin : kMargin;
    panel.y = bottom ? screen_height - panel.height - kMargin : kMargin;
    panel.accent_width = scaled(4);
    panel.title_font_height = scaled(15);
    panel.body_font_height = scaled(13);
    panel.alpha = hud_alpha(settings.opacity);

    const int x = scaled(16);
    int y = scaled(10);
    auto line = [&](HudColour colour, HudFont font, std::string text) {
        panel.texts.push_back({x, y, colour, font, std::move(text)});
    };
    line(kHudAccent, HudFont::Title, "TAVRINE  HUD");
    y += scaled(22);
    line(kHudSecondary, HudFont::Body, r.gpu_name);
    y += scaled(20);
    if (settings.show_cpu) {
        line(kHudPrimary, HudFont::Body, cpu_line(settings, r));
        y += scaled(18);
    }
    if (settings.show_gpu) {
        line(kHudPrimary, HudFont::Body, gpu_line(settings, r));
        y += scaled(18);
        if (r.vram_total_gb > 0.05f) {
            line(kHudPrimary, HudFont::Body,
                 formatted("VRAM %4.1f / %.1f GB", r.vram_used_gb, r.vram_total_gb));
            y += scaled(18);
        }
        if (settings.show_clocks && r.gpu_memory_clock > 0) {
            line(kHudSecondary, HudFont::Body, formatted("MEMCLK %d MHz", r.gpu_memory_clock));
            y += scaled(18);
        }
    }
    if (settings.show_ram) {
        line(kHudPrimary, HudFont::Body,
             formatted("RAM  %5.0f%%    %.1f / %.1f GB", r.ram_load, r.ram_used_gb, r.ram_total_gb));
        y += scaled(18);
    }
    if (settings.show_ping) {
        line(kHudPrimary, HudFont::Body,
             r.ping_ms >= 0 ? formatted("PING %4d ms   1.1.1.1", r.ping_ms) : std::string("PING  --"));
    }
    y = panel.height - scaled(22);
    line(kHudSecondary, HudFont::Body, "F7 toggle");
    return panel;
}

void apply_hud_alpha(std::span<std::uint32_t> pixels, std::uint8_t alpha) {
    for (std::uint32_t& pixel : pixels) {
        if ((pixel & 0x00FFFFFFu) == 0) {
            pixel = 0;
            continue;
        }
        auto channel = [&](int shift) {
            return ((pixel >> shift) & 0xFFu) * alpha / 255u;
        };
        pixel =
            (static_cast<std::uint32_t>(alpha) << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
}

} // namespace tavrine
