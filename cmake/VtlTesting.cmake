# GoogleTest built from Debian's sources by the cross compiler; tests run under Wine.
set(VTL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(VTL_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tests)

# Every test program runs through this wrapper (private prefix, no Wine debug noise). It names a
# non-zero exit status in the output, where the registration below looks for it.
file(WRITE ${CMAKE_BINARY_DIR}/wine-run.sh
  "#!/bin/sh\nVTL_BUILD='${CMAKE_BINARY_DIR}' '${CMAKE_SOURCE_DIR}/scripts/wine-run.sh' \"$@\"\n"
  "status=$?\n[ $status -eq 0 ] || echo \"wine-run: exit status $status\"\nexit $status\n")
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

function(vtl_enable_gtest)
  if(TARGET gtest)
    return()
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VTL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()
endfunction()

# vtl_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>])
# One GoogleTest program in build/tests, registered with CTest.
function(vtl_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  vtl_enable_gtest()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VTL_TEST_OUTPUT_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${VTL_TEST_OUTPUT_DIR})
  # Tests share the Wine desktop and its foreground window: never two at once.
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK vtl_wine_desktop)
  # Under Wine a program killed by an unhandled exception may still end with status 0, so only
  # GoogleTest's summary counts. CTest then ignores the exit status: failed tests, and a non-zero
  # status that the wrapper names, fail by their lines.
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "wine: Unhandled;\\[  FAILED  \\];wine-run: exit status")
endfunction()
