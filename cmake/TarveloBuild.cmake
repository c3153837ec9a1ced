# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings, sanitizers and fuzzing flags shared by every target of the project.

function(tarvelo_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor -Wold-style-cast
        -Woverloaded-virtual -Wimplicit-fallthrough -Wcast-qual -Wformat=2)
    if(TARVELO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(TARVELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(TARVELO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TARVELO_FUZZ needs clang (cmake -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
