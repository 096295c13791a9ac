# Installs the build into a fresh prefix and runs what it installed there, as a user whose home
# folder is new.
# cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -DSAMPLE=<build's sample> -P install_check.cmake
function(run what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${HOME} --unset=XDG_DATA_HOME ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY "${WORK}")
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "${what}: ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what}:\n${actual}\nexpected:\n${expected}")
  endif()
endfunction()

set(WORK "${PREFIX}-work")  # an empty current folder: nothing may be found there
set(HOME "${PREFIX}-home")
file(REMOVE_RECURSE "${PREFIX}" "${WORK}" "${HOME}")
file(MAKE_DIRECTORY "${WORK}" "${HOME}")
set(bin "${PREFIX}/bin")
set(sample "${PREFIX}/share/pirumoa/Numbers4Pirumoa.mdb")
set(users "${HOME}/.local/share/pirumoa/Numbers4Pirumoa.mdb")
set(cli "${bin}/pirumoa-cli")

run("install" "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}")
foreach(f bin/pirumoa bin/pirumoa-cli bin/pirumoa-cli-pdf bin/pirumoa-cli-net share/pirumoa/Numbers4Pirumoa.mdb
        share/applications/pirumoa.desktop share/icons/hicolor/scalable/apps/pirumoa.svg
        share/icons/hicolor/48x48/apps/pirumoa.png)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
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

if(EXISTS "${bin}/Numbers4Pirumoa.mdb")
  message(FATAL_ERROR "a database beside the installed program would keep the user's draws in the prefix")
endif()

# The first start makes the user's database from the sample and shows the sample's draws.
run("sheet of the build's sample" "${BUILD}/bin/pirumoa-cli" sheet 出現頻度分析 --db "${SAMPLE}")
set(sampleSheet "${out}")
run("pirumoa-cli sheet" "${cli}" sheet 出現頻度分析)
expect("the first start's sheet" "${out}" "${sampleSheet}")
if(NOT EXISTS "${users}")
  message(FATAL_ERROR "no database in the user's data folder")
endif()

# A PDF is printed by the painting tool installed beside pirumoa-cli, on the same database.
run("pirumoa-cli sheet as PDF" "${cli}" sheet 出現頻度分析 --format pdf --output "${WORK}/f.pdf")
file(READ "${WORK}/f.pdf" pdfStart LIMIT 4 HEX)
expect("the PDF's first bytes" "${pdfStart}" "25504446")

# The user's draws go to the user's database, and a second install keeps them; the sample is
# never written.
file(SHA256 "${sample}" sampleBefore)
run("export of the sample" "${cli}" export)
set(sampleCsv "${out}")
file(WRITE "${WORK}/more.csv" "draw,date,d1,d2,d3,d4\n7055,,1,2,3,4\n")
run("import into the user's database" "${cli}" import "${WORK}/more.csv" --format tsv)
expect("import" "${out}" "added\tskipped\treplaced\tcompleted\n1\t0\t0\t0\n")
run("second install" "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}")
run("export after the second install" "${cli}" export)
# The sample carries prizes, so its export has their columns, empty for the new draw.
expect("the user's draws" "${out}" "${sampleCsv}7055,,1,2,3,4,,,,\n")
file(SHA256 "${sample}" sampleAfter)
expect("the installed sample" "${sampleAfter}" "${sampleBefore}")

# The program starts on the user's database and ends in order when told to, with the status
# of a program ended by SIGTERM (128 + 15).
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${HOME} --unset=XDG_DATA_HOME
                        timeout --preserve-status -s TERM 5 "${bin}/pirumoa"
                RESULT_VARIABLE rc ERROR_VARIABLE err WORKING_DIRECTORY "${WORK}")
expect("pirumoa ended by SIGTERM" "${rc}" "143")

# Portable use: a database beside the program is the one used, whatever the user has.
file(WRITE "${WORK}/one.csv" "draw,date,d1,d2,d3,d4\n1,,5,6,7,8\n")
run("a database beside the program" "${cli}" import "${WORK}/one.csv" --db "${bin}/Numbers4Pirumoa.mdb")
run("export beside the program" "${cli}" export)
expect("the draws beside the program" "${out}" "draw,date,d1,d2,d3,d4\n1,,5,6,7,8\n")

file(REMOVE_RECURSE "${PREFIX}" "${WORK}" "${HOME}")
