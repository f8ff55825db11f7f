# The payload table: the size and SHA-256 of every file that the release
# folder holds beside setup.exe, written into setup.exe's resources
# (resources/setup.rc), against which setup checks each file it copies.
#
# A release folder holds setup.exe and uninstall.exe, both built here, and
# the product's own files: the stand-ins of payload/ or, with
# ORLAN_PAYLOAD_DIR, every file of that folder.
set(ORLAN_PAYLOAD_DIR "" CACHE PATH "Folder of the product's own files to pack beside setup.exe (empty: the stand-ins)")
if(ORLAN_PAYLOAD_DIR)
  if(NOT IS_DIRECTORY "${ORLAN_PAYLOAD_DIR}")
    message(FATAL_ERROR "ORLAN_PAYLOAD_DIR ${ORLAN_PAYLOAD_DIR} is no folder")
  endif()
  file(GLOB ORLAN_PAYLOAD_FILES LIST_DIRECTORIES false CONFIGURE_DEPENDS "${ORLAN_PAYLOAD_DIR}/*")
  set(ORLAN_PAYLOAD_TARGETS)
  # Every file setup copies must be there: the rows of common/payload.h
  # that name a folder setup copies to (uninstall.exe is built here).
  file(STRINGS "${CMAKE_SOURCE_DIR}/common/payload.h" rows
       REGEX "^ *{\"[^\"]+\", FileRole::[A-Za-z]+, FileFolder::[A-Za-z]+,")
  if(NOT rows)
    message(FATAL_ERROR "No payload rows found in common/payload.h")
  endif()
  foreach(row ${rows})
    string(REGEX MATCH "{\"([^\"]+)\", FileRole::[A-Za-z]+, FileFolder::([A-Za-z]+)," row "${row}")
    if(NOT CMAKE_MATCH_2 STREQUAL "None" AND NOT EXISTS "${ORLAN_PAYLOAD_DIR}/${CMAKE_MATCH_1}")
      message(FATAL_ERROR "ORLAN_PAYLOAD_DIR ${ORLAN_PAYLOAD_DIR} has no ${CMAKE_MATCH_1}, which setup installs")
    endif()
  endforeach()
  foreach(file ${ORLAN_PAYLOAD_FILES})
    get_filename_component(name "${file}" NAME)
    string(TOLOWER "${name}" name)
    if(name STREQUAL "setup.exe" OR name STREQUAL "uninstall.exe")
      message(FATAL_ERROR "ORLAN_PAYLOAD_DIR holds ${file}: setup.exe and uninstall.exe are built here")
    endif()
  endforeach()
endif()

set(ORLAN_PAYLOAD_TABLE ${CMAKE_BINARY_DIR}/resources/payload.txt)
if(ORLAN_TESTS)
  # The test programs run setup's steps in-process on copies of the arm's
  # release folder: their table describes that folder.
  file(GLOB table_files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${ORLAN_DIST_DIR}/*")
  list(FILTER table_files EXCLUDE REGEX "/setup\\.exe$")
  set(table_depends ${table_files})
else()
  set(table_files $<TARGET_FILE:uninstall> ${ORLAN_PAYLOAD_FILES})
  set(table_depends uninstall ${ORLAN_PAYLOAD_TARGETS} ${ORLAN_PAYLOAD_FILES})
endif()
add_custom_command(OUTPUT ${ORLAN_PAYLOAD_TABLE}
    COMMAND ${CMAKE_COMMAND} -DOUT=${ORLAN_PAYLOAD_TABLE} "-DFILES=${table_files}"
            -P ${CMAKE_SOURCE_DIR}/cmake/payload-table.cmake
    DEPENDS ${table_depends} ${CMAKE_SOURCE_DIR}/cmake/payload-table.cmake
    COMMENT "Payload table of setup.exe" VERBATIM)
add_custom_target(payload_table DEPENDS ${ORLAN_PAYLOAD_TABLE})
