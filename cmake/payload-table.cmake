# Writes the payload table that setup.exe carries as a resource: one line
# per file of the release folder, "<sha-256 in hex> <size> <name>".
# Run as: cmake -DOUT=<table> "-DFILES=<file;...>" -P payload-table.cmake
set(table "")
foreach(file ${FILES})
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "Payload file ${file} does not exist")
  endif()
  file(SHA256 "${file}" hash)
  file(SIZE "${file}" size)
  get_filename_component(name "${file}" NAME)
  string(APPEND table "${hash} ${size} ${name}\n")
endforeach()
# Rewritten only when it changes, so setup is not relinked for nothing.
file(CONFIGURE OUTPUT "${OUT}" CONTENT "${table}" @ONLY NEWLINE_STYLE UNIX)
