# Compresses IN to OUT as Debian wants its manual pages and change logs: gzip -9 without the
# name and time stamp, so that the package builds reproducibly.
execute_process(COMMAND gzip -9 -n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${IN}")
endif()
