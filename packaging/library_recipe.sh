# The steps the cross-built library recipes share (sourced by
# packaging/web/libraries.sh and packaging/windows/libraries.sh, and part of
# each one's recipe hash): fetching and unpacking Debian's source packages,
# running a step with its output in a log, building a CMake project, and
# building the recipe's libraries in turn.
#
# The recipe sets, before sourcing: RECIPE (its name in messages), PACKAGES
# (Debian source package names), SOURCES, BUILD and PREFIX (folders),
# TOOLCHAIN_FILE and PREFIX_DEFINE (the toolchain file and the cache
# variable that tells it PREFIX), JOBS and NICE.

say() { echo "$RECIPE: $*" >&2; }

# step NAME COMMAND...: runs a step with its output in a log; on failure
# shows the log's end.
step() {
    step_log=$BUILD/$1.log
    shift
    mkdir -p "$BUILD"
    if ! "$@" >"$step_log" 2>&1; then
        tail -n 40 "$step_log" >&2
        echo "$RECIPE: a step failed, log: $step_log" >&2
        exit 1
    fi
}

# apt-get source needs a deb-src entry for the Debian mirror in use: one is
# added beside each deb entry of the system's Debian sources, once.
enable_sources() {
    if apt-cache showsrc libsdl2 2>/dev/null | grep -q '^Package:'; then
        return 0
    fi
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    list=/etc/apt/sources.list.d/vorn-src
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee $list.sources >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee $list.list >/dev/null
    fi
    $SUDO apt-get update -qq
}

# Downloads and unpacks every source package once, each into SOURCES/<name>.
# The mirror lacks the signature of mpg123's upstream tarball and libglu's
# Debian diff, so apt-get stops short of unpacking them: mpg123 is unpacked
# by hand with Debian's patches, libglu from its upstream tarball alone.
fetch_sources() {
    [ -f "$SOURCES/.done" ] && return 0
    enable_sources
    rm -rf "$SOURCES"
    mkdir -p "$SOURCES"
    cd "$SOURCES"
    for p in $PACKAGES; do
        # The newest version first; an older one where the mirror lacks it.
        for version in "" $(apt-cache showsrc "$p" | sed -n 's/^Version: //p'); do
            rm -f "${p}"_*
            apt-get source --download-only "$p${version:+=$version}" >"$p.fetch.log" 2>&1 || true
            ls "${p}"_*.dsc "${p}"_*.orig.tar.* >/dev/null 2>&1 && break
        done
        ls "${p}"_*.orig.tar.* >/dev/null 2>&1 || { cat "$p.fetch.log" >&2; exit 1; }
    done
    for dsc in *.dsc; do
        case "$dsc" in
        mpg123_* | libglu_*) ;;
        *) dpkg-source -x "$dsc" >/dev/null 2>&1 || { echo "cannot unpack $dsc" >&2; exit 1; } ;;
        esac
    done
    tar xjf mpg123_*.orig.tar.bz2
    dir=$(ls -d mpg123-*/ | head -n 1)
    tar xJf mpg123_*.debian.tar.xz -C "$dir"
    for patch in $(cat "$dir/debian/patches/series"); do
        patch -d "$dir" -p1 -s <"$dir/debian/patches/$patch"
    done
    if [ -n "$(ls libglu_*.orig.tar.gz 2>/dev/null)" ]; then
        tar xzf libglu_*.orig.tar.gz
        mv "$(ls -d glu-*/ | head -n 1)" libglu
    fi
    for p in $PACKAGES; do
        [ -d "$p" ] || mv "$(ls -d "$p"-*/ | head -n 1)" "$p"
    done
    # Versions as Debian names them, for the record.
    for dsc in *.dsc; do
        sed -n 's/^Version: //p' "$dsc" | sed "s/^/${dsc%%_*} /"
    done >VERSIONS
    touch .done
    cd - >/dev/null
}

# cmake_library NAME OPTION...: configures, builds and installs the CMake
# project of SOURCES/NAME into PREFIX with the recipe's toolchain.
cmake_library() {
    name=$1
    shift
    rm -rf "$BUILD/$name"
    step "$name-configure" cmake -S "$SOURCES/$name" -B "$BUILD/$name" \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" -D"$PREFIX_DEFINE"="$PREFIX" \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release "$@"
    step "$name-build" $NICE cmake --build "$BUILD/$name" -j"$JOBS"
    step "$name-install" cmake --install "$BUILD/$name"
}

# build_libraries LIB...: fetches the sources, runs build_LIB for each
# library not built yet (an interrupted build resumes with the one it
# stopped in), then the recipe's collect_licences, and prints PREFIX.
build_libraries() {
    say "fetching sources"
    fetch_sources
    mkdir -p "$PREFIX"
    for lib in "$@"; do
        [ -f "$PREFIX/.built-$lib" ] && continue
        say "building $lib"
        start=$(date +%s)
        build_$lib
        say "$lib built in $(($(date +%s) - start)) s"
        touch "$PREFIX/.built-$lib"
    done
    collect_licences
    rm -rf "$BUILD"
    touch "$PREFIX/.done"
    echo "$PREFIX"
}
