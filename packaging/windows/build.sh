#!/bin/sh
# `make windows`: cross-builds the demo for 64-bit and 32-bit Windows and
# packs build-windows/vorn-<version>-win64.zip and vorn-<version>-win32.zip.
# Each zip holds one folder of the same name: the demo and vorn-capture, the
# DLLs they need, data/, the fallback font, the licences and README.txt
# (which names the version). The libraries come from libraries.sh (cached).
# Arguments: the architectures to build, default "win64 win32".
set -e

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=$ROOT/build-windows
JOBS=${JOBS:-2}
ARCHES=${*:-win64 win32}
VERSION=$(sed -n 's/^project(vorn VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt")

# Windows' own DLLs (present on every Windows 10 and 11); any other DLL the
# program or its DLLs import must be in the package.
SYSTEM_DLLS="advapi32 cfgmgr32 gdi32 glu32 imm32 kernel32 msvcrt ole32 oleaut32 opengl32 setupapi
shell32 shlwapi user32 version winmm"

# check_imports FOLDER TRIPLE: every .exe and .dll in FOLDER imports only
# Windows' own DLLs and DLLs in FOLDER.
check_imports() {
    for file in "$1"/*.exe "$1"/*.dll; do
        for dll in $("$2-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
            lower=$(echo "$dll" | tr 'A-Z' 'a-z')
            case " $(echo $SYSTEM_DLLS) " in *" ${lower%.dll} "*) continue ;; esac
            case "$lower" in api-ms-win-*) continue ;; esac
            [ -f "$1/$dll" ] && continue
            echo "$(basename "$file") needs $dll, which is neither Windows' own nor packed" >&2
            return 1
        done
    done
}

# pack ARCH TRIPLE BUILD PREFIX: the package folder and its zip.
pack() {
    name=vorn-$VERSION-$1
    stage=$OUT/$name
    rm -rf "$OUT"/vorn-*-"$1" "$OUT"/vorn-*-"$1".zip
    mkdir -p "$stage/fonts" "$stage/licences"
    cp "$3/vorn.exe" "$3/vorn-capture.exe" "$stage/"
    cp "$4/bin/SDL2.dll" "$4"/bin/libmpg123-*.dll "$stage/"
    "$2-strip" "$stage"/*.exe "$stage"/*.dll
    cp -r "$ROOT/data" "$stage/data"
    cp /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf \
        /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$stage/fonts/"
    cp /usr/share/doc/fonts-liberation/copyright "$stage/fonts/LICENCE.txt"
    cp /usr/share/common-licenses/GPL-2 "$stage/fonts/GPL-2.txt"
    cp "$4"/licences/* "$stage/licences/"
    cp /usr/share/common-licenses/LGPL-2.1 "$stage/licences/LGPL-2.1.txt"
    sed -e "s/@VERSION@/$VERSION/g" -e 's/$/\r/' "$HERE/README.txt" >"$stage/README.txt"
    check_imports "$stage" "$2"
    (cd "$OUT" && zip -qr -X "$name.zip" "$name")
    echo "$OUT/$name.zip: $(du -k "$OUT/$name.zip" | cut -f1) KiB"
}

sh "$ROOT/packaging/install-deps.sh" windows
mkdir -p "$OUT"
for arch in $ARCHES; do
    case $arch in
    win64) triple=x86_64-w64-mingw32 toolchain=toolchain-x86_64.cmake ;;
    win32) triple=i686-w64-mingw32 toolchain=toolchain-i686.cmake ;;
    *) echo "unknown architecture $arch (win64, win32)" >&2; exit 2 ;;
    esac
    prefix=$(sh "$HERE/libraries.sh" $triple)
    build=$OUT/build-$arch
    # pkg-config's findings stay in CMake's cache: new libraries, new build.
    [ "$(cat "$build/libraries" 2>/dev/null)" = "$prefix" ] || rm -rf "$build"
    mkdir -p "$build"
    echo "$prefix" >"$build/libraries"
    cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$HERE/$toolchain" \
        -DVORN_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
    nice -n 10 cmake --build "$build" -j"$JOBS" --target vorn vorn-capture
    pack $arch $triple "$build" "$prefix"
done
