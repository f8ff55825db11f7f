# The programs built for x86_64 with the release's thread model: never
# shipped, only tested on hosts that cannot run 32-bit code.
set(ORLAN_TRIPLE x86_64-w64-mingw32)
set(ORLAN_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
