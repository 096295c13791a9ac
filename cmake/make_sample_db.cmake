# cmake -DCLI=<pirumoa-cli> -DCSV=<history.csv> -DDB=<database> -P make_sample_db.cmake
# Makes DB afresh from CSV. DB is the build's own sample, never a database with a user's draws.
get_filename_component(dir "${DB}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
# A leftover of an interrupted run is ours to clear.
file(REMOVE "${DB}.new" "${DB}.new-journal")
execute_process(COMMAND "${CLI}" import "${CSV}" --db "${DB}.new"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  file(REMOVE "${DB}.new")
  message(FATAL_ERROR "could not make the sample database from ${CSV}")
endif()
file(RENAME "${DB}.new" "${DB}")
