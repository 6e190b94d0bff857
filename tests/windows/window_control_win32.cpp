// tavrine-test-window minimise|restore|iconic [title] | key <virtual-key>: acts on TavrineOptimiser's
// window (or the top-level window of that title) from another process of the same Wine session, for the
// checks that need what a desktop gives and Xvfb without a window manager does not: minimising and restoring
// the window, and a key press that reaches the program while none of its windows has the X focus.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    if (std::strcmp(argv[1], "key") == 0 && argc == 3) {
        const WORD key = static_cast<WORD>(std::strtoul(argv[2], nullptr, 0));
        INPUT inputs[2]{};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = key;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &inputs[0], sizeof(INPUT));
        Sleep(60);
        return SendInput(1, &inputs[1], sizeof(INPUT)) == 1 ? 0 : 1;
    }
    HWND window = nullptr;
    if (argc == 3) {
        wchar_t title[256] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, title, 255);
        window = FindWindowW(nullptr, title);
    } else {
        window = FindWindowW(L"TavrineOptimiser", nullptr);
    }
    if (!window) {
        return 1;
    }
    if (std::strcmp(argv[1], "iconic") == 0) {
        return IsIconic(window) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "minimise") == 0) {
        ShowWindow(window, SW_MINIMIZE);
        return IsIconic(window) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "restore") == 0) {
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        return IsIconic(window) ? 1 : 0;
    }
    return 2;
}
