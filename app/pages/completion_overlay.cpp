#include "app/pages/completion_overlay.h"

#include "app/fonts.h"
#include "app/shell_state.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "games/title_catalogue.h"
#include "process/cull.h"
#include "runs/deploy.h"
#include "runs/pipeline.h"

namespace tavrine {

using namespace palette;

CompletionTexts completion_texts(std::string_view status_text) {
    // Fortnite's final message says "Performance Mode on" rather than "optimised": it is a
    // deploy's result all the same, and the card names the title and shows the message.
    const bool deployed = is_deploy_result(status_text);
    CompletionTexts texts;
    if (deployed) {
        const GameTitle* title = title_at(selected_title().load());
        texts.title = title ? title->name : "Game pass";
        texts.detail = status_text;
        return texts;
    }
    texts.title = result_text();
    if (run_status().last_path.load() == PathKind::CpuCull && cull_result().get().before >= 1) {
        texts.detail = cull_result_line();
    } else {
        texts.detail = "Selected modules applied.";
    }
    return texts;
}

void draw_completion_overlay() {
    const ImVec2 root = ImGui::GetWindowPos(); // called inside the root window
    ImGui::SetNextWindowPos(root);
    ImGui::SetNextWindowSize(ImVec2(kWindowWidth, kWindowHeight));
    ImGui::SetNextWindowFocus();
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 26.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0, 0, 0, 0.62f));
    constexpr ImGuiWindowFlags kFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                        ImGuiWindowFlags_NoScrollWithMouse |
                                        ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoNav;
    ImGui::Begin("##doneveil", nullptr, kFlags);
    const ImVec2 o = ImGui::GetWindowPos();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    draw_list->AddRectFilled(o, ImVec2(o.x + kWindowWidth, o.y + kWindowHeight), rgba(kVeil, 160), 26.0f);

    const ImVec2 card_min(o.x + 420, o.y + 256);
    const ImVec2 card_max(o.x + 800, o.y + 444);
    draw_card(card_min, card_max, 24.0f, 1.0f, 0.2f);
    draw_list->AddRect(card_min, card_max, color_with_alpha(kAccent, 0.55f), 24.0f, 0, 1.8f);

    const UiFonts& fonts = ui_fonts();
    const CompletionTexts texts = completion_texts(deploy_status().status_text.get());
    draw_list->AddText(font_or_current(fonts.font_small), 12.0f, ImVec2(o.x + 448, o.y + 280),
                       color_with_alpha(kAccent, 0.9f), "Deployed");
    draw_list->AddText(font_or_current(fonts.font_label), 20.0f, ImVec2(o.x + 448, o.y + 300),
                       rgba(kText, 255), texts.title.c_str());
    ImFont* regular = font_or_current(fonts.regular);
    draw_list->AddText(regular, regular->FontSize, ImVec2(o.x + 448, o.y + 330), rgba(kMuted, 255),
                       texts.detail.c_str());

    ImGui::SetCursorScreenPos(ImVec2(o.x + 448, o.y + 380));
    if (action_button("Done", ImVec2(324, 42), 0.55f)) {
        dismiss_run_result();
        deploy_status().status_text.set("");
    }
    ImGui::End();
    ImGui::PopStyleColor();
    ImGui::PopStyleVar(3);
}

} // namespace tavrine
