# TolvexWarnings.cmake - one place for the project's compiler warnings.
function(tolvex_set_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${TOLVEX_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                               $<$<BOOL:${TOLVEX_WERROR}>:-Werror>)
    endif()
endfunction()
