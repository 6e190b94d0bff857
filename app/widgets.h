#pragma once
// The custom widgets every page and screen is built from. Immediate mode: each is called inside
// an ImGui window, draws through the window's draw list, advances the cursor like an item and
// returns whether it was clicked this frame. No platform calls here: the native build draws
// them headless in tests.

#include <imgui.h>

namespace tavrine {

// Surfaces
void draw_window_background(ImVec2 origin, float fade);
void draw_logo_mark(ImVec2 centre, float scale, float alpha);
void draw_card(ImVec2 min, ImVec2 max, float rounding, float fill_alpha, float outline);

// Navigation
// The navigation icons; an icon is passed as its number, and one out of range draws nothing.
enum NavIcon : int {
    kOverviewIcon = 0, // house
    kLatencyIcon = 1,  // wave
    kFramesIcon = 2,   // bars
    kNetcodeIcon = 3,  // rings
    kCleanupIcon = 4,  // ring and tick
    kDeployIcon = 5,   // play triangle
    kCrosshairIcon = 6,
    kSettingsIcon = 7,
    kCpuIcon = 8,   // chip
    kGamesIcon = 9, // controller sticks
};
bool nav_item(int slot, const char* label, int icon, bool selected, float width);
void nav_section_label(const char* text, float width);
void nav_icon(ImDrawList* draw_list, int id, ImVec2 centre, ImU32 colour);
void section_header(const char* kicker, const char* title, const char* pill);

// Rows and switches
bool module_row(const char* label, const char* sub_label, bool& flag, const char* description, float width);
bool toggle_row(const char* label, bool& flag, const char* description);
void switch_glyph(ImVec2 pos, float on, float hover);

// Buttons and bars
bool action_button(const char* label, ImVec2 size, float glow);
bool ghost_button(const char* label, ImVec2 size);
void progress_bar(float fraction, float width);

// Cards
bool preset_card(const char* name, const char* sub_label, bool active, float width);
struct TitleTileText {
    const char* name;
    const char* tag;
    const char* blurb;
};
// Returns true when the title was picked; `optimise_pressed` is set only when its "Optimise"
// button was clicked while neither a deploy nor a run is in progress.
bool title_tile(const TitleTileText& title, bool selected, float width, bool& optimise_pressed);
void stat_card(const char* caption, const char* value, const char* footnote, float width, float fraction);

// Text
void spaced_text(ImDrawList* draw_list, ImVec2 pos, float size, ImU32 colour, const char* text,
                 float spacing);
void fitted_text(ImDrawList* draw_list, ImFont* font, float size, ImVec2 pos, float max_width, ImU32 colour,
                 const char* text);
// The text fitted_text would draw (the input itself when it fits).
const char* fit_text(ImFont* font, float size, float max_width, const char* text, char* buffer,
                     int buffer_size);

// The font to draw with: `font` when loaded, else ImGui's current font.
ImFont* font_or_current(ImFont* font);
float text_width(ImFont* font, float size, const char* text);

} // namespace tavrine
