include(GoogleTest)

# velmora_add_test(NAME SOURCES src... LIBS lib... [DATA_ENV])
# One GoogleTest executable; every test in it is registered with ctest.
# Widget tests run offscreen; VELMORA_TEST_DATA points at tests/data and
# VELMORA_PROGRAM_DIR at the build's program folder.
function(velmora_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_options(${name} PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/common/qt_gtest_printers.h)
  target_compile_definitions(${name} PRIVATE
    VELMORA_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    VELMORA_PROGRAM_DIR="${VELMORA_PROGRAM_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 300)
endfunction()
