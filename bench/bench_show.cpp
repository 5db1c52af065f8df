// Whole show frames, headless on the software renderer: consecutive frames
// across the busiest stretch of the show (t = 8 to 13, 30 frames a second of
// show time), each finished with glFinish, at 640 x 360 and 1280 x 720; and
// the CPU work of one world-scene frame outside GL. Run from the repository
// root so that data/ is found.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "bench/bench_context.h"
#include "geometry/isosurface.h"
#include "render/post_passes.h"
#include "show/assets.h"
#include "show/camera.h"
#include "show/hits.h"
#include "show/plasma.h"
#include "show/scene_world.h"
#include "show/show_blobs.h"
#include "show/timeline.h"

// Show time of frame n of the measured stretch.
static float stretchTime(long n)
{
    const long frames = 150;  // five patterns at 30 frames a pattern
    return 8.0f + 5.0f * (float)(n % frames) / (float)frames;
}

static void BM_showFrame(benchmark::State& state)
{
    static bool assets = false;
    if (!benchContext()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Show& show = benchShow();
    static RandomState random;
    if (!assets) {
        static PrecalcLeftovers leftovers;
        precalcAssets(benchDisplay(), random, &show.assets, &leftovers, ProgressReport());
        assets = true;
    }
    benchDisplay().width = (int)state.range(0);
    benchDisplay().height = (int)state.range(1);
    FrameInputs frame;
    frame.bandLevels[0] = 1.2f;  // loud enough to shake
    frame.bandLevels[1] = 0.8f;
    frame.random = &random;

    // The particle renderer's timing lines would flood the report.
    fflush(stderr);
    int savedErr = dup(2);
    if (!freopen("/dev/null", "w", stderr))
        state.SkipWithError("cannot silence stderr");
    long n = 0;
    for (auto _ : state) {
        frame.t = stretchTime(n++);
        show_draw(show, frame);
        glFinish();
    }
    fflush(stderr);
    dup2(savedErr, 2);
    close(savedErr);
    state.counters["fps"] = benchmark::Counter((double)n, benchmark::Counter::kIsRate);
    if (glGetError() != GL_NO_ERROR)
        state.SkipWithError("GL error while drawing");
}
BENCHMARK(BM_showFrame)->Args({640, 360})->Args({1280, 720})->Iterations(150)->Unit(benchmark::kMillisecond)->UseRealTime();

// Everything a world frame computes on the CPU before drawing: camera
// presets, metaball surface, particle sizes and shake, the plasma image and
// the four warp grids' texture coordinates.
static void BM_worldSceneCpu(benchmark::State& state)
{
    static unsigned char plasma[128 * 64 * 4];
    static WorldStorage world;
    const float levels[4] = {1.2f, 0.8f, 0.0f, 0.0f};
    const float aux[3] = {0, 0, 0};
    long n = 0;
    for (auto _ : state) {
        float t = stretchTime(n++);
        CameraPreset presets[cameraPresetCount];
        cameraPresets(t, presets);
        Blob blobs[SHOW_BLOB_COUNT];
        showBlobs(t, blobs);
        isoBuild(world.surface, blobs, SHOW_BLOB_COUNT);
        float* sizes = nullptr;
        benchmark::DoNotOptimize(worldParticles(world, t, hitsReached(t), levels, &sizes));
        free(sizes);
        plasmaImage(plasma, 0.3f, 4.0f * t);
        for (int layer = 0; layer < 4; layer++)
            for (int j = 0; j <= 9; j++)
                for (int i = 0; i <= 16; i++) {
                    float v[3] = {i / 16.0f, j / 9.0f, 0.001f}, out[3];
                    warp_field(t + 1.0f + 0.25f * layer, v, aux, 1.0f, 1.0f, out);
                    benchmark::DoNotOptimize(out);
                }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_worldSceneCpu)->Unit(benchmark::kMicrosecond);
