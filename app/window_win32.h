#pragma once
// The main window: class, procedure and the compositor's blur behind.

#include <windows.h>

namespace tavrine {

inline constexpr const wchar_t* kWindowClassName = L"TavrineOptimiser";

HWND main_window();
void set_main_window(HWND hwnd);

LRESULT CALLBACK window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
void set_blur_behind(bool on);

} // namespace tavrine
