# Cross toolchain for 32-bit Windows (MinGW-w64, POSIX threads). Floating
# point in SSE registers as on x86-64 (no x87 excess precision; every
# processor that runs Windows 10 has SSE2), and the stack realigned where
# Windows calls in with only 4-byte alignment.
set(VORN_WINDOWS_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-common.cmake)
