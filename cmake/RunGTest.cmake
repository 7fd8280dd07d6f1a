# cmake -P RunGTest.cmake -- COMMAND [ARG...]
#
# Runs a GoogleTest program (COMMAND, through an emulator or xvfb-run when
# they come first) and passes only when it ends with status 0 AND its
# summary says that its tests ran: a "[  PASSED  ] N test(s)." line with N
# at least 1, or a skipped test, and no "[  FAILED  ]" line. A program that
# ends itself in the middle of its tests with status 0 fails. Listing the
# tests (--gtest_list_tests, as test discovery does) is passed through.
set(command)
set(listing OFF)
set(after_dashes OFF)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 1 ${last})
  set(arg "${CMAKE_ARGV${i}}")
  if(after_dashes)
    list(APPEND command "${arg}")
    if(arg STREQUAL "--gtest_list_tests")
      set(listing ON)
    endif()
  elseif(arg STREQUAL "--")
    set(after_dashes ON)
  endif()
endforeach()
if(NOT command)
  message(FATAL_ERROR "RunGTest.cmake: no command after --")
endif()

if(listing)
  execute_process(COMMAND ${command} RESULT_VARIABLE status)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "listing the tests failed: ${status}")
  endif()
  return()
endif()

execute_process(COMMAND ${command}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output ECHO_OUTPUT_VARIABLE)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "the test program ended with status ${status}")
endif()
if(output MATCHES "\\[  FAILED  \\]")
  message(FATAL_ERROR "the test program reported a failed test")
endif()
if(NOT output MATCHES "\\[  PASSED  \\] [1-9][0-9]* tests?\\." AND
   NOT output MATCHES "\\[  SKIPPED \\] [1-9]")
  message(FATAL_ERROR "the test program ended with status 0 before its tests had all run: "
    "no \"[  PASSED  ]\" line")
endif()
