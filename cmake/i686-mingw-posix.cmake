# Test programs: GoogleTest needs std::mutex, which only the posix thread
# model offers. The same sources are compiled again in this tree.
set(ORLAN_TRIPLE i686-w64-mingw32)
set(ORLAN_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
