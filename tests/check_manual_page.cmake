# Renders the manual page PAGE with GROFF, fails on any warning, and checks
# that it shows the lines PROGRAM prints. Run with cmake -P.

execute_process(COMMAND ${GROFF} -man -Tutf8 -ww ${PAGE}
  OUTPUT_VARIABLE page ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff (exit status ${status}):\n${warnings}")
endif()

execute_process(COMMAND ${PROGRAM} OUTPUT_VARIABLE report)
string(REGEX REPLACE "\n$" "" report "${report}")
string(REPLACE "\n" ";" lines "${report}")
foreach(line IN LISTS lines)
  string(FIND "${page}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not show the line '${line}'")
  endif()
endforeach()
