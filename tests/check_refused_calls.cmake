# Calls that the compiler must refuse. Run with cmake -P, with CXX_COMPILER,
# INCLUDE_DIRS (a list) and WORK_DIR.
# - Each conversion's result ignored, under -Werror=unused-result; the same
#   calls with the result used compile.
# - The template form with a buffer too short for its format, or a format
#   that the function forms refuse: each refused with the message that says
#   why, while a call with a good buffer and format compiles.

cmake_minimum_required(VERSION 3.25)

set(calls
  "bitsplit::my_itoa(1, buffer.data(), 8, 10)"
  "bitsplit::my_itoa(1, buffer, 8, 10)"
  "bitsplit::to_fixed_digits(1U, buffer.data(), 8, 10)"
  "bitsplit::to_fixed_digits(1ULL, std::span<char>(buffer), 8, 10)")
set(flags -std=c++20 -fsyntax-only -Werror=unused-result)
foreach(dir IN LISTS INCLUDE_DIRS)
  list(APPEND flags -I${dir})
endforeach()
file(MAKE_DIRECTORY ${WORK_DIR})

set(index 0)
foreach(call IN LISTS calls)
  math(EXPR index "${index} + 1")
  foreach(form IN ITEMS ignored used)
    if(form STREQUAL "ignored")
      set(statement "${call};")
    else()
      set(statement "return ${call} == nullptr;")
    endif()
    set(source ${WORK_DIR}/${form}_${index}.cpp)
    file(WRITE ${source} "#include <array>\n#include <span>\n#include \"bitsplit/digits.hpp\"\n"
      "bool f() { std::array<char, 9> buffer{}; ${statement} return false; }\n")
    execute_process(COMMAND ${CXX_COMPILER} ${flags} ${source}
      RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(form STREQUAL "ignored" AND (status EQUAL 0 OR NOT errors MATCHES "ignoring return value"))
      message(FATAL_ERROR "ignoring ${call} was not refused:\n${errors}")
    elseif(form STREQUAL "used" AND NOT status EQUAL 0)
      message(FATAL_ERROR "using ${call} did not compile:\n${errors}")
    endif()
  endforeach()
endforeach()

# Each refused call, then the message it must give; the good call compiles.
set(refused_calls
  "to_fixed_digits<digit_format{.width = 8, .base = 16}>(1, short_buffer)"
  "no room for the format's characters and a terminator"
  "to_fixed_digits<digit_format{.width = 8, .base = 37}>(1, buffer)"
  "base must be 2 to 36"
  "to_fixed_chars<digit_format{.width = 8, .base = 1}>(buffer.data(), buffer.data() + 8, 1)"
  "base must be 2 to 36"
  "from_fixed_digits<digit_format{.width = 8, .base = 10, .group = -1}>(\"1\", value)"
  "group must not be negative"
  "to_fixed_digits<digit_format{.width = 8, .base = 16, .group = 2, .separator = 'a'}>(1)"
  "separator must not be a digit of its base"
  "to_fixed_digits<digit_format{.width = 8, .base = 10, .group = 2, .separator = 0}>(1, buffer)"
  "separator must not be '"
  "to_fixed_digits<digit_format{.width = 8, .base = 16, .group = 2, .separator = ':'}>(1, buffer)"
  "")
list(LENGTH refused_calls length)
math(EXPR last "${length} - 1")
foreach(index RANGE 0 ${last} 2)
  math(EXPR reason_index "${index} + 1")
  list(GET refused_calls ${index} call)
  list(GET refused_calls ${reason_index} reason)
  set(source ${WORK_DIR}/refused_${index}.cpp)
  file(WRITE ${source} "#include <array>\n#include \"bitsplit/digits.hpp\"\n"
    "using bitsplit::digit_format;\n"
    "bool f() {\n  std::array<char, 12> buffer{};\n  char short_buffer[8];\n  int value = 0;\n"
    "  static_cast<void>(short_buffer);\n  static_cast<void>(value);\n"
    "  return static_cast<bool>(bitsplit::${call});\n}\n")
  execute_process(COMMAND ${CXX_COMPILER} ${flags} ${source}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(reason STREQUAL "" AND NOT status EQUAL 0)
    message(FATAL_ERROR "${call} did not compile:\n${errors}")
  elseif(NOT reason STREQUAL "" AND (status EQUAL 0 OR NOT errors MATCHES "${reason}"))
    message(FATAL_ERROR "${call} was not refused for: ${reason}\n${errors}")
  endif()
endforeach()
