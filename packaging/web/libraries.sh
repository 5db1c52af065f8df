#!/bin/sh
# Cross-builds the libraries of the web build from Debian's source packages
# with Debian's emscripten, once per recipe, and prints the folder they are
# installed in (CACHE/<recipe hash>/wasm32). The recipe is this script, the
# steps it shares with the Windows recipe (../library_recipe.sh), the
# toolchain file and env.sh; any change to them gives a new hash and a fresh
# build. The cache lives outside the repository: $VORN_WEB_CACHE, else
# ~/.cache/vorn-web. Progress goes to standard error, each step's output to
# a log beside it. An interrupted build resumes with the library it stopped in.
#
# All are static: SDL2 (video, events, audio on Web Audio; no threads),
# libmpg123 (generic C decoder), libjpeg-turbo (no SIMD), FreeType (no
# compression add-ons), kissfft, Dear ImGui's core (its SDL2 backends are
# installed as sources) and the tessellator of libGLU.
set -e

HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/env.sh"
HASH=$(cat "$HERE/libraries.sh" "$HERE/../library_recipe.sh" "$HERE/toolchain.cmake" "$HERE/env.sh" | sha256sum | cut -c1-16)
CACHE=${VORN_WEB_CACHE:-$HOME/.cache/vorn-web}/$HASH
PREFIX=$CACHE/wasm32
SOURCES=$CACHE/src
BUILD=$CACHE/build
JOBS=${JOBS:-2}
NICE="nice -n 10"
LIB_CFLAGS="-O2"
RECIPE="web libraries"
TOOLCHAIN_FILE=$HERE/toolchain.cmake PREFIX_DEFINE=VORN_WEB_PREFIX
# pkg-config sees only the cross-built libraries, never the build machine's.
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH=

# The source packages (Debian names).
PACKAGES="libsdl2 mpg123 libjpeg-turbo freetype kissfft imgui libglu"

if [ -f "$PREFIX/.done" ]; then
    echo "$PREFIX"
    exit 0
fi

. "$HERE/../library_recipe.sh"

# SDL2 without its configure step (a quarter of an hour of compiler probes
# under emscripten): SDL's own settings for emscripten
# (include/SDL_config_emscripten.h: video and events on the page's canvas,
# audio on Web Audio, GLES2 for SDL_Renderer, no threads), its core and the
# backends those settings name.
SDL_BACKENDS="audio/emscripten audio/dummy audio/disk video/emscripten video/dummy video/yuv2rgb
render/opengles2 render/software joystick/emscripten sensor/dummy power/emscripten filesystem/emscripten
timer/unix thread/generic loadso/dlopen locale/emscripten misc/emscripten"
# compile_each OUT FILE...: compiles each of SDL's C files (paths relative
# to its src/) to OUT/<path, slashes as underscores>.o, JOBS at a time.
compile_each() {
    out=$1
    shift
    printf '%s\n' "$@" | $NICE xargs -P"$JOBS" -I{} \
        sh -c 'emcc -O2 -DNDEBUG -I../include -c "$1" -o "$2/$(echo "$1" | tr / _).o"' sh {} "$out"
}

build_sdl2() {
    out=$BUILD/sdl2
    rm -rf "$out"
    mkdir -p "$out" "$PREFIX/include/SDL2" "$PREFIX/lib"
    cd "$SOURCES/libsdl2/src"
    sources=$(ls *.c */*.c | grep -v '^test/')
    for d in $SDL_BACKENDS; do
        sources="$sources $(ls "$d"/*.c)"
    done
    step sdl2-compile compile_each "$out" $sources
    step sdl2-archive emar rcs "$PREFIX/lib/libSDL2.a" "$out"/*.o
    cp ../include/*.h "$PREFIX/include/SDL2/"
    write_pc sdl2 "Simple DirectMedia Layer, static" 2.26.5 -lSDL2 /include/SDL2
    cd - >/dev/null
}

# Only the decoder library, with its portable C synthesis.
build_mpg123() {
    rm -rf "$BUILD/mpg123"
    mkdir -p "$BUILD/mpg123"
    cd "$BUILD/mpg123"
    step mpg123-configure emconfigure "$SOURCES/mpg123/configure" --host=i686-pc-linux-gnu \
        --with-cpu=generic_fpu --prefix="$PREFIX" --enable-static --disable-shared \
        --disable-modules --with-audio=dummy --enable-network=no \
        CFLAGS="$LIB_CFLAGS"
    step mpg123-build $NICE emmake make -j"$JOBS" src/libmpg123/libmpg123.la
    step mpg123-install make install-libLTLIBRARIES install-nodist_includeHEADERS \
        install-includeHEADERS install-pkgconfigDATA lib_LTLIBRARIES=src/libmpg123/libmpg123.la \
        nodist_include_HEADERS=src/libmpg123/mpg123.h pkgconfig_DATA=libmpg123.pc
    cd - >/dev/null
}

build_jpeg() {
    cmake_library libjpeg-turbo -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_SIMD=OFF
}

build_freetype() {
    cmake_library freetype -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

build_kissfft() {
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
# with a pkg-config file (without its assertions: a page must not stop on
# one), and the SDL2 backends are installed as sources
# (the program compiles them, as it does on Linux).
build_imgui() {
    src=$SOURCES/imgui
    out=$BUILD/imgui
    rm -rf "$out"
    mkdir -p "$out" "$PREFIX/include/imgui/backends" "$PREFIX/share/imgui/backends"
    for f in imgui imgui_draw imgui_tables imgui_widgets; do
        step "imgui-$f" $NICE em++ $LIB_CFLAGS -DNDEBUG -std=c++17 -I"$src" -c "$src/$f.cpp" -o "$out/$f.o"
    done
    step imgui-archive emar rcs "$PREFIX/lib/libimgui.a" "$out"/*.o
    cp "$src"/*.h "$PREFIX/include/imgui/"
    cp "$src"/backends/imgui_impl_sdl.h "$src"/backends/imgui_impl_sdlrenderer.h "$PREFIX/include/imgui/backends/"
    cp "$src"/backends/imgui_impl_sdl.cpp "$src"/backends/imgui_impl_sdlrenderer.cpp "$PREFIX/share/imgui/backends/"
    write_pc imgui "Dear ImGui core, static" 1.86 -limgui /include/imgui
}

# libGLU: the polygon tessellator alone (the outline font's only use of it);
# the shader backend has its own matrices and mipmaps.
build_glu() {
    src=$SOURCES/libglu
    out=$BUILD/glu
    rm -rf "$out"
    mkdir -p "$out" "$PREFIX/include/GL"
    # (priorityq.c includes priorityq-heap.c.)
    for f in dict geom memalloc mesh normal priorityq render sweep tess tessmono; do
        step "glu-$f" $NICE emcc $LIB_CFLAGS -DNDEBUG -I"$src/include" -I"$src/src/include" \
            -c "$src/src/libtess/$f.c" -o "$out/$f.o"
    done
    step glu-archive emar rcs "$PREFIX/lib/libGLU.a" "$out"/*.o
    cp "$src/include/GL/glu.h" "$PREFIX/include/GL/"
    write_pc glu "SGI's polygon tessellator from libGLU, static" 9.0.2 -lGLU /include
}

# The licences of what ends up in the program, for the page's folder.
collect_licences() {
    mkdir -p "$PREFIX/licences"
    for p in $PACKAGES; do
        [ "$p" = libglu ] || cp "$SOURCES/$p/debian/copyright" "$PREFIX/licences/$p.txt"
    done
    # libglu comes without its Debian files: the licence heading its sources.
    sed -n '/SGI FREE SOFTWARE LICENSE B/,/^ \*\//p' "$SOURCES/libglu/src/libtess/tess.c" |
        sed -e 's/^ \* \{0,1\}//' -e '$d' >"$PREFIX/licences/libglu.txt"
    cp "$SOURCES/VERSIONS" "$PREFIX/licences/VERSIONS.txt"
}

build_libraries sdl2 mpg123 jpeg freetype kissfft imgui glu
