#pragma once
// A headless Dear ImGui context for widget tests: a built font atlas (no texture upload), a
// fixed display size and frame time, and mouse input through ImGui's own event API.

#include "app/fonts.h"
#include "app/shell_state.h"
#include "app/theme.h"

#include <imgui.h>

#include <utility>

namespace tavrine::test {

class HeadlessUi {
public:
    explicit HeadlessUi(float dt = 1.0f / 60.0f) : context_(ImGui::CreateContext()) {
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        load_all_ui_fonts(*io.Fonts);
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        io.DisplaySize = ImVec2(kWindowWidth, kWindowHeight);
        io.DeltaTime = dt;
        ImGui::StyleColorsDark();
        apply_theme(ImGui::GetStyle(), 94);
    }
    ~HeadlessUi() { ImGui::DestroyContext(context_); }
    HeadlessUi(const HeadlessUi&) = delete;
    HeadlessUi& operator=(const HeadlessUi&) = delete;

    // One frame with `draw` inside a full-display window whose top-left is (0, 0).
    template <typename Draw> void frame(Draw&& draw) {
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(kWindowWidth, kWindowHeight));
        ImGui::Begin("##test", nullptr,
                     ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoScrollbar);
        std::forward<Draw>(draw)();
        ImGui::End();
        ImGui::Render();
    }
    // A frame without the wrapping window (for code that opens its own).
    template <typename Draw> void bare_frame(Draw&& draw) {
        ImGui::NewFrame();
        std::forward<Draw>(draw)();
        ImGui::Render();
    }

    void move_mouse(float x, float y) { ImGui::GetIO().AddMousePosEvent(x, y); }
    void press() { ImGui::GetIO().AddMouseButtonEvent(0, true); }
    void release() { ImGui::GetIO().AddMouseButtonEvent(0, false); }

private:
    ImGuiContext* context_;
};

} // namespace tavrine::test
