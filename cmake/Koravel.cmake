# koravel_test(<name> SOURCES ... LIBS ...)
# One GoogleTest executable per test folder, registered with CTest as a whole
# (gtest_discover_tests would multiply the start-up cost of the suites that bring
# up the simulated market or a data source).
function(koravel_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORAVEL_TEST_DATA=${PROJECT_SOURCE_DIR}/data")
endfunction()
