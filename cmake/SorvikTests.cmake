# sorvik_add_gtest(TARGET [gtest_discover_tests options...])
#
# Registers a GoogleTest program with CTest. A native build lists each test
# case with gtest_discover_tests. A cross-build cannot run the program while
# it builds, so it registers the whole program as one test, which CTest runs
# through CMAKE_CROSSCOMPILING_EMULATOR (Wine for the Windows build).
include(GoogleTest)

function(sorvik_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 900)
  else()
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
