# Copies the help's sources next to the pictures just taken and leaves out the picture of
# every window that has none yet.
# The figures from the sample (help-figures) replace their @KEY@ in the pages; a key left
# without its figure stops the build rather than showing a placeholder.
# cmake -DSOURCE=<help folder> -DSTAGE=<staging folder with images/> -DFIGURES=<file>
#       -P stage.cmake
set(figures "")
if(DEFINED FIGURES)
  file(STRINGS "${FIGURES}" figures ENCODING UTF-8)
endif()
file(GLOB files "${SOURCE}/*.html" "${SOURCE}/*.css" "${SOURCE}/*.qhp" "${SOURCE}/*.qhcp")
foreach(f ${files})
  get_filename_component(leaf "${f}" NAME)
  file(READ "${f}" text)
  if(leaf MATCHES "\\.html$")
    # A picture stands alone on its line: <p class="shot"><img src="images/NAME.png" ...></p>
    string(REGEX MATCHALL "<p class=\"shot\"><img src=\"[^\"]+\"[^\n]*</p>\n" shots "${text}")
    foreach(shot ${shots})
      string(REGEX REPLACE "^<p class=\"shot\"><img src=\"([^\"]+)\".*" "\\1" picture "${shot}")
      if(NOT EXISTS "${STAGE}/${picture}")
        string(REPLACE "${shot}" "" text "${text}")
      endif()
    endforeach()
  endif()
  if(leaf MATCHES "\\.html$")
    foreach(line ${figures})
      string(REGEX REPLACE "=.*" "" key "${line}")
      string(REGEX REPLACE "^[^=]*=" "" value "${line}")
      string(REPLACE "@${key}@" "${value}" text "${text}")
    endforeach()
    string(REGEX MATCH "@[A-Z_0-9]+@" missing "${text}")
    if(missing)
      message(FATAL_ERROR "${leaf}: no figure for ${missing}")
    endif()
  endif()
  file(WRITE "${STAGE}/${leaf}" "${text}")
endforeach()
