#!/bin/sh
# `make deb`: builds build-deb/vorn_<version>_<arch>.deb. The two programs
# are built with Debian's build flags (hardening) and installed by CMake's
# install rules (packaging/deb/install.cmake) into the package tree; the
# libraries they need come from dpkg-shlibdeps, the control file from
# dpkg-gencontrol with the template packaging/deb/control, the package from
# dpkg-deb. The maintainer is $DEBFULLNAME <$DEBEMAIL>, else the git identity.
set -e
umask 022

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=$ROOT/build-deb
JOBS=${JOBS:-2}
VERSION=$(sed -n 's/^project(vorn VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$VERSION" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

sh "$ROOT/packaging/install-deps.sh" deb
ARCH=$(dpkg --print-architecture)
DEB=$OUT/vorn_${VERSION}_$ARCH.deb
# Dates in the package (changelog, file times) are the last commit's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH

cd "$ROOT"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
cmake -S "$ROOT" -B "$OUT/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
nice cmake --build "$OUT/build" -j"$JOBS" --target vorn vorn-capture vorn_icons >"$OUT/build.log" 2>&1 ||
    { cat "$OUT/build.log"; exit 1; }

# dpkg-gencontrol's layout: debian/control and debian/changelog beside the
# package tree debian/vorn.
PKG=$OUT/package
TREE=$PKG/debian/vorn
rm -rf "$PKG"
mkdir -p "$PKG/debian"
DESTDIR=$TREE cmake --install "$OUT/build" >/dev/null
strip --remove-section=.comment --remove-section=.note "$TREE/usr/bin/vorn" "$TREE/usr/bin/vorn-capture"
find "$TREE/usr/share/man" -type f -exec gzip -9n {} +
DOC=$TREE/usr/share/doc/vorn
mkdir -p "$DOC" "$TREE/usr/share/lintian/overrides"
cp "$HERE/copyright" "$DOC/copyright"
cp "$HERE/lintian-overrides" "$TREE/usr/share/lintian/overrides/vorn"

MAINTAINER="${DEBFULLNAME:-$(git -C "$ROOT" config user.name || echo VORN)} <${DEBEMAIL:-$(git -C "$ROOT" config user.email || echo "$(id -un)@$(hostname)")}>"
sed "s|@MAINTAINER@|$MAINTAINER|" "$HERE/control" >"$PKG/debian/control"
COMMIT=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)
cat >"$PKG/debian/changelog" <<EOF
vorn ($VERSION) unstable; urgency=medium

  * Built from the project's sources, commit $COMMIT.

 -- $MAINTAINER  $(date -R -u -d "@$SOURCE_DATE_EPOCH")
EOF
gzip -9n <"$PKG/debian/changelog" >"$DOC/changelog.gz"

find "$TREE" -type d -exec chmod 755 {} +
find "$TREE" -type f -exec chmod 644 {} +
chmod 755 "$TREE/usr/bin/vorn" "$TREE/usr/bin/vorn-capture"
cd "$PKG"
mkdir debian/vorn/DEBIAN
dpkg-shlibdeps debian/vorn/usr/bin/vorn debian/vorn/usr/bin/vorn-capture
dpkg-gencontrol -pvorn -Pdebian/vorn
(cd debian/vorn && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
chmod 644 debian/vorn/DEBIAN/*
rm -f "$DEB"
dpkg-deb --root-owner-group -Zxz --build debian/vorn "$DEB" >/dev/null
echo "$DEB: $(du -k "$DEB" | cut -f1) KiB"
