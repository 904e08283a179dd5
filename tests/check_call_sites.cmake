# What a caller's build gets from the library, read from its object files.
# Run with cmake -P, with CXX_COMPILER, OBJDUMP, INCLUDE_DIR, SOURCE_DIR (the
# call sites) and WORK_DIR.
# - constant.cpp: no call and no indirect jump (no switch on width or base),
#   no function but the four, and at most 2 KB of code and read-only data;
# - run_time.cpp: at most 8 KB;
# - small_buffer.cpp: no warning at -O2 -Wall -Wextra -Wpedantic, in strict
#   and in GNU mode (where the standard library counts __int128 as integral).

set(compile ${CXX_COMPILER} -std=c++20 -O2 -I${INCLUDE_DIR} -c)
file(MAKE_DIRECTORY ${WORK_DIR})

function(compile_quietly source object)
  execute_process(COMMAND ${compile} -Wall -Wextra -Wpedantic ${ARGN} ${SOURCE_DIR}/${source}
      -o ${WORK_DIR}/${object}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "${source} (exit status ${status}):\n${output}")
  endif()
endfunction()

# Bytes of code and read-only data in `object`.
function(loaded_size object result)
  execute_process(COMMAND ${OBJDUMP} -h ${WORK_DIR}/${object}
    OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "\n +[0-9]+ +\\.(text|rodata)[^ ]* +[0-9a-f]+" sections "${headers}")
  set(total 0)
  foreach(section IN LISTS sections)
    string(REGEX MATCH "[0-9a-f]+$" hex "${section}")
    math(EXPR total "${total} + 0x${hex}")
  endforeach()
  set(${result} ${total} PARENT_SCOPE)
endfunction()

compile_quietly(constant.cpp constant.o)
execute_process(COMMAND ${OBJDUMP} -dr --no-show-raw-insn -C ${WORK_DIR}/constant.o
  OUTPUT_VARIABLE code COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "\n[0-9a-f]+ <[^>]+>:" functions "${code}")
string(REGEX REPLACE "\n[0-9a-f]+ <([^(>]+)[^>]*>:" "\\1" functions "${functions}")
if(NOT functions STREQUAL "hex8;bin32;dec10;hex16")
  message(FATAL_ERROR "constant.cpp compiles to functions ${functions}:\n${code}")
endif()
if(code MATCHES "\tcall|\tjmp +\\*|_PLT32|R_AARCH64_CALL26|R_AARCH64_JUMP26")
  message(FATAL_ERROR "constant.cpp calls or jumps out of straight-line code:\n${code}")
endif()
loaded_size(constant.o constant_size)

compile_quietly(run_time.cpp run_time.o)
loaded_size(run_time.o run_time_size)

compile_quietly(small_buffer.cpp small_buffer.o)
compile_quietly(small_buffer.cpp small_buffer_gnu.o -std=gnu++20)

message(STATUS "code and read-only data: constant.o ${constant_size} bytes, run_time.o "
  "${run_time_size} bytes")
if(constant_size GREATER 2048 OR run_time_size GREATER 8192)
  message(FATAL_ERROR "over 2048 or 8192 bytes")
endif()
