# How the tests of the Windows program are built and run: under Wine, from this Linux machine.

# GoogleTest is built from Debian's sources with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Everything Wine runs for the tests lives in a private prefix inside the build folder, and
# Wine is not to offer its Mono and Gecko installers. The prefix is 64-bit: a 32-bit program
# runs in it through WoW64, as on most users' machines. PELLATONE_REGISTRY_VIEW is the view of
# the registry the build's program reads (32 or 64), for the scripts that write its keys. Wine
# takes file names' encoding from the locale: UTF-8, whatever the caller's, so that names in any
# script reach the disk.
math(EXPR PELLATONE_WINDOWS_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(PELLATONE_WINE_ENVIRONMENT
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
    "WINEARCH=win64"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml="
    "LC_ALL=C.UTF-8"
    "PELLATONE_REGISTRY_VIEW=${PELLATONE_WINDOWS_BITS}")
set(wine_path_modification "")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR STREQUAL "wine")
    # The scripts call wine, winepath and wineboot by name: here those names lead to this
    # build's loader, and so do the processes Wine starts.
    set(wine_commands ${CMAKE_BINARY_DIR}/wine-commands)
    foreach(command IN ITEMS wine winepath wineboot)
        set(program "")
        if(NOT command STREQUAL "wine")
            set(program " ${command}.exe")
        endif()
        file(WRITE ${wine_commands}/${command}
             "#!/bin/sh\nexec ${CMAKE_CROSSCOMPILING_EMULATOR}${program} \"$@\"\n")
        file(CHMOD ${wine_commands}/${command} PERMISSIONS OWNER_READ OWNER_WRITE
             OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
    list(APPEND PELLATONE_WINE_ENVIRONMENT "WINELOADER=${CMAKE_CROSSCOMPILING_EMULATOR}")
    set(wine_path_modification "PATH=path_list_prepend:${wine_commands}")
endif()

# Whether Wine can start this build's programs here, asked once: a kernel without 32-bit
# support cannot execute 32-bit Wine's loader ("Exec format error"). scripts/test.sh reads it.
execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --version
    RESULT_VARIABLE wine_status OUTPUT_QUIET ERROR_QUIET)
if(wine_status EQUAL 0)
    set(PELLATONE_WINE_RUNS_PROGRAMS ON CACHE INTERNAL "Wine runs this build's programs")
else()
    set(PELLATONE_WINE_RUNS_PROGRAMS OFF CACHE INTERNAL "Wine runs this build's programs")
    string(CONCAT wine_skip_reason "skipped: Wine cannot run ${PELLATONE_WINDOWS_BITS}-bit "
        "programs on this machine (${CMAKE_CROSSCOMPILING_EMULATOR} --version fails)")
    message(STATUS "${wine_skip_reason}: the tests that run them will be skipped")
endif()

# pellatone_add_wine_test(NAME PROGRAM [ARGUMENT...] [PROPERTIES PROPERTY VALUE...]) adds a test
# that runs Windows programs: PROGRAM is a test script of the current folder, run as its first
# line says, or a target of the build, run under Wine (scripts call wine by name). It has the Wine
# environment above, the one Wine at a time, 5 minutes unless PROPERTIES say otherwise, and exit
# status 77 as "skipped". Where Wine cannot run this build's programs it is skipped, saying why on
# one line.
function(pellatone_add_wine_test name program)
    cmake_parse_arguments(PARSE_ARGV 2 test "" "" "PROPERTIES")
    if(PELLATONE_WINE_RUNS_PROGRAMS)
        pellatone_test_command(command ${program})
        add_test(NAME ${name} COMMAND ${command} ${test_UNPARSED_ARGUMENTS})
    else()
        add_test(NAME ${name} COMMAND sh -c "echo '${wine_skip_reason}'; exit 77")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${PELLATONE_WINE_ENVIRONMENT}"
        TIMEOUT 300 RESOURCE_LOCK wine SKIP_RETURN_CODE 77 ${test_PROPERTIES})
    if(wine_path_modification)
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT_MODIFICATION "${wine_path_modification}")
    endif()
endfunction()

# Under Wine a GoogleTest program is one test: every start of a Windows program costs Wine a
# moment.
function(pellatone_add_gtest target)
    pellatone_add_wine_test(${target} ${target} ${ARGN})
endfunction()

# Where the signing test (tests/packaging/win32) leaves the program it signed, for the end-to-end
# runs of the signed program (fixture pellatone_signed_program).
set(PELLATONE_SIGNED_PROGRAM ${CMAKE_BINARY_DIR}/signed/pellatone.exe)
