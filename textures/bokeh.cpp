// Pentagon-aperture defocus blur. A direct 2D convolution in linear light:
// each source channel is unpacked once into float planes, and every
// non-zero kernel tap adds a shifted, weighted source row to the output row.
#include "textures/bokeh.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "textures/texture.h"

BokehKernel makeBokehKernel(float f, int w)
{
    static const float angles[5] = {2.5f, 3.76f, 5.02f, 6.28f, 7.54f};
    BokehKernel kernel;
    kernel.r = (float)w * f;
    kernel.R = (int)kernel.r;
    kernel.side = 2 * kernel.R + 4;
    int n = kernel.side;
    kernel.weights = (float*)std::malloc(sizeof(float) * n * n);
    float sum = 0.0f;
    for (int j = 0; j < n; j++) {
        for (int i = 0; i < n; i++) {
            float x = (float)(i - kernel.R - 2) + 0.23f;
            float y = (float)(j - kernel.R - 2) + 0.17f;
            float D = -INFINITY;
            for (float a : angles) {
                float p = std::sin(a) * x + std::cos(a) * y;
                if (p > D)
                    D = p;
            }
            float d = 1.1f * D;
            float e = 2.0f * (kernel.r - d);
            e = e < 0.0f ? 0.0f : e > 1.0f ? 1.0f : e;
            float k = e * (3.0f * d + kernel.r);
            kernel.weights[j * n + i] = k;
            sum += k;
        }
    }
    // An aperture too small to cover any tap leaves every weight 0.
    if (sum > 0.0f)
        for (int t = 0; t < n * n; t++)
            kernel.weights[t] /= sum;
    return kernel;
}

void bokehBlur(const uint8_t* src, uint8_t* dst, float f, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    BokehKernel kernel = makeBokehKernel(f, w);
    int n = kernel.side;
    int shift = kernel.R + 2;
    if (std::all_of(kernel.weights, kernel.weights + n * n, [](float k) { return k == 0.0f; })) {
        // No aperture at all: the image stays as it is.
        std::memcpy(dst, src, (size_t)w * h * 4);
        std::free(kernel.weights);
        return;
    }

    // Non-zero taps of each kernel row, rightmost first: for every output
    // texel the sums then run in the order of a left-to-right scatter of
    // source texels over the kernel row, so results do not depend on the
    // skipping.
    int* tapColumn = (int*)std::malloc(sizeof(int) * n * n);
    float* tapWeight = (float*)std::malloc(sizeof(float) * n * n);
    int* tapCount = (int*)std::malloc(sizeof(int) * n);
    for (int j = 0; j < n; j++) {
        int count = 0;
        for (int i = n - 1; i >= 0; i--) {
            float k = kernel.weights[j * n + i];
            if (k != 0.0f) {
                tapColumn[j * n + count] = i;
                tapWeight[j * n + count] = k;
                count++;
            }
        }
        tapCount[j] = count;
    }

    size_t planeSize = (size_t)w * h;
    float* plane = (float*)std::malloc(sizeof(float) * planeSize);
    int accumulatorLength = w + n;
    float* accumulator = (float*)std::malloc(sizeof(float) * accumulatorLength);
    for (int c = 0; c < 4; c++) {
        bool colour = c <= 2;
        for (int y = 0; y < h; y++)
            unpackChannel(plane + (size_t)y * w, src + (size_t)y * w * 4 + c, 4, w, colour, colour);
        for (int y = 0; y < h; y++) {
            std::memset(accumulator, 0, sizeof(float) * accumulatorLength);
            for (int j = 0; j < n; j++) {
                int sy = y + j - shift;
                if (sy < 0 || sy >= h)
                    continue;
                const float* row = plane + (size_t)sy * w;
                for (int t = 0; t < tapCount[j]; t++) {
                    float k = tapWeight[j * n + t];
                    float* out = accumulator + tapColumn[j * n + t];
                    for (int x = 0; x < w; x++)
                        out[x] += row[x] * k;
                }
            }
            uint8_t* outRow = dst + (size_t)y * w * 4 + c;
            const float* value = accumulator + shift;
            for (int x = 0; x < w; x++) {
                float v = value[x];
                float scaled = v > 0.0f ? (colour ? std::sqrt(v) : v) * 255.9f : 0.0f;
                outRow[4 * x] = scaled >= 255.0f ? 255 : (uint8_t)(int)scaled;
            }
        }
    }
    std::free(accumulator);
    std::free(plane);
    std::free(tapCount);
    std::free(tapWeight);
    std::free(tapColumn);
    std::free(kernel.weights);
}
