# Test programs of the x86_64 build (GoogleTest needs std::mutex).
set(ORLAN_TRIPLE x86_64-w64-mingw32)
set(ORLAN_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
