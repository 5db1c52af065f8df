// Isosurface build time on the world scene's blob sets and on a larger
// surface.
#include "geometry/isosurface.h"
#include "show/show_blobs.h"

#include <benchmark/benchmark.h>

static void isoBuildShow(benchmark::State& state)
{
    float t = (float)state.range(0) / 10.0f;
    Blob blobs[SHOW_BLOB_COUNT];
    showBlobs(t, blobs);
    static IsoSurface surface;
    for (auto _ : state) {
        isoBuild(surface, blobs, SHOW_BLOB_COUNT);
        benchmark::DoNotOptimize(surface.vertCount);
    }
    state.counters["verts"] = surface.vertCount;
    state.counters["tris"] = surface.triCount;
}
// Show time in tenths of a pattern.
BENCHMARK(isoBuildShow)->Arg(30)->Arg(80)->Arg(120)->Arg(145)->Unit(benchmark::kMicrosecond);

// A larger surface: a lone blob of radius 20 (about 5400 triangles).
static void isoBuildLoneBlob(benchmark::State& state)
{
    const Blob blob{0.3f, -0.2f, 0.1f, 20.0f, 0, 0};
    static IsoSurface surface;
    for (auto _ : state) {
        isoBuild(surface, &blob, 1);
        benchmark::DoNotOptimize(surface.vertCount);
    }
    state.counters["verts"] = surface.vertCount;
    state.counters["tris"] = surface.triCount;
}
BENCHMARK(isoBuildLoneBlob)->Unit(benchmark::kMicrosecond);
