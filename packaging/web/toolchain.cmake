# Cross toolchain for the web build: Debian's emscripten, with the libraries
# cross-built by libraries.sh. VORN_WEB_PREFIX (a cache variable) is the
# folder they are installed in; CMake and pkg-config look only there and in
# emscripten's own sysroot, never at the build machine's libraries.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORN_WEB_PREFIX)
if(VORN_WEB_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${VORN_WEB_PREFIX})
    set(ENV{PKG_CONFIG_LIBDIR} ${VORN_WEB_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
