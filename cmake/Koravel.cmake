# koravel_test(<name> [GUI] SOURCES ... LIBS ...)
# One GoogleTest executable per test folder, registered with CTest as a whole
# (gtest_discover_tests would multiply the start-up cost of the suites that bring
# up the market server or a data source). GUI suites get the shared main with an
# application object; the others GoogleTest's own.
function(koravel_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        set(main koravel_test_gui_main)
    else()
        set(main GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${main} GTest::gtest GTest::gmock)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORAVEL_TEST_DATA=${PROJECT_SOURCE_DIR}/data")
endfunction()

# koravel_com_server(<target>): a component library that exports only the entry points.
function(koravel_com_server target)
    set(map ${PROJECT_SOURCE_DIR}/cmake/com_server.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
endfunction()
