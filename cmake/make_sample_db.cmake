if(EXISTS "${DB}")
  return()
endif()
# A leftover of an interrupted run is ours to clear; the database itself never is.
file(REMOVE "${DB}.new" "${DB}.new-journal")
execute_process(COMMAND "${CLI}" import "${CSV}" --db "${DB}.new"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  file(REMOVE "${DB}.new")
  message(FATAL_ERROR "could not make the sample database from ${CSV}")
endif()
file(RENAME "${DB}.new" "${DB}")
