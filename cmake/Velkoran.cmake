# Shared helpers for the project's CMake files.

# velkoran_library(<name> SOURCES ... [DEPS ...])
# A static library whose include root is src/, so headers are included as "area/file.h".
function(velkoran_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${VELKORAN_SOURCE_ROOT})
  if(L_DEPS)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  endif()
endfunction()

# velkoran_test(<name> SOURCES ... [LIBS ...] [ENV ...] [TIMEOUT s])
# One GoogleTest binary registered with CTest. Window tests run on Qt's offscreen platform;
# deletes to the trash go to a trash in the test area, never to the user's.
function(velkoran_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${VELKORAN_SOURCE_ROOT} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 900)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELKORAN_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-tmp/data-home;${T_ENV}")
endfunction()

# velkoran_bench(<name> SOURCES ... [LIBS ...])
function(velkoran_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_include_directories(${name} PRIVATE ${VELKORAN_SOURCE_ROOT})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
