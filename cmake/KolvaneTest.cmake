# kolvane_add_test(<name> <sources...>): one QtTest executable linked to the real libraries,
# registered with CTest and run headless.
function(kolvane_add_test name)
    add_executable(${name} ${ARGN})
    target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
    target_link_libraries(${name} PRIVATE kolvane_gui Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
        KOLVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        KOLVANE_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
        KOLVANE_TA_SIM="${PROJECT_SOURCE_DIR}/tools/ta-sim"
        KOLVANE_BINARY="$<TARGET_FILE:kolvane>")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 300)
endfunction()
