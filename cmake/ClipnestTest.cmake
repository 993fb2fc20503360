# clipnest_add_test(<name> SOURCES <files...> [LIBS <targets...>] [DESKTOP | WAYLAND]
#                   [TIMEOUT <s>])
#
# Unit tests (the default) run on the offscreen platform and are also run in the
# sanitizer build. DESKTOP tests need the test desktop that scripts/with-test-desktop.sh
# starts (X display, window manager, tray, PulseAudio, upload service) and are labelled
# so that `ctest -L unit` leaves them out. WAYLAND tests need the headless Wayland desktop
# of scripts/with-wayland-desktop.sh and are labelled `wayland`, which only it runs.
function(clipnest_add_test name)
    cmake_parse_arguments(T "DESKTOP;WAYLAND" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        CLIPNEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        CLIPNEST_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    # Qt Test's own watchdog ends a test function after 300 s whatever the test's limit; on a
    # busy machine a function that walks several desktop layouts can pass that and still be
    # well inside the limit the test was given. The test's limit is the one that counts.
    math(EXPR function_ms "${T_TIMEOUT} * 1000")
    if(T_WAYLAND)
        set_tests_properties(${name} PROPERTIES LABELS wayland TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT "QTEST_FUNCTION_TIMEOUT=${function_ms}")
    elseif(T_DESKTOP)
        set_tests_properties(${name} PROPERTIES LABELS desktop TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT "QTEST_FUNCTION_TIMEOUT=${function_ms}")
    else()
        set_tests_properties(${name} PROPERTIES LABELS unit TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=${function_ms}")
    endif()
endfunction()
