# `tessmar run` on bad input: runs TESSMAR with ARGS ("|" between arguments)
# and the output directory OUT, and expects exit status 2, the text EXPECT in
# the message on stderr, and no output directory.
string(REPLACE "|" ";" args "${ARGS}")
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${TESSMAR}" run ${args} -o "${OUT}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "exit status ${rc}, expected 2\nstderr: ${err}")
endif()
string(FIND "${err}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "stderr lacks \"${EXPECT}\"\nstderr: ${err}")
endif()
if(EXISTS "${OUT}")
  message(FATAL_ERROR "bad input created the output directory ${OUT}")
endif()
