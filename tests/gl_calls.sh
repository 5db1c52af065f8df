#!/bin/sh
# Every OpenGL and GLU call of the program goes through the dispatch table
# of platform/gl_api.h, so that the shader backend receives all of them: apart
# from the table's own file and the backend (which calls OpenGL ES), no
# object may call a function of libGL or libGLU directly. The GLU
# tessellator only computes and calls back through the table, so it is
# called directly. Arguments: the object files to check.
exports=$(mktemp)
trap 'rm -f "$exports"' EXIT
for library in libGL.so libGLU.so; do
    nm -D --defined-only "$(cc -print-file-name=$library)" | awk '{print $3}'
done | grep -E '^glu?[A-Z]' | grep -v -E '^glu(NewTess|DeleteTess|Tess)' | sort -u >"$exports"
[ -s "$exports" ] || { echo "FAIL: no libGL or libGLU to read the entry points from" >&2; exit 1; }

status=0
for object in "$@"; do
    case "$object" in
    */platform/gl_api.cpp.o | */glshader/*) continue ;;
    esac
    calls=$(nm -u "$object" | awk '{print $2}' | sort -u | comm -12 - "$exports")
    if [ -n "$calls" ]; then
        echo "FAIL: $object calls around the dispatch table:" $calls >&2
        status=1
    fi
done
[ $status = 0 ] && echo "$# objects call OpenGL only through the dispatch table"
exit $status
