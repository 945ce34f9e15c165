# Runs swfrender in run mode and compares what it prints with an expected file.
#   cmake -DSWFRENDER=... -DMOVIE=... -DEXPECTED=... -DDIR=... -DARGS="a;b;c" -P run_test.cmake
# DIR is the working directory (files named by --serve are relative to it).
execute_process(COMMAND ${SWFRENDER} ${MOVIE} ${ARGS}
  WORKING_DIRECTORY ${DIR} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "swfrender failed (${rc}): ${err}")
endif()
file(READ ${EXPECTED} want)
if(NOT out STREQUAL want)
  message(FATAL_ERROR "swfrender printed:\n${out}\nexpected:\n${want}")
endif()
