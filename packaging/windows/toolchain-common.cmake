# Shared part of the MinGW-w64 cross toolchains; the per-processor files set
# VORN_WINDOWS_TRIPLE and CMAKE_SYSTEM_PROCESSOR, then include this one.
# VORN_WINDOWS_PREFIX (a cache variable) is the folder the cross-built
# libraries are installed in; CMake and pkg-config look only there and in
# the compiler's own sysroot, never at the build machine's libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VORN_WINDOWS_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORN_WINDOWS_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORN_WINDOWS_TRIPLE}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORN_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${VORN_WINDOWS_TRIPLE} ${VORN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(VORN_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${VORN_WINDOWS_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# No runtime DLLs of the compiler beside the program: libgcc, libstdc++ and
# winpthread go into each executable and DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
