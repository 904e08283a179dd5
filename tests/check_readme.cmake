# The README's examples, as written, so that they cannot drift from the code.
# Run with cmake -P, with README, SOURCE_DIR, CXX_COMPILER, GENERATOR and
# WORK_DIR.
# - every C++ block compiles against the headers, its statements in a
#   function of its own; the last, "in the code", also as a program;
# - the install commands install the source tree into a fresh prefix (for
#   /opt/bitsplit), and the pkg-config commands build that program against it.

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(READ ${README} readme)
# Semicolons would split CMake's lists, and an unmatched bracket keep them
# from splitting.
string(REPLACE ";" "<semicolon>" readme "${readme}")
string(REPLACE "[" "<open>" readme "${readme}")
string(REPLACE "]" "<close>" readme "${readme}")
string(REGEX MATCHALL "[^\n]*\n" lines "${readme}")

set(open "[")
set(close "]")
set(language "")
set(cpp_blocks 0)
set(sh_blocks "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" stripped)
  if(language STREQUAL "" AND stripped MATCHES "^```([a-z]+)$")
    set(language ${CMAKE_MATCH_1})
    set(includes "")
    set(body "")
  elseif(NOT language STREQUAL "" AND stripped STREQUAL "```")
    foreach(mark IN ITEMS open close)
      string(REPLACE "<${mark}>" "${${mark}}" body "${body}")
      string(REPLACE "<${mark}>" "${${mark}}" includes "${includes}")
    endforeach()
    if(language STREQUAL "cpp")
      string(REPLACE "<semicolon>" ";" body "${body}")
      string(REPLACE "<semicolon>" ";" includes "${includes}")
      math(EXPR cpp_blocks "${cpp_blocks} + 1")
      file(WRITE ${WORK_DIR}/block_${cpp_blocks}.cpp
        "#include <array>\n#include <cstdint>\n#include \"bitsplit/digits.hpp\"\n${includes}"
        "[[maybe_unused]] static void block() {\n${body}}\n")
      set(last_includes "${includes}")
      set(last_body "${body}")
    elseif(language STREQUAL "sh")
      list(APPEND sh_blocks "${body}")
    endif()
    set(language "")
  elseif(NOT language STREQUAL "")
    if(stripped MATCHES "^#include")
      string(APPEND includes "${line}")
    else()
      string(APPEND body "${line}")
    endif()
  endif()
endforeach()

foreach(block RANGE 1 ${cpp_blocks})
  execute_process(COMMAND ${CXX_COMPILER} -std=c++20 -fsyntax-only -Wall -Wextra -Werror
      -Wno-unused-variable -Wno-unused-but-set-variable -I${SOURCE_DIR}/include ${WORK_DIR}/block_${block}.cpp
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  file(READ ${WORK_DIR}/block_${block}.cpp code)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the README's C++ block ${block} does not compile:\n${code}\n${errors}")
  endif()
endforeach()
file(WRITE ${WORK_DIR}/app.cpp "${last_includes}int main() {\n${last_body}}\n")

# The blocks that install and build against the install, in a shell, with a
# prefix and a build folder of this test's own. pkg-config's flags split at
# blanks, as the README's unquoted $( ) does, so they run only from a folder
# without them.
if(WORK_DIR MATCHES "[ '\"]")
  message(STATUS "the README's shell commands are not run from a folder with blanks or quotes")
  return()
endif()
set(ran 0)
foreach(block IN LISTS sh_blocks)
  string(REPLACE "<semicolon>" ";" block "${block}")
  if(block MATCHES "cmake --install build/install|pkg-config --cflags")
    string(REPLACE "/opt/bitsplit" "${WORK_DIR}/prefix" block "${block}")
    string(REPLACE "-S . " "-S ${SOURCE_DIR} " block "${block}")
    string(REPLACE "-G Ninja" "-G ${GENERATOR} -D CMAKE_CXX_COMPILER=${CXX_COMPILER}" block
      "${block}")
    string(REPLACE "\ng++ " "\n${CXX_COMPILER} " block "${block}")
    execute_process(COMMAND sh -e -c "${block}" WORKING_DIRECTORY ${WORK_DIR}
      RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "the README's commands failed (${status}):\n${block}\n${output}")
    endif()
    math(EXPR ran "${ran} + 1")
  endif()
endforeach()
if(NOT ran EQUAL 2 OR NOT EXISTS ${WORK_DIR}/a.out)
  message(FATAL_ERROR "the README's install and pkg-config commands were not found, or built "
    "nothing")
endif()
execute_process(COMMAND ${WORK_DIR}/a.out COMMAND_ERROR_IS_FATAL ANY)
