// Particle costs: the radix sort against std::sort on the same keys, and the
// CPU sprite expansion of one frame's worth of particles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "geometry/particles.h"
#include "geometry/radix_sort.h"
#include "textures/texture.h"

// Depth keys like the scene's: mostly in front of the eye, some behind.
static std::vector<SortKey> benchKeys(int n)
{
    std::mt19937 generator(12345);
    std::uniform_real_distribution<float> distribution(-1.0f, 4.0f);
    std::vector<SortKey> keys(n);
    for (int i = 0; i < n; i++)
        keys[i] = {distribution(generator), i};
    return keys;
}

static void BM_radixSort(benchmark::State& state)
{
    int n = (int)state.range(0);
    std::vector<SortKey> keys = benchKeys(n);
    std::vector<SortKey> work(n), scratch(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), keys.data(), (size_t)n * sizeof(SortKey));
        state.ResumeTiming();
        radixSort(work.data(), scratch.data(), n);
        benchmark::DoNotOptimize(work[0]);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_radixSort)->Arg(100000)->Unit(benchmark::kMicrosecond);

static void BM_stdSort(benchmark::State& state)
{
    int n = (int)state.range(0);
    std::vector<SortKey> keys = benchKeys(n);
    std::vector<SortKey> work(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), keys.data(), (size_t)n * sizeof(SortKey));
        state.ResumeTiming();
        std::sort(work.begin(), work.end(), [](const SortKey& a, const SortKey& b) { return a.key < b.key; });
        benchmark::DoNotOptimize(work[0]);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_stdSort)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The "wtf" work of drawParticleBatch for n particles (all in one call).
static void BM_wtfSpriteExpansion(benchmark::State& state)
{
    int n = (int)state.range(0);
    std::mt19937 generator(777);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<float> positions(3 * n), sizes(n), keys(n);
    std::vector<int> indices(n);
    std::vector<uint8_t> frames(n);
    for (int i = 0; i < n; i++) {
        for (int k = 0; k < 3; k++)
            positions[3 * i + k] = 5.0f * unit(generator);
        sizes[i] = 0.25f + 0.1f * unit(generator);
        keys[i] = 1.0f + 0.5f * unit(generator);
        indices[i] = (int)(generator() % (unsigned)n);
        frames[i] = (uint8_t)(generator() & 1);
    }
    std::vector<float> corners(12 * n), tex0(8 * n), tex1(8 * n), colours(16 * n), offset(n), width(n), size(n);
    SpriteArrays out = {corners.data(), tex0.data(), tex1.data(), colours.data(), offset.data(), width.data(),
                        size.data()};
    const ParticleSet particles = {positions.data(), sizes.data(), frames.data(), n};
    const ParticleBatch batch = {indices.data(), keys.data(), n, {0.8f, 0.0f, -0.6f}, {0.0f, 1.0f, 0.0f}};
    Texture atlas{};
    atlas.frameLayout = 2;
    const ParticleLook look = {&atlas, 0.03f, 1.5f, 1.0f, 0};
    for (auto _ : state) {
        expandParticleSprites(particles, batch, look, out);
        benchmark::DoNotOptimize(corners.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_wtfSpriteExpansion)->Arg(10000)->Unit(benchmark::kMicrosecond);
