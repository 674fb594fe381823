# Shared build conventions for every OmniSetup target.

if(OMNI_TSAN)
    add_compile_options(-fsanitize=thread -g)
    add_link_options(-fsanitize=thread)
endif()
# Fuzz builds: coverage feedback for libFuzzer and both sanitizers in every target, so the code
# under test is instrumented as well as the fuzz targets (which add -fsanitize=fuzzer).
if(OMNI_BUILD_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()
if(OMNI_ASAN)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

# Warnings and language level for one of our own targets.
function(omni_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()

# A static library of one subsystem: omni_library(NAME SOURCES ... DEPS ...)
# Public headers are included as "<subsystem>/<file>.h" from src/.
function(omni_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    omni_target_defaults(${name})
endfunction()

# One test executable registered with CTest: omni_test(NAME SOURCES ... LIBS ... [GUI] [TIMEOUT s])
# GoogleTest main unless QT is given (Qt Test brings its own main). GUI tests run on the
# offscreen platform, with a watchdog that fails the program when a modal window stays open or
# the program stops running its event loop, printing every thread's stack (tests/modal_watchdog.cpp).
# Every test has a time limit: 60 s unless its line says why it needs more.
function(omni_test name)
    cmake_parse_arguments(ARG "QT;GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(ARG_QT)
        # A modal window left open fails the program quickly instead of hanging it.
        list(APPEND ARG_SOURCES ${PROJECT_SOURCE_DIR}/tests/modal_watchdog.cpp)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    omni_target_defaults(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    # Sanitizer builds run several times slower; their limits grow with them.
    if(OMNI_ASAN OR OMNI_TSAN)
        math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 4")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OMNISETUP_LANG=en;OMNI_SOURCE_DIR=${PROJECT_SOURCE_DIR};XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config/${name};OMNI_TEST_LIMIT=${ARG_TIMEOUT}")
endfunction()
