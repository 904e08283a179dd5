# Installs the build in BUILD_DIR into a fresh prefix under WORK_DIR and builds
# and runs the consumer project against it with find_package, then against
# SOURCE_DIR with add_subdirectory, and checks that a request for major
# version 1 is refused. Run with cmake -P.

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "exit status ${status}: ${ARGV}")
  endif()
endfunction()

set(consumer ${CMAKE_CURRENT_LIST_DIR})
set(prefix ${WORK_DIR}/prefix)
set(configure ${CMAKE_COMMAND} -S ${consumer} -G ${GENERATOR} -D CMAKE_CXX_COMPILER=${CXX_COMPILER})
file(REMOVE_RECURSE ${WORK_DIR})

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${prefix}/bin/bitsplit)

run(${configure} -B ${WORK_DIR}/installed -D CMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/installed)
run(${WORK_DIR}/installed/consumer)

run(${configure} -B ${WORK_DIR}/subdirectory -D BITSPLIT_SOURCE_DIR=${SOURCE_DIR})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/subdirectory)
run(${WORK_DIR}/subdirectory/consumer)

execute_process(
  COMMAND ${configure} -B ${WORK_DIR}/major -D CMAKE_PREFIX_PATH=${prefix}
          -D BITSPLIT_REQUIRED_VERSION=1
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0)
  message(FATAL_ERROR "find_package(bitsplit 1) accepted version 0.1.0")
endif()
