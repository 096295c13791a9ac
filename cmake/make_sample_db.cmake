# cmake -DCLI=<pirumoa-cli> -DCSV=<history.csv> -DPAYOUTS=<payouts.csv> -DDB=<database>
#       -P make_sample_db.cmake
# Makes DB afresh from CSV, with the prizes of PAYOUTS (draw,straight,box,set_straight,set_box,
# one line per draw of CSV, in the same order). DB is the build's own sample, never a database
# with a user's draws.
get_filename_component(dir "${DB}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
# A leftover of an interrupted run is ours to clear.
file(REMOVE "${DB}.new" "${DB}.new-journal" "${DB}.csv")

set(input "${CSV}")
if(PAYOUTS)
  # One file of draws with their prizes, in the program's own export format.
  file(STRINGS "${CSV}" draws)
  file(STRINGS "${PAYOUTS}" payouts)
  list(LENGTH draws n)
  list(LENGTH payouts m)
  if(NOT n EQUAL m)
    message(FATAL_ERROR "${PAYOUTS} has ${m} lines, ${CSV} ${n}")
  endif()
  set(merged "")
  set(first TRUE)
  foreach(d p IN ZIP_LISTS draws payouts)
    string(REGEX MATCH "^[^,]*" dno "${d}")
    string(REGEX MATCH "^[^,]*" pno "${p}")
    if(first)
      set(first FALSE)
      if(NOT p STREQUAL "draw,straight,box,set_straight,set_box")
        message(FATAL_ERROR "${PAYOUTS}: unexpected header ${p}")
      endif()
    elseif(NOT dno STREQUAL pno)
      message(FATAL_ERROR "${PAYOUTS}: draw ${pno} where ${CSV} has ${dno}")
    endif()
    # (REGEX REPLACE would apply "^" again after each match.)
    string(FIND "${p}" "," comma)
    math(EXPR comma "${comma} + 1")
    string(SUBSTRING "${p}" ${comma} -1 rest)
    string(APPEND merged "${d},${rest}\n")
  endforeach()
  file(WRITE "${DB}.csv" "${merged}")
  set(input "${DB}.csv")
endif()

execute_process(COMMAND "${CLI}" import "${input}" --db "${DB}.new"
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
file(REMOVE "${DB}.csv")
if(NOT rc EQUAL 0)
  file(REMOVE "${DB}.new")
  message(FATAL_ERROR "could not make the sample database from ${CSV}: ${err}")
endif()
file(RENAME "${DB}.new" "${DB}")
