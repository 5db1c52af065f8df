# Cross toolchain for 64-bit Windows (MinGW-w64, POSIX threads).
set(VORN_WINDOWS_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-common.cmake)
