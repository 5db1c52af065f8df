#!/bin/sh
# Cross-builds the libraries of the Windows build from Debian's source
# packages, once per recipe: `libraries.sh TRIPLE` prints the folder they are
# installed in (CACHE/<recipe hash>/TRIPLE). The recipe is this script, the
# steps it shares with the web recipe (../library_recipe.sh) and the
# toolchain files; any change to them gives a new hash and a fresh build. The
# cache lives outside the repository: $VORN_WINDOWS_CACHE, else
# ~/.cache/vorn-windows. Progress goes to standard error, each step's output
# to a log beside it.
#
# SDL2 and libmpg123 become DLLs shipped beside the program (libmpg123 is
# LGPL, so it stays replaceable); libjpeg-turbo, FreeType, kissfft and Dear
# ImGui are linked in statically, and so are zlib, libpng and CLI11 (headers
# only) of vorn-capture. An interrupted build resumes with the library it
# stopped in.
set -e

TRIPLE=$1
# LIB_CFLAGS: for the builds that do not use the toolchain files, their flags.
case "$TRIPLE" in
x86_64-w64-mingw32) TOOLCHAIN=toolchain-x86_64.cmake LIB_CFLAGS="-O2" ;;
i686-w64-mingw32) TOOLCHAIN=toolchain-i686.cmake LIB_CFLAGS="-O2 -msse2 -mfpmath=sse -mstackrealign" ;;
*) echo "usage: $0 x86_64-w64-mingw32|i686-w64-mingw32" >&2; exit 2 ;;
esac

HERE=$(cd "$(dirname "$0")" && pwd)
HASH=$(cat "$HERE/libraries.sh" "$HERE/../library_recipe.sh" "$HERE"/toolchain-*.cmake | sha256sum | cut -c1-16)
CACHE=${VORN_WINDOWS_CACHE:-$HOME/.cache/vorn-windows}/$HASH
PREFIX=$CACHE/$TRIPLE
SOURCES=$CACHE/src
BUILD=$CACHE/build/$TRIPLE
JOBS=${JOBS:-2}
NICE="nice -n 10"
RECIPE="windows libraries ($TRIPLE)"
TOOLCHAIN_FILE=$HERE/$TOOLCHAIN PREFIX_DEFINE=VORN_WINDOWS_PREFIX
# pkg-config sees only the cross-built libraries, never the build machine's.
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH=

# The source packages (Debian names).
PACKAGES="libsdl2 mpg123 libjpeg-turbo freetype kissfft imgui zlib libpng1.6 cli11"

if [ -f "$PREFIX/.done" ]; then
    echo "$PREFIX"
    exit 0
fi

. "$HERE/../library_recipe.sh"

build_sdl2() {
    # The program has its own main(): no SDL2main, no renaming of main.
    cmake_library libsdl2 -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON
}

build_mpg123() {
    rm -rf "$BUILD/mpg123"
    mkdir -p "$BUILD/mpg123"
    cd "$BUILD/mpg123"
    step mpg123-configure "$SOURCES/mpg123/configure" --host="$TRIPLE" --prefix="$PREFIX" \
        --enable-shared --disable-static --disable-modules --with-audio=win32 \
        CC="$TRIPLE-gcc-posix" CFLAGS="$LIB_CFLAGS" LDFLAGS=-static-libgcc
    step mpg123-build $NICE make -j"$JOBS" src/libmpg123/libmpg123.la
    step mpg123-install make install-libLTLIBRARIES install-nodist_includeHEADERS \
        install-includeHEADERS install-pkgconfigDATA lib_LTLIBRARIES=src/libmpg123/libmpg123.la \
        nodist_include_HEADERS=src/libmpg123/mpg123.h pkgconfig_DATA=libmpg123.pc
    cd - >/dev/null
}

build_jpeg() {
    cmake_library libjpeg-turbo -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DCMAKE_ASM_NASM_COMPILER=nasm
}

# On the zlib built here: its own copy would clash with it in vorn-capture.
build_freetype() {
    cmake_library freetype -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
        -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"
}

build_kissfft() {
    # Its install folders are only set on Unix.
    cmake_library kissfft -DKISSFFT_STATIC=ON -DKISSFFT_DATATYPE=float -DKISSFFT_TEST=OFF \
        -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=ON -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include
}

# write_pc NAME DESCRIPTION VERSION LIBS INCLUDE: a pkg-config file for a
# static library that has none of its own, under the prefix.
write_pc() {
    mkdir -p "$PREFIX/lib/pkgconfig"
    cat >"$PREFIX/lib/pkgconfig/$1.pc" <<PC
prefix=$PREFIX
Name: $1
Description: $2
Version: $3
Libs: -L\${prefix}/lib $4
Cflags: -I\${prefix}$5
PC
}

# Dear ImGui has no build of its own: its core goes into a static library
# with a pkg-config file, and the SDL2 backends are installed as sources
# (the program compiles them, as it does on Linux).
build_imgui() {
    src=$SOURCES/imgui
    out=$BUILD/imgui
    rm -rf "$out"
    mkdir -p "$out" "$PREFIX/include/imgui/backends" "$PREFIX/share/imgui/backends"
    for f in imgui imgui_draw imgui_tables imgui_widgets; do
        step "imgui-$f" $NICE "$TRIPLE-g++-posix" $LIB_CFLAGS -std=c++17 -I"$src" -c "$src/$f.cpp" -o "$out/$f.o"
    done
    step imgui-archive "$TRIPLE-ar" rcs "$PREFIX/lib/libimgui.a" "$out"/*.o
    cp "$src"/*.h "$PREFIX/include/imgui/"
    cp "$src"/backends/imgui_impl_sdl.h "$src"/backends/imgui_impl_sdlrenderer.h "$PREFIX/include/imgui/backends/"
    cp "$src"/backends/imgui_impl_sdl.cpp "$src"/backends/imgui_impl_sdlrenderer.cpp "$PREFIX/share/imgui/backends/"
    write_pc imgui "Dear ImGui core, static" 1.86 -limgui /include/imgui
}

# zlib and libpng only as static libraries, found under their usual names.
# (Debian's zlib source lacks the DLL's resources: the static target alone.)
build_zlib() {
    rm -rf "$BUILD/zlib"
    step zlib-configure cmake -S "$SOURCES/zlib" -B "$BUILD/zlib" -DCMAKE_TOOLCHAIN_FILE="$HERE/$TOOLCHAIN" \
        -DVORN_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release
    step zlib-build $NICE cmake --build "$BUILD/zlib" -j"$JOBS" --target zlibstatic
    mkdir -p "$PREFIX/include" "$PREFIX/lib"
    cp "$BUILD/zlib/libzlibstatic.a" "$PREFIX/lib/libz.a"
    cp "$SOURCES/zlib/zlib.h" "$BUILD/zlib/zconf.h" "$PREFIX/include/"
    write_pc zlib "zlib compression library, static" 1.2.13 -lz /include
}

build_png() {
    cmake_library libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"
}

build_cli11() {
    cmake_library cli11 -DCLI11_BUILD_TESTS=OFF -DCLI11_BUILD_EXAMPLES=OFF -DCLI11_BUILD_DOCS=OFF
}

# The licences of what ends up in the program, for the package.
collect_licences() {
    mkdir -p "$PREFIX/licences"
    for p in $PACKAGES; do
        cp "$SOURCES/$p/debian/copyright" "$PREFIX/licences/$p.txt"
    done
    cp "$SOURCES/VERSIONS" "$PREFIX/licences/VERSIONS.txt"
}

build_libraries sdl2 mpg123 jpeg zlib freetype kissfft imgui png cli11
