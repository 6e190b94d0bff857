// tavrine-test-send-keys <command>...: keys for the window checks, delivered inside the Wine
// session rather than through X. X focus under Xvfb (no window manager) drifts to whatever
// window was mapped last, so keys sent with xdotool could land nowhere; SendInput goes to the
// window Wine itself holds in the foreground, which this helper sets first.
//
//   focus           bring the main window to the foreground (fails when it cannot)
//   key NAME        press and release Delete, F7, F8, Escape, Enter, Tab or Backspace
//   text STRING     type STRING (ASCII), one character at a time
//   away            give the foreground to a window of this helper's own (kept until it exits)
//   wait MS         wait, still holding whatever window it made
//
// Exit code 0 when every command did what it says, 1 when one failed, 2 on bad arguments, 3 when
// a key meant for the main window found the foreground with another program (or none) by the
// time it was released: Wine without a window manager moves focus on its own, and the caller may
// press once more, counted as a retry. Focus taken by a window of the program itself is a 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr wchar_t kMainWindowClass[] = L"TavrineOptimiser";

HWND main_window() {
    return FindWindowW(kMainWindowClass, nullptr);
}

bool foreground_is(HWND window) {
    return window != nullptr && GetForegroundWindow() == window;
}

// A key press lets the foreground change hands here as it would for the user's own click.
bool bring_to_front(HWND window) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
        Sleep(50);
        if (foreground_is(window)) {
            return true;
        }
    }
    return false;
}

bool send(WORD key, bool down, wchar_t unicode = 0) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = unicode != 0 ? 0 : key;
    input.ki.wScan = unicode != 0 ? unicode : static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (unicode != 0 ? KEYEVENTF_UNICODE : 0) | (down ? 0 : KEYEVENTF_KEYUP);
    if (key == VK_DELETE && unicode == 0) {
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    }
    return SendInput(1, &input, sizeof input) == 1;
}

// Held long enough for a frame loop that polls "pressed since the last poll" on a slow frame.
bool press(WORD key, wchar_t unicode = 0) {
    const bool down = send(key, true, unicode);
    Sleep(80);
    const bool up = send(key, false, unicode);
    Sleep(40);
    return down && up;
}

WORD key_named(const char* name) {
    struct Named {
        const char* name;
        WORD key;
    };
    static constexpr Named kKeys[] = {{"Delete", VK_DELETE}, {"F7", VK_F7},        {"F8", VK_F8},
                                      {"Escape", VK_ESCAPE}, {"Enter", VK_RETURN}, {"Tab", VK_TAB},
                                      {"Backspace", VK_BACK}};
    for (const Named& named : kKeys) {
        if (_stricmp(named.name, name) == 0) {
            return named.key;
        }
    }
    return 0;
}

// Where the foreground is, when it is not the main window: "none", or whose window it is.
std::string foreground_owner(HWND main) {
    HWND now = GetForegroundWindow();
    if (now == nullptr) {
        return "none";
    }
    DWORD now_pid = 0;
    DWORD main_pid = 0;
    GetWindowThreadProcessId(now, &now_pid);
    GetWindowThreadProcessId(main, &main_pid);
    wchar_t name[64] = {};
    GetClassNameW(now, name, 64);
    char narrow[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    return std::string(now_pid == main_pid ? "the program's own window " : "another program's window ") +
           narrow;
}

// A plain visible window of this process takes the foreground from the program.
bool take_foreground_away(HWND target) {
    HWND away = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Another program", WS_POPUP | WS_VISIBLE, 0, 0,
                                200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (away == nullptr) {
        return false;
    }
    const bool moved = bring_to_front(away) && !foreground_is(target);
    std::printf("foreground: %s\n", moved ? "another window" : "still the program");
    return moved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrine-test-send-keys focus | key NAME | text STRING | away ...\n");
        return 2;
    }
    HWND window = main_window();
    if (window == nullptr) {
        std::fprintf(stderr, "send-keys: no main window\n");
        return 1;
    }
    bool focused = false; // keys from here on are meant for the main window
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        if (command == "focus") {
            if (!bring_to_front(window)) {
                std::fprintf(stderr, "send-keys: the main window did not come to the foreground\n");
                return 1;
            }
            focused = true;
        } else if (command == "key" && i + 1 < argc) {
            const WORD key = key_named(argv[++i]);
            if (key == 0) {
                return 2;
            }
            std::string moved_to = focused && !foreground_is(window) ? foreground_owner(window) : "";
            if (!press(key)) {
                std::fprintf(stderr, "send-keys: SendInput refused %s\n", argv[i]);
                return 1;
            }
            // Once the window is gone or hidden (Delete) there is nothing left to miss the key.
            if (moved_to.empty() && focused && IsWindow(window) && IsWindowVisible(window) &&
                !foreground_is(window)) {
                moved_to = foreground_owner(window);
            }
            // F7 and F8 act whatever window is in front: a moved foreground costs them nothing.
            if (!moved_to.empty() && key != VK_F7 && key != VK_F8) {
                std::fprintf(stderr, "send-keys: %s found the foreground with %s\n", argv[i],
                             moved_to.c_str());
                return moved_to.rfind("the program", 0) == 0 ? 1 : 3;
            }
        } else if (command == "text" && i + 1 < argc) {
            for (const char* c = argv[++i]; *c != '\0'; ++c) {
                if (!press(0, static_cast<wchar_t>(static_cast<unsigned char>(*c)))) {
                    return 1;
                }
            }
        } else if (command == "wait" && i + 1 < argc) {
            const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argv[++i]));
            MSG msg;
            while (static_cast<LONG>(until - GetTickCount()) > 0) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    DispatchMessageW(&msg);
                }
                Sleep(10);
            }
        } else if (command == "away") {
            if (!take_foreground_away(window)) {
                return 1;
            }
        } else {
            return 2;
        }
    }
    return 0;
}
