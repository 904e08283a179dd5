# Compiles calls that ignore the result of each conversion and expects each
# to be refused under -Werror=unused-result, and the same calls with the
# result used to compile. Run with cmake -P, with CXX_COMPILER, INCLUDE_DIRS
# (a list) and WORK_DIR.

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
