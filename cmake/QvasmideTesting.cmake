# qvasmide_add_test(tst_name SOURCES a.cpp ... [LIBS lib ...] [LABELS label ...])
# A QtTest executable in build/tests, run by CTest headless (offscreen platform), with a
# settings folder of its own so no test sees the user's or another test's settings.
function(qvasmide_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test qvasmide_testsupport ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    # Without labels of its own, a test that links no widget library is labelled core (the IDE's
    # library) or tools (the console tools), so a quick run can pick them: ctest -L 'core|tools'.
    set(labels ${ARG_LABELS})
    if(NOT labels AND NOT ARG_LIBS MATCHES "_gui(;|$)")
        if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests/tools(/|$)")
            set(labels tools)
        else()
            set(labels core)
        endif()
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/tests/config/${name};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/tests/data/${name};QVASMIDE_PROGRAM_DIR=${QVASMIDE_PROGRAM_DIR};QVASMIDE_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
        LABELS "${labels}")
    qvasmide_sanitizer_environment(${name})
endfunction()

# Sanitizer builds: leaks inside the system libraries (one-time allocations of the C++ runtime
# and D-Bus) are not ours; any other leak fails the test. Call it beside every add_test.
function(qvasmide_sanitizer_environment test)
    if(QVASMIDE_SANITIZE)
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
            "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
            "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
    endif()
endfunction()
