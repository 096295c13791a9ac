# Installs the build into a fresh prefix and runs what it installed there.
# cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P install_check.cmake
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY "${WORK}")
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "${what}: ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(WORK "${PREFIX}-work")  # an empty current folder: nothing may be found there
file(REMOVE_RECURSE "${PREFIX}" "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(bin "${PREFIX}/bin")

run("install" "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}")
foreach(f pirumoa pirumoa-cli Numbers4Pirumoa.mdb)
  if(NOT EXISTS "${bin}/${f}")
    message(FATAL_ERROR "not installed: bin/${f}")
  endif()
endforeach()

# The help collection, where the program looks for it, when the build made one.
set(help "share/pirumoa/help/ナンバーズ4ピルモアL")
if(EXISTS "${BUILD}/${help}.qhc")
  foreach(f ${help}.qhc ${help}.qch)
    if(NOT EXISTS "${PREFIX}/${f}")
      message(FATAL_ERROR "not installed: ${f}")
    endif()
  endforeach()
endif()

# The command-line tool reads the database beside it.
run("pirumoa-cli sheet" "${bin}/pirumoa-cli" sheet 出現頻度分析)
string(REGEX MATCHALL "\n" lines "${out}")
list(LENGTH lines count)
if(count LESS 100)
  message(FATAL_ERROR "a sheet of the sample history has only ${count} lines:\n${out}")
endif()

# The program starts on its database and ends in order when told to.
run("pirumoa" timeout --preserve-status -s TERM 5 "${bin}/pirumoa")

# Installing again keeps the database that is there: it holds the user's draws.
file(WRITE "${bin}/Numbers4Pirumoa.mdb" "the user's draws")
run("second install" "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}")
file(READ "${bin}/Numbers4Pirumoa.mdb" kept)
if(NOT kept STREQUAL "the user's draws")
  message(FATAL_ERROR "a second install replaced the database")
endif()

file(REMOVE_RECURSE "${PREFIX}" "${WORK}")
