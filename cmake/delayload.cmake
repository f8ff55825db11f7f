# Delay-import libraries for the DLLs that Windows does not protect as known
# DLLs (winspool.drv, comctl32.dll). Imported normally, the loader would
# resolve them before any code runs, from the program's own folder first; a
# delay import is resolved on first use through a hook that loads the copy in
# the system folder.
find_program(ORLAN_DLLTOOL NAMES ${ORLAN_TRIPLE}-dlltool REQUIRED)
find_program(ORLAN_NM NAMES ${ORLAN_TRIPLE}-nm REQUIRED)
# i686 decorates stdcall names (_Name@8); x86_64 has one convention and no
# decoration.
if(ORLAN_TRIPLE MATCHES "^i686")
  set(orlan_symbol_prefix "_")
  set(orlan_symbol_suffix "@[0-9]+")
else()
  set(orlan_symbol_prefix "")
  set(orlan_symbol_suffix "")
endif()

function(orlan_delay_import out name dll)
  find_file(import_lib lib${name}.a PATHS /usr/${ORLAN_TRIPLE}/lib NO_DEFAULT_PATH NO_CACHE REQUIRED)
  set(def ${CMAKE_BINARY_DIR}/delay/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
  execute_process(COMMAND ${ORLAN_NM} ${import_lib} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[0-9a-f]+ T ${orlan_symbol_prefix}[A-Za-z][A-Za-z0-9_]*${orlan_symbol_suffix}" entries "${symbols}")
  set(text "LIBRARY ${dll}\nEXPORTS\n")
  set(seen "")
  foreach(e ${entries})
    string(REGEX REPLACE "^[0-9a-f]+ T ${orlan_symbol_prefix}" "" e "${e}")
    if(NOT e IN_LIST seen)
      list(APPEND seen ${e})
      string(APPEND text "    ${e}\n")
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay)
  file(WRITE ${def} "${text}")
  execute_process(COMMAND ${ORLAN_DLLTOOL} -k --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
                  COMMAND_ERROR_IS_FATAL ANY)
  set(${out} ${lib} PARENT_SCOPE)
endfunction()
