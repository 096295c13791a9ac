# cmake -DFROM=<file> -DTO=<file> -P copy_if_missing.cmake
# Copies FROM to TO unless TO exists: whatever is there is kept.
if(EXISTS "${TO}")
  return()
endif()
file(REMOVE "${TO}.new")
file(COPY_FILE "${FROM}" "${TO}.new")
file(RENAME "${TO}.new" "${TO}" NO_REPLACE RESULT kept)
file(REMOVE "${TO}.new")
