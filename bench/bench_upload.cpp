// Start-up cost of the mipmapped texture upload for the sizes the asset
// pre-calculation makes (grain 256 x 256, blur atlas, JPEG textures).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>

#include "bench/bench_context.h"
#include "textures/texture.h"

static void BM_uploadTexture(benchmark::State& state)
{
    if (!benchContext()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    int w = (int)state.range(0), h = (int)state.range(1);
    std::vector<uint8_t> image((size_t)w * h * 4);
    uint32_t x = 1;
    for (auto& byte : image) {
        x = x * 69069u + 1u;
        byte = (uint8_t)(x >> 24);
    }
    std::vector<uint8_t> pixels(image.size());
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(pixels.data(), image.data(), image.size());
        state.ResumeTiming();
        uploadTexture(w, h, pixels.data());
    }
    glFinish();
    glDeleteTextures(1, &name);
    state.SetItemsProcessed(state.iterations() * (int64_t)w * h);
}
BENCHMARK(BM_uploadTexture)->Args({256, 256})->Args({512, 256})->Args({1024, 512})->Unit(benchmark::kMillisecond);

// The GL side alone: the same levels handed to glTexImage2D without the
// filtering, to show what part of the upload the reduction takes.
static void BM_uploadTextureGlOnly(benchmark::State& state)
{
    if (!benchContext()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    int w = (int)state.range(0), h = (int)state.range(1);
    std::vector<uint8_t> pixels((size_t)w * h * 4, 128);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (auto _ : state) {
        int lw = w, lh = h, level = 0;
        glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA8, lw, lh, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        do {
            lw = lw > 1 ? lw / 2 : lw;
            lh = lh > 1 ? lh / 2 : lh;
            glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA8, lw, lh, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        } while (lw > 1 || lh > 1);
    }
    glFinish();
    glDeleteTextures(1, &name);
    state.SetItemsProcessed(state.iterations() * (int64_t)w * h);
}
BENCHMARK(BM_uploadTextureGlOnly)->Args({256, 256})->Args({1024, 512})->Unit(benchmark::kMillisecond);
