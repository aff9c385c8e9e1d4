# Delay-import libraries for the system DLLs Kest uses besides kernel32: each DLL is loaded on
# its first call instead of at process start. A second start that only forwards its argument
# then runs on kernel32 alone, and under Wine loading user32 and its company costs several
# times a bare process start.
#
# GNU ld drops an import thunk that no one calls by name, and the delay-load thunk is what
# loads the DLL: calls through __imp_ pointers (dllimport) would jump to a slot never filled.
# DECLSPEC_IMPORT is therefore defined empty, so that every API call goes through its thunk.

find_program(KEST_NM NAMES i686-w64-mingw32-nm REQUIRED)
find_program(KEST_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
add_compile_definitions(DECLSPEC_IMPORT=)

set(KEST_DELAY_LIBS)
set(_delay_outputs)
foreach(dll IN ITEMS user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 advapi32)
  find_library(KEST_IMPLIB_${dll} NAMES lib${dll}.a REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/delay-import-lib.sh ${KEST_NM} ${KEST_DLLTOOL}
            ${KEST_IMPLIB_${dll}} ${dll}.dll ${out}
    DEPENDS ${KEST_IMPLIB_${dll}} ${CMAKE_SOURCE_DIR}/cmake/delay-import-lib.sh
    COMMENT "Delay-import library for ${dll}.dll" VERBATIM)
  add_library(kest_delay_${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(kest_delay_${dll} PROPERTIES IMPORTED_LOCATION ${out})
  list(APPEND KEST_DELAY_LIBS kest_delay_${dll})
  list(APPEND _delay_outputs ${out})
endforeach()
add_custom_target(kest_delay_libs DEPENDS ${_delay_outputs})
