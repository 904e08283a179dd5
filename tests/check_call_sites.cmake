# What a caller's build gets from the library, read from its object files.
# Run with cmake -P, with CXX_COMPILER, OBJDUMP, INCLUDE_DIR, SOURCE_DIR (the
# call sites) and WORK_DIR.
# - constant.cpp: no call and no indirect jump (no switch on width or base),
#   no function but the four, and at most 2 KB of code and read-only data;
# - template_form.cpp and template_kernels.cpp, the template form: straight-
#   line code, with no loop, no call but to the reader's one cold function,
#   no jump into another function or through a table; and template_form.cpp
#   at most 16 KB at -O0;
# - run_time.cpp: at most 8 KB;
# - both_ways.cpp, a run-time write and read: at most 40 KB at -O0;
# - small_buffer.cpp: no warning at -O2 -Wall -Wextra -Wpedantic, in strict
#   and in GNU mode (where the standard library counts __int128 as integral).

cmake_policy(SET CMP0007 NEW)  # Keep the empty lines of objdump's output in lists.
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
  string(REGEX MATCHALL "\n *[0-9]+ +\\.(text|rodata)[^ ]* +[0-9a-f]+" sections "${headers}")
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

# Fails unless every function of `object` but the reader's cold fallback is
# straight-line code: nothing is called but that fallback, nothing jumped to
# in another function or through a register, and a jump backwards only to a
# block that returns or calls the fallback before it branches again (a
# shared exit, not a loop).
function(check_straight_line object)
  execute_process(COMMAND ${OBJDUMP} -dr --no-show-raw-insn -C ${WORK_DIR}/${object}
    OUTPUT_VARIABLE code COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE ";" "," code "${code}")
  string(REPLACE "\n" ";" lines "${code}")
  list(LENGTH lines line_count)
  set(function "")
  set(index 0)
  foreach(line IN LISTS lines)
    math(EXPR index "${index} + 1")
    if(line MATCHES "^[0-9a-f]+ <(.+)>:$")
      set(function "${CMAKE_MATCH_1}")
      continue()
    endif()
    if(function MATCHES "find_misfit|read_digits_portably")
      continue()  # The cold fallback, and what it calls.
    endif()
    if(line MATCHES "\t(call|jmp) +\\*|_PLT32|R_AARCH64_CALL26|R_AARCH64_JUMP26")
      if(NOT line MATCHES "find_misfit")
        message(FATAL_ERROR "${object}: ${function} calls or jumps out:\n${line}\n${code}")
      endif()
    elseif(line MATCHES "^ *([0-9a-f]+):\t(j[a-z]+|b[.a-z]*) +([0-9a-f]+) <(.+)>$")
      set(target "${CMAKE_MATCH_3}")
      math(EXPR from "0x${CMAKE_MATCH_1}")
      math(EXPR to "0x${CMAKE_MATCH_3}")
      string(REGEX REPLACE "\\+0x[0-9a-f]+$" "" target_function "${CMAKE_MATCH_4}")
      if(NOT target_function STREQUAL function)
        message(FATAL_ERROR "${object}: ${function} jumps out:\n${line}\n${code}")
      endif()
      if(NOT to GREATER from)
        # Walk the target block: it must return or call the fallback first.
        set(next 0)
        set(ends_well FALSE)
        foreach(walk RANGE ${line_count})
          if(walk GREATER_EQUAL line_count)
            break()
          endif()
          list(GET lines ${walk} step)
          if(next EQUAL 0)
            if(step MATCHES "^ *${target}:")
              set(next 1)
            else()
              continue()
            endif()
          endif()
          if(step MATCHES "\tret|find_misfit")
            set(ends_well TRUE)
            break()
          elseif(step MATCHES "\t(j[a-z]+|b[.a-z]*) ")
            break()
          endif()
        endforeach()
        if(NOT ends_well)
          message(FATAL_ERROR "${object}: ${function} loops:\n${line}\n${code}")
        endif()
      endif()
    endif()
  endforeach()
endfunction()

foreach(source IN ITEMS template_form template_kernels)
  compile_quietly(${source}.cpp ${source}.o)
  check_straight_line(${source}.o)
endforeach()
loaded_size(template_form.o template_form_size)
compile_quietly(template_form.cpp template_form_unoptimised.o -O0)
loaded_size(template_form_unoptimised.o template_form_unoptimised_size)
if(template_form_unoptimised_size GREATER 16384)
  message(FATAL_ERROR "template_form.cpp takes ${template_form_unoptimised_size} bytes at -O0, "
    "over 16384")
endif()

compile_quietly(run_time.cpp run_time.o)
loaded_size(run_time.o run_time_size)
compile_quietly(both_ways.cpp both_ways_unoptimised.o -O0)
loaded_size(both_ways_unoptimised.o both_ways_unoptimised_size)
if(both_ways_unoptimised_size GREATER 40960)
  message(FATAL_ERROR "both_ways.cpp takes ${both_ways_unoptimised_size} bytes at -O0, over 40960")
endif()

compile_quietly(small_buffer.cpp small_buffer.o)
compile_quietly(small_buffer.cpp small_buffer_gnu.o -std=gnu++20)

message(STATUS "code and read-only data: constant.o ${constant_size} bytes, run_time.o "
  "${run_time_size} bytes, template_form.o ${template_form_size} bytes (-O0: "
  "${template_form_unoptimised_size}), both_ways.o at -O0 ${both_ways_unoptimised_size} bytes")
if(constant_size GREATER 2048 OR run_time_size GREATER 8192)
  message(FATAL_ERROR "over 2048 or 8192 bytes")
endif()
