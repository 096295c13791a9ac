# Copies the help's sources next to the pictures just taken and leaves out the picture of
# every window that has none yet.
# cmake -DSOURCE=<help folder> -DSTAGE=<staging folder with images/> -P stage.cmake
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
  file(WRITE "${STAGE}/${leaf}" "${text}")
endforeach()
