# Warnings for our own targets only; third-party headers come in as SYSTEM.
function(tessary_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TESSARY_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
