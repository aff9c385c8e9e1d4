# Delay-import libraries for the system DLLs Kest uses besides kernel32: each DLL is loaded on
# its first call instead of at process start. A second start that only forwards its argument
# then runs on kernel32 alone, and under Wine loading user32 and its company costs several
# times a bare process start.
#
# GNU ld drops an import thunk that no one calls by name, and the delay-load thunk is what
# loads the DLL: calls through __imp_ pointers (dllimport) would jump to a slot never filled.
# DECLSPEC_IMPORT is therefore defined empty, so that every API call goes through its thunk.
#
# Three interface targets say who gets what, instead of one definition for the whole tree
# (which also reached googletest and the test harness, code that is not ours to bend):
#   kest_thunk_calls     DECLSPEC_IMPORT defined empty; for code that may end up in a program
#                        linked with the delay libraries (Kest.exe, kest_win32, the Win32 tests).
#   kest_delay_imports   kest_thunk_calls, the delay libraries, and a library directory whose
#                        empty user32, gdi32, ... shadow the real import libraries that mingw's
#                        driver and CMake add to every link: a symbol the delay libraries lack
#                        fails the link instead of quietly becoming a load-time import.
#   kest_system_imports  the ordinary import libraries, for programs that load the DLLs at start
#                        (the end-to-end tests, the benchmarks); kest_win32's thunk calls resolve
#                        against these just as well.
# kest_check_imports() then checks Kest.exe and the Win32 tests after each link
# (cmake/check-imports.sh).

# The tools of the tree's target: i686 names its symbols with a leading underscore
# (_MessageBoxA@16, __imp__MessageBoxA@16), x86_64 without (MessageBoxA, __imp_MessageBoxA).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(_mingw x86_64-w64-mingw32)
  set(KEST_SYMBOL_PREFIX "")
else()
  set(_mingw i686-w64-mingw32)
  set(KEST_SYMBOL_PREFIX "_")
endif()
find_program(KEST_NM NAMES ${_mingw}-nm REQUIRED)
find_program(KEST_DLLTOOL NAMES ${_mingw}-dlltool REQUIRED)
find_program(KEST_AR NAMES ${_mingw}-ar REQUIRED)
find_program(KEST_OBJDUMP NAMES ${_mingw}-objdump REQUIRED)

set(KEST_DELAYED_DLLS user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 oleacc advapi32 bcrypt)
set(KEST_DELAY_LIBS)
set(KEST_SYSTEM_IMPLIBS)
set(_delay_outputs)
set(_shadow_dir ${CMAKE_BINARY_DIR}/delay/no-load-time-imports)
foreach(dll IN LISTS KEST_DELAYED_DLLS)
  find_library(KEST_IMPLIB_${dll} NAMES lib${dll}.a REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/delay-import-lib.sh ${KEST_NM} ${KEST_DLLTOOL}
            ${KEST_IMPLIB_${dll}} ${dll}.dll ${out} "${KEST_SYMBOL_PREFIX}"
    DEPENDS ${KEST_IMPLIB_${dll}} ${CMAKE_SOURCE_DIR}/cmake/delay-import-lib.sh
    COMMENT "Delay-import library for ${dll}.dll" VERBATIM)
  # An empty archive of the import library's name: -l${dll} finds nothing in it.
  set(shadow ${_shadow_dir}/lib${dll}.a)
  add_custom_command(OUTPUT ${shadow}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_shadow_dir}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${shadow}
    COMMAND ${KEST_AR} rcs ${shadow}
    COMMENT "Empty stand-in for lib${dll}.a" VERBATIM)
  list(APPEND KEST_DELAY_LIBS ${out})
  list(APPEND KEST_SYSTEM_IMPLIBS ${KEST_IMPLIB_${dll}})
  list(APPEND _delay_outputs ${out} ${shadow})
endforeach()
add_custom_target(kest_delay_libs DEPENDS ${_delay_outputs})

add_library(kest_thunk_calls INTERFACE)
target_compile_definitions(kest_thunk_calls INTERFACE DECLSPEC_IMPORT=)

add_library(kest_delay_imports INTERFACE)
target_link_libraries(kest_delay_imports INTERFACE kest_thunk_calls ${KEST_DELAY_LIBS})
target_link_directories(kest_delay_imports BEFORE INTERFACE ${_shadow_dir})
add_dependencies(kest_delay_imports kest_delay_libs)

add_library(kest_system_imports INTERFACE)
target_link_libraries(kest_system_imports INTERFACE ${KEST_SYSTEM_IMPLIBS})

# After each link of <target>: its import table may name only KERNEL32.dll and msvcrt.dll, and
# nothing linked into it may reach a delay-loaded DLL through an __imp_ pointer. The linker's
# map says which objects and archive members went in.
function(kest_check_imports target)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  # A change to the check links again, so that it runs again.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/check-imports.sh)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/check-imports.sh ${KEST_OBJDUMP} ${KEST_NM}
            $<TARGET_FILE:${target}> ${map} ${KEST_SYSTEM_IMPLIBS}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}  # where Ninja runs the link: the map's paths start there
    COMMENT "Checking the imports of ${target}" VERBATIM)
endfunction()
