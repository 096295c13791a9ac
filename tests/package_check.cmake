# Builds the Debian package from the build, unpacks it into a scratch root and runs the
# installed command-line tool there as a user whose home folder is new.
# cmake -DBUILD=<build dir> -DWORK=<scratch folder> -DSAMPLE=<build's sample> -P package_check.cmake
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY "${WORK}")
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "${what}: ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")
set(root "${WORK}/root")

run("cpack" cpack -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/package")
file(GLOB deb "${WORK}/package/*.deb")
list(LENGTH deb count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages: ${deb}")
endif()

run("dpkg-deb -I" dpkg-deb -I "${deb}")
message(STATUS "${deb}\n${out}")
# The libraries' packages come from dpkg-shlibdeps: the cipher the database needs among them.
if(NOT out MATCHES "\n Depends: [^\n]*libsqlcipher")
  message(FATAL_ERROR "the package's dependencies were not computed:\n${out}")
endif()

run("dpkg-deb -x" dpkg-deb -x "${deb}" "${root}")
run("desktop-file-validate" desktop-file-validate "${root}/usr/share/applications/pirumoa.desktop")
foreach(f usr/bin/pirumoa usr/share/pirumoa/translations/qtbase_ja.qm
        usr/share/icons/hicolor/scalable/apps/pirumoa.svg
        usr/share/icons/hicolor/16x16/apps/pirumoa.png
        usr/share/icons/hicolor/256x256/apps/pirumoa.png)
  if(NOT EXISTS "${root}/${f}")
    message(FATAL_ERROR "not in the package: ${f}")
  endif()
endforeach()

# The installed tool on a fresh home: the user's database is made from the packaged sample
# and gives what the build's sample gives.
run("the build's sheet" "${BUILD}/bin/pirumoa-cli" sheet 出現頻度分析 --db "${SAMPLE}")
set(expected "${out}")
run("the installed sheet" ${CMAKE_COMMAND} -E env HOME=${WORK}/home --unset=XDG_DATA_HOME
    "${root}/usr/bin/pirumoa-cli" sheet 出現頻度分析)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "the installed pirumoa-cli printed another sheet:\n${out}")
endif()
if(NOT EXISTS "${WORK}/home/.local/share/pirumoa/Numbers4Pirumoa.mdb")
  message(FATAL_ERROR "no database in the user's data folder")
endif()

file(REMOVE_RECURSE "${WORK}")
