#include "sending_picture_win32.h"

#include <windows.h>

namespace tavrine::test {

namespace {

constexpr wchar_t kClass[] = L"TavrineTestReceiver";
HWND receiver = nullptr;
std::shared_ptr<std::atomic<int>> answered_count;

LRESULT CALLBACK receive(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP) {
        ++*answered_count;
        return 1;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

class Picture final : public LayeredPicture {
public:
    Picture(HWND target, std::shared_ptr<std::atomic<bool>> sending)
        : target_(target), sending_(std::move(sending)) {}
    int width() const override { return 8; }
    int height() const override { return 8; }
    void paint(const LayeredCanvas&) const override {
        sending_->store(true);
        SendMessageW(target_, WM_APP, 0, 0); // waits until the target's thread answers
    }
    bool same_as(const LayeredPicture&) const override { return false; }

private:
    HWND target_;
    std::shared_ptr<std::atomic<bool>> sending_;
};

} // namespace

SendingPicture make_sending_picture() {
    answered_count = std::make_shared<std::atomic<int>>(0);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = receive;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClass;
    RegisterClassExW(&window_class);
    receiver = CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    auto sending = std::make_shared<std::atomic<bool>>(false);
    return {std::make_shared<Picture>(receiver, sending), sending, answered_count};
}

void destroy_sending_window() {
    DestroyWindow(receiver);
    receiver = nullptr;
}

} // namespace tavrine::test
