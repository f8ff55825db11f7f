# Release programs: the win32 thread model keeps winpthreads (and its
# Vista-only imports) out, so the programs still start on Windows 2000.
set(ORLAN_TRIPLE i686-w64-mingw32)
set(ORLAN_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
