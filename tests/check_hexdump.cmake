# The hexdump example against xxd, and read back. Run with cmake -P, with
# HEXDUMP, WORK_DIR and, where xxd is installed, XXD.
# - every size from 0 to 40 bytes of random data, and the program itself:
#   the dump is xxd's, byte for byte, and reads back into the same bytes;
# - a dump spoilt in its second line stops the reverse with that line and
#   the column of the spoilt character.

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND head -c 40 /dev/urandom OUTPUT_FILE ${WORK_DIR}/random
  COMMAND_ERROR_IS_FATAL ANY)

set(inputs ${HEXDUMP})
foreach(size RANGE 40)
  execute_process(COMMAND head -c ${size} ${WORK_DIR}/random OUTPUT_FILE ${WORK_DIR}/input_${size}
    COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND inputs ${WORK_DIR}/input_${size})
endforeach()

if(NOT XXD)
  message(STATUS "xxd not found: the dumps are only read back")
endif()
foreach(input IN LISTS inputs)
  execute_process(COMMAND ${HEXDUMP} ${input} OUTPUT_FILE ${WORK_DIR}/dump
    COMMAND_ERROR_IS_FATAL ANY)
  if(XXD)
    execute_process(COMMAND ${XXD} ${input} OUTPUT_FILE ${WORK_DIR}/xxd COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/dump ${WORK_DIR}/xxd
      RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "the dump of ${input} is not xxd's")
    endif()
  endif()
  execute_process(COMMAND ${HEXDUMP} -r ${WORK_DIR}/dump OUTPUT_FILE ${WORK_DIR}/bytes
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${input} ${WORK_DIR}/bytes
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "the dump of ${input} does not read back")
  endif()
endforeach()

# Column 15 is the fifth digit of the second line's bytes.
execute_process(COMMAND ${HEXDUMP} ${WORK_DIR}/input_40 OUTPUT_VARIABLE dump
  COMMAND_ERROR_IS_FATAL ANY)
string(FIND "${dump}" "\n" first_end)
math(EXPR spoilt "${first_end} + 15")
string(SUBSTRING "${dump}" 0 ${spoilt} before)
math(EXPR after_start "${spoilt} + 1")
string(SUBSTRING "${dump}" ${after_start} -1 after)
file(WRITE ${WORK_DIR}/spoilt "${before}g${after}")
execute_process(COMMAND ${HEXDUMP} -r ${WORK_DIR}/spoilt OUTPUT_QUIET
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 1 OR NOT errors STREQUAL "hexdump: line 2, column 15: not a byte in hex\n")
  message(FATAL_ERROR "a spoilt dump gave status ${status}:\n${errors}")
endif()
