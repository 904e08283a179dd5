# How other projects take bitsplit up, each from scratch under WORK_DIR. Run
# with cmake -P, with BUILD_DIR (a configured build of SOURCE_DIR), SOURCE_DIR,
# WORK_DIR, GENERATOR, CXX_COMPILER and VERSION (the project's version).
# - Installs BUILD_DIR into a fresh prefix, checks what lands there and runs
#   the installed program;
# - builds and runs the consumer project against that prefix with
#   find_package, and with plain ${CXX_COMPILER} $(pkg-config --cflags);
# - builds it with add_subdirectory(SOURCE_DIR), which must create no
#   program, test or benchmark target;
# - checks that find_package refuses another minor or major version;
# - configures, builds, installs and runs SOURCE_DIR without GoogleTest or
#   Google Benchmark and without a build type (Release by default);
# - checks that the header stops a C++17 build with a single clear error.

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "exit status ${status}: ${ARGV}")
  endif()
endfunction()

function(expect_file path)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

string(REPLACE "." ";" parts ${VERSION})
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
set(consumer ${CMAKE_CURRENT_LIST_DIR})
set(prefix ${WORK_DIR}/prefix)
set(configure ${CMAKE_COMMAND} -S ${consumer} -G ${GENERATOR} -D CMAKE_CXX_COMPILER=${CXX_COMPILER})
file(REMOVE_RECURSE ${WORK_DIR})

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${prefix}/bin/bitsplit)
foreach(installed IN ITEMS include/bitsplit/digits.hpp include/bitsplit/version.hpp
    share/doc/bitsplit/LICENSE share/man/man1/bitsplit.1 share/pkgconfig/bitsplit.pc
    share/cmake/bitsplit/bitsplitConfig.cmake)
  expect_file(${prefix}/${installed})
endforeach()

run(${configure} -B ${WORK_DIR}/installed -D CMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/installed)
run(${WORK_DIR}/installed/consumer)

find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/share/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags bitsplit
  OUTPUT_VARIABLE cflags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${PKG_CONFIG} --modversion bitsplit
  OUTPUT_VARIABLE pc_version OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(NOT pc_version STREQUAL VERSION)
  message(FATAL_ERROR "bitsplit.pc says version ${pc_version}, the project ${VERSION}")
endif()
separate_arguments(cflags UNIX_COMMAND "${cflags}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkg-config)
run(${CXX_COMPILER} ${cflags} -DEXPECTED_VERSION_MAJOR=${major} -DEXPECTED_VERSION_MINOR=${minor}
  -DEXPECTED_VERSION_PATCH=${patch} ${consumer}/main.cpp
  -o ${WORK_DIR}/pkg-config/consumer)
run(${WORK_DIR}/pkg-config/consumer)

run(${configure} -B ${WORK_DIR}/subdirectory -D BITSPLIT_SOURCE_DIR=${SOURCE_DIR})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/subdirectory)
run(${WORK_DIR}/subdirectory/consumer)

math(EXPR next_major "${major} + 1")
if(major EQUAL 0)
  math(EXPR other_minor "${minor} - 1")  # 0.x releases are compatible only with themselves.
  set(refused ${next_major} 0.${other_minor})
else()
  set(refused ${next_major})
endif()
foreach(request IN LISTS refused)
  execute_process(
    COMMAND ${configure} -B ${WORK_DIR}/refused -D CMAKE_PREFIX_PATH=${prefix}
            -D BITSPLIT_REQUIRED_VERSION=${request}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(FATAL_ERROR "find_package(bitsplit ${request}) accepted version ${VERSION}")
  endif()
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/no-test-tools -G ${GENERATOR}
          -D CMAKE_CXX_COMPILER=${CXX_COMPILER}
          -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON -D CMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  OUTPUT_VARIABLE configured RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT configured MATCHES "bitsplit: tests off, GoogleTest not found")
  message(FATAL_ERROR "configure without GoogleTest (exit status ${status}):\n${configured}")
endif()
file(STRINGS ${WORK_DIR}/no-test-tools/CMakeCache.txt build_type REGEX "^CMAKE_BUILD_TYPE:")
if(NOT build_type STREQUAL "CMAKE_BUILD_TYPE:STRING=Release")
  message(FATAL_ERROR "top-level default build type: ${build_type}")
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/no-test-tools)
run(${CMAKE_COMMAND} --install ${WORK_DIR}/no-test-tools --prefix ${WORK_DIR}/no-test-tools-prefix)
run(${WORK_DIR}/no-test-tools-prefix/bin/bitsplit)

file(WRITE ${WORK_DIR}/cxx17.cpp "#include \"bitsplit/digits.hpp\"\n")
execute_process(
  COMMAND ${CXX_COMPILER} -std=c++17 -fsyntax-only -I${SOURCE_DIR}/include ${WORK_DIR}/cxx17.cpp
  RESULT_VARIABLE status ERROR_VARIABLE errors)
string(REGEX MATCHALL "error:" error_lines "${errors}")
list(LENGTH error_lines error_count)
if(status EQUAL 0 OR NOT error_count EQUAL 1 OR NOT errors MATCHES "needs C\\+\\+20")
  message(FATAL_ERROR "a C++17 build of the header gave:\n${errors}")
endif()
