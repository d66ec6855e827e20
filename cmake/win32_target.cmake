# tintavo_win32_target(TARGET [NARROW_MAIN]): what every Win32 target of this tree shares.
#   A library passes the Windows header settings on to whatever links it: wide-character API (UNICODE,
#   _UNICODE), the lean <windows.h> (WIN32_LEAN_AND_MEAN) and no min/max macros (NOMINMAX).
#   A program takes the same settings itself and, with mingw-w64, the wide entry points (wWinMain, wmain:
#   -municode) and no symbol table in a release build (about half of an unstripped exe). NARROW_MAIN: the
#   program's entry point is main, as GoogleTest's is, so mingw-w64 must not look for a wide one.
function(tintavo_win32_target target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "NARROW_MAIN" "" "")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(scope PRIVATE)
    elseif(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    else()
        set(scope PUBLIC)
    endif()
    target_compile_definitions(${target} ${scope} UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    if(type STREQUAL "EXECUTABLE" AND MINGW)
        if(NOT arg_NARROW_MAIN)
            target_link_options(${target} PRIVATE -municode)
        endif()
        target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
    endif()
endfunction()
