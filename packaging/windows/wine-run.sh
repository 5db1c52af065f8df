#!/bin/sh
# Runs $VORN_EXE under $WINE (wine64), arguments passed on; for the tests.
exec "${WINE:-/usr/lib/wine/wine64}" "$VORN_EXE" "$@"
