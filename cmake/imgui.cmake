# Dear ImGui from Debian's source package, fetched into third_party/imgui by scripts/fetch-imgui.sh.
# The core builds everywhere (the native build draws headless frames in tests); the Win32 and
# Direct3D 11 back ends only for Windows. Third-party code: no project warnings, no -Werror.
set(TAVRINE_IMGUI_DIR ${CMAKE_SOURCE_DIR}/third_party/imgui)
if(NOT EXISTS ${TAVRINE_IMGUI_DIR}/imgui.cpp)
    execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-imgui.sh RESULT_VARIABLE fetch_result)
    if(NOT fetch_result EQUAL 0)
        message(FATAL_ERROR "Dear ImGui is missing and scripts/fetch-imgui.sh failed")
    endif()
endif()

add_library(imgui STATIC
    ${TAVRINE_IMGUI_DIR}/imgui.cpp
    ${TAVRINE_IMGUI_DIR}/imgui_draw.cpp
    ${TAVRINE_IMGUI_DIR}/imgui_tables.cpp
    ${TAVRINE_IMGUI_DIR}/imgui_widgets.cpp
)
target_include_directories(imgui SYSTEM PUBLIC ${TAVRINE_IMGUI_DIR})
# Obsolete names are compiled out so any use of a pre-1.90 API fails at build time.
target_compile_definitions(imgui PUBLIC IMGUI_DISABLE_OBSOLETE_FUNCTIONS IMGUI_DISABLE_OBSOLETE_KEYIO)

if(WIN32)
    add_library(imgui_win32_dx11 STATIC
        ${TAVRINE_IMGUI_DIR}/backends/imgui_impl_win32.cpp
        ${TAVRINE_IMGUI_DIR}/backends/imgui_impl_dx11.cpp
    )
    target_include_directories(imgui_win32_dx11 SYSTEM PUBLIC ${TAVRINE_IMGUI_DIR}/backends)
    target_link_libraries(imgui_win32_dx11 PUBLIC imgui tavrine::delay_d3d11 tavrine::delay_d3dcompiler_47
                          tavrine::delay_dxgi tavrine::delay_dwmapi gdi32 user32 imm32)
    # No gamepad navigation: the backend would load XInput, and Wine's XInput keeps a thread of
    # its own running in the library after the backend's shutdown unloads it, which crashed the
    # program on the way out.
    target_compile_definitions(imgui_win32_dx11 PRIVATE IMGUI_IMPL_WIN32_DISABLE_GAMEPAD)
endif()
