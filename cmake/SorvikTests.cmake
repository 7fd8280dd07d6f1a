# sorvik_add_gtest(TARGET [gtest_discover_tests options...])
#
# Registers a GoogleTest program with CTest. A native build lists each test
# case with gtest_discover_tests. A cross-build cannot run the program while
# it builds, so it registers the whole program as one test, which CTest runs
# through CMAKE_CROSSCOMPILING_EMULATOR (Wine for the Windows build).
#
# Either way the test runs through cmake/RunGTest.cmake, which passes only
# when the program ends with status 0 and GoogleTest's summary says its
# tests passed: a program that ends itself before its tests have run fails.
include(GoogleTest)

set(SORVIK_RUN_GTEST ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_LIST_DIR}/RunGTest.cmake --)

function(sorvik_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target}
      COMMAND ${SORVIK_RUN_GTEST} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    set_tests_properties(${target} PROPERTIES TIMEOUT 900)
  else()
    # Test discovery runs every test case through the target's emulator:
    # here, the check of the program's summary.
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${SORVIK_RUN_GTEST})
    gtest_discover_tests(${target} ${ARGN})
  endif()
endfunction()

# sorvik_test_path(VAR PATH): PATH as the test programs see it. The Windows
# test programs run under Wine, which shows the Linux file system as drive Z:.
function(sorvik_test_path var path)
  if(CMAKE_CROSSCOMPILING AND WIN32)
    set(${var} "Z:${path}" PARENT_SCOPE)
  else()
    set(${var} "${path}" PARENT_SCOPE)
  endif()
endfunction()
