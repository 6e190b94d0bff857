// A library planted beside a program under the name of a system library (dwmapi.dll, dxgi.dll,
// ...). Loaded at all, it leaves C:\tavrine-planted-library.txt naming the program that loaded it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE marker = CreateFileW(L"C:\\tavrine-planted-library.txt", FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE) {
            char program[MAX_PATH] = {};
            const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
            DWORD written = 0;
            WriteFile(marker, program, length, &written, nullptr);
            WriteFile(marker, "\r\n", 2, &written, nullptr);
            CloseHandle(marker);
        }
    }
    return TRUE;
}
