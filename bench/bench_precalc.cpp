// Start-up costs: the whole asset pre-calculation and its main parts (the
// blur atlas, its CPU blur alone, mipmap chains, JPEG decoding). Run from
// the repository root so that data/ is found.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>

#include "app/loading_bar.h"
#include "base/fatal.h"
#include "bench/bench_context.h"
#include "show/assets.h"
#include "textures/blur_atlas.h"
#include "textures/image_texture.h"
#include "textures/jpeg.h"

static void needContext()
{
    if (!benchContext())
        fatalError("no GL context for the benchmarks");
}

static void deleteTexture(Texture* texture)
{
    glDeleteTextures(1, &texture->name);
    delete texture;
}

// Drops what one pre-calculation made so that GL memory stays flat.
static void releaseAssets(const ShowAssets& a, const PrecalcLeftovers& leftovers)
{
    for (Texture* texture : {a.bubbleAtlas, a.plasmaTexture, a.grainTexture, a.backdropTexture, a.maskTexture,
                             a.logoTexture, a.textTextures[0], a.textTextures[1], a.textTextures[2], a.screenTexture})
        deleteTexture(texture);
    for (int i = 0; i < a.blurChain->count; i++)
        glDeleteTextures(1, &a.blurChain->levels[i].name);
    delete a.blurChain;
    glDeleteLists(leftovers.boxMesh->list, 1);
    glDeleteLists(leftovers.tubeMesh->list, 1);
    glFinish();
}

// The loading bar draws, as at start-up.
static void barStep(void* bar)
{
    drawLoadingBar((LoadingBar*)bar, benchDisplay());
}

static void BM_precalcAssets(benchmark::State& state)
{
    needContext();
    static ShowAssets assets;
    static PrecalcLeftovers leftovers;
    LoadingBar bar;
    for (auto _ : state) {
        RandomState random;
        precalcAssets(benchDisplay(), random, &assets, &leftovers, ProgressReport{barStep, &bar});
        glFinish();
        state.PauseTiming();
        releaseAssets(assets, leftovers);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_precalcAssets)->Unit(benchmark::kMillisecond);

static void BM_blurAtlasTexture(benchmark::State& state)
{
    needContext();
    for (auto _ : state) {
        Texture* atlas = makeBlurAtlas("data/bubble.jpg", nullptr, alphaFromGreyDistance, "data/bubble2.jpg", nullptr,
                                       alphaFromGreyDistance, 0, ProgressReport());
        glFinish();
        state.PauseTiming();
        deleteTexture(atlas);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_blurAtlasTexture)->Unit(benchmark::kMillisecond);

// The defocused levels of one image half, without decoding or upload.
static void BM_blurAtlasLevels(benchmark::State& state)
{
    int w, h;
    uint8_t* rgb = loadJpeg("data/bubble.jpg", &w, &h);
    std::vector<uint8_t> source((size_t)w * h * 4), work(source.size()), atlas((size_t)w * h * 32);
    fillAtlasSource(source.data(), rgb, nullptr, alphaFromGreyDistance, w, h);
    std::free(rgb);
    for (auto _ : state) {
        std::memcpy(work.data(), source.data(), source.size());
        writeAtlasHalf(atlas.data(), work.data(), w, h, 0);
        benchmark::DoNotOptimize(atlas.data());
    }
    state.SetLabel(std::to_string(w) + " x " + std::to_string(h));
}
BENCHMARK(BM_blurAtlasLevels)->Unit(benchmark::kMillisecond);

// The filtered mipmap chain of a texture of the given size.
static void BM_mipmapChain(benchmark::State& state)
{
    needContext();
    int w = (int)state.range(0), h = (int)state.range(1);
    std::vector<uint8_t> texels((size_t)w * h * 4), work(texels.size());
    for (size_t i = 0; i < texels.size(); i++)
        texels[i] = (uint8_t)(i * 37 % 251);
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (auto _ : state) {
        std::memcpy(work.data(), texels.data(), texels.size());
        uploadTexture(w, h, work.data());
        glFinish();
    }
    glDeleteTextures(1, &name);
}
BENCHMARK(BM_mipmapChain)->Args({512, 256})->Args({256, 256})->Unit(benchmark::kMillisecond);

static void BM_decodeJpeg(benchmark::State& state, const char* name)
{
    for (auto _ : state) {
        int w, h;
        uint8_t* rgb = loadJpeg(name, &w, &h);
        benchmark::DoNotOptimize(rgb);
        std::free(rgb);
    }
}
BENCHMARK_CAPTURE(BM_decodeJpeg, backdrop, "data/ttest2.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_decodeJpeg, text, "data/text1.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_decodeJpeg, bubble, "data/bubble.jpg")->Unit(benchmark::kMillisecond);
