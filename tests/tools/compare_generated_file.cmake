# Runs GENERATOR OUTPUT and fails unless OUTPUT is byte for byte the same as COMMITTED.
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status OUTPUT_VARIABLE summary)
message("${summary}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} is not what the generator writes (see ${OUTPUT}); "
                      "rebuild the target regenerate_curve_tables and commit the result")
endif()
