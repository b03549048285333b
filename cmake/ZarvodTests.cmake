# zarvod_test(<name> SOURCES ... LIBS ... [NATIVE_ONLY] [WINDOWS_ONLY])
#
# Native build: one GoogleTest executable whose cases CTest lists one by one.
# Windows build: the same executable cross-compiled into wintests/, which
# scripts/test runs under Wine.
function(zarvod_test name)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY" "" "SOURCES;LIBS" ${ARGN})
  if(T_NATIVE_ONLY AND ZARVOD_WINDOWS)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT ZARVOD_WINDOWS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(ZARVOD_WINDOWS)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wintests)
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "ZARVOD_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endif()
endfunction()
