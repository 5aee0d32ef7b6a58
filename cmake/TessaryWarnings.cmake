# Warnings for our own targets only; third-party headers come in as SYSTEM.
function(tessary_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TESSARY_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            # GCC 12 reports these from inlined libstdc++ string code that is correct (GCC bug 105329);
            # they stay visible as warnings but must not fail the build.
            target_compile_options(${target} PRIVATE -Wno-error=restrict -Wno-error=array-bounds
                                   -Wno-error=stringop-overflow -Wno-error=stringop-overread)
        endif()
    endif()
endfunction()
