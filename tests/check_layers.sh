#!/bin/sh
# The layer check on a small made-up tree: an include of a higher layer, a
# link to a higher layer's library and a program's include of another
# program's header are reported with their file and line, a tree without
# them passes. Argument: tests/tools/check_layers.py.
set -e
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
for layer in base glshader platform music render textures geometry show app; do
    mkdir "$tree/$layer"
    echo "vorn_layer($layer)" >"$tree/$layer/CMakeLists.txt"
done
printf '// a render file\n#include "render/view.h"\n#include "base/fatal.h"\n' >"$tree/render/quad.cpp"
mkdir -p "$tree/programs/one" "$tree/programs/two"
printf '#include "programs/one/a.h"\n#include "app/app.h"\n' >"$tree/programs/one/a.cpp"
printf '#include "show/show.h"\n' >"$tree/programs/two/b.cpp"
python3 "$check" "$tree" >/dev/null || { echo "FAIL: a clean tree was refused" >&2; exit 1; }

printf '#include <cmath>\n#include "show/show.h"\n' >>"$tree/render/quad.cpp"
printf 'vorn_layer(geometry vorn_textures)\ntarget_link_libraries(vorn_geometry PUBLIC vorn_app)\n' \
    >"$tree/geometry/CMakeLists.txt"
printf '#include "programs/one/a.h"\n' >>"$tree/programs/two/b.cpp"
status=0
out=$(python3 "$check" "$tree" 2>/dev/null) || status=$?
[ "$status" = 1 ] || { echo "FAIL: exit status $status for a tree with faults" >&2; exit 1; }
echo "$out" | grep -q '^render/quad.cpp:5: render includes show/show.h of the higher layer show$' ||
    { echo "FAIL: the upward include is not named: $out" >&2; exit 1; }
echo "$out" | grep -q '^geometry/CMakeLists.txt:2: geometry links vorn_app of the higher layer app$' ||
    { echo "FAIL: the upward link is not named: $out" >&2; exit 1; }
echo "$out" | grep -q '^programs/two/b.cpp:2: programs/two includes programs/one/a.h, neither a layer nor its own$' ||
    { echo "FAIL: the include of another program is not named: $out" >&2; exit 1; }
[ "$(echo "$out" | wc -l)" = 3 ] || { echo "FAIL: more faults than made: $out" >&2; exit 1; }
echo "the layer check names an upward include, an upward link and a program reaching into another"
