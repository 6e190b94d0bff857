#pragma once
// The holds a run makes for a game: the "Game clamp" step and a title deploy's clamp stage.
// They join the process holds with the title catalogue and the compositor's settings, so they
// sit above both.

namespace tavrine {

// The "Game clamp" step: no ghosting for our window, then TargetExe or the selected title.
void game_clamp_step();
// clamp_game of the selected title's executable, when a title is selected and has one.
void clamp_selected_title();

// Which holds a title deploy makes, as its step read them from the arm flags.
struct RuntimeHolds {
    bool timer = false;
    bool power_lock = false;
    bool dwm = false;
    bool standby = false;
    bool working_set = false;
    bool game_clamp = false;
};

// The deploy's clamp stage: every hold asked for, then the game clamp of `exe_name` (or of the
// selected title when it is null or empty).
void apply_runtime_holds(const RuntimeHolds& holds, const char* exe_name);

} // namespace tavrine
