# Libraries outside Windows' known set (d3d11, dxgi, dwmapi, pdh, ...) are delay-loaded: their
# first call loads them, after the program has limited the library search to System32. Linked the
# usual way, the loader would look for them in the program's own folder first, before any of the
# program's code runs, and that folder is often one any program of the user can write (Downloads),
# so a planted dxgi.dll would run with administrator rights. Each .def lists the functions used.
# Defines tavrine::delay_<name> for each library; link those instead of the library itself.
find_program(TAVRINE_DLLTOOL NAMES ${CMAKE_C_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool dlltool
             REQUIRED)
set(TAVRINE_DELAY_LOADED comdlg32 d3d11 d3dcompiler_47 dwmapi dxgi iphlpapi pdh winmm)
foreach(name IN LISTS TAVRINE_DELAY_LOADED)
    set(def ${CMAKE_SOURCE_DIR}/cmake/delay_load/${name}.def)
    set(lib ${CMAKE_BINARY_DIR}/delay_load/lib${name}_delay.a)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay_load)
    execute_process(COMMAND ${TAVRINE_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
                    RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
        message(FATAL_ERROR "dlltool could not make the delay-load library for ${name}")
    endif()
    add_library(tavrine_delay_${name} INTERFACE)
    target_link_libraries(tavrine_delay_${name} INTERFACE ${lib} delayimp)
    add_library(tavrine::delay_${name} ALIAS tavrine_delay_${name})
endforeach()
