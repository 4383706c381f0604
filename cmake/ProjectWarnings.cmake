# Warnings for every target of this project. CINDERVAXEL_WERROR turns them into errors (CI).
option(CINDERVAXEL_WERROR "Treat compiler warnings as errors" OFF)

function(project_warnings target)
    cmake_parse_arguments(PW "STRICT" "" "" ${ARGN})
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4)
        if(CINDERVAXEL_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
        return()
    endif()
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
        -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
    # The byte-level core also gets the conversion warnings: every narrowing there is deliberate.
    if(PW_STRICT)
        target_compile_options(${target} PRIVATE -Wconversion -Wsign-conversion)
    endif()
    if(CINDERVAXEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
