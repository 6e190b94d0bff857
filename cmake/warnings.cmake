# Warnings for the project's own targets (not for third-party code built alongside).
function(tavrine_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
    if(TAVRINE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
