# Copies SRC to DST when SRC exists (the help file may not have been written yet).
if(EXISTS "${SRC}")
  file(COPY_FILE "${SRC}" "${DST}" ONLY_IF_DIFFERENT)
endif()
