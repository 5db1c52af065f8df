// Texture upload with a gamma-aware windowed-sinc mipmap chain, and the
// byte-to-float channel conversion it shares with the blur.
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/temp_pool.h"
#include "textures/texture.h"

void mipmapKernel(float taps[16])
{
    for (int i = 0; i < 16; i++) {
        float d = (float)i - 7.5f;
        float x = d * 1.4279921054840088f;
        float ax = std::fabs(x);
        float sinc = ax < 0.0001f ? 1.0f : std::sin(ax) / ax;
        float y = d * 0.19634891584936207f;
        float window = std::cos(y);
        taps[i] = sinc * window * window;
    }
    float sum = 0.0f;
    for (int i = 0; i < 16; i++)
        sum += taps[i];
    for (int i = 0; i < 16; i++)
        taps[i] /= sum;
}

static float unpackValue(int byte, bool square, bool boost)
{
    float v = (float)byte * (1.0f / 255.0f);
    if (boost && v > 0.85f)
        v = v + (v - 0.85f) * (v - 0.85f) * 20.0f;
    return square ? v * v : v;
}

// Every byte value converted once for each of the four modes; the table
// entries are exactly the values unpackValue gives.
struct UnpackTables {
    float values[4][256];
    UnpackTables()
    {
        for (int mode = 0; mode < 4; mode++)
            for (int byte = 0; byte < 256; byte++)
                values[mode][byte] = unpackValue(byte, mode & 1, mode & 2);
    }
};

static const float* unpackTable(bool square, bool boost)
{
    static const UnpackTables tables;
    return tables.values[(square ? 1 : 0) | (boost ? 2 : 0)];
}

void unpackChannel(float* destination, const uint8_t* source, int stride, int count, bool square, bool boost)
{
    const float* table = unpackTable(square, boost);
    for (int i = 0; i < count; i++)
        destination[i] = table[source[(size_t)i * stride]];
}

static const float* reductionKernel()
{
    struct Kernel {
        float taps[16];
        Kernel() { mipmapKernel(taps); }
    };
    static const Kernel kernel;
    return kernel.taps;
}

// Lane c of count RGBA texels to floats: byte / 255, squared for colour.
// The same float operations as unpackChannel, written over whole texels so
// that the loop vectorises.
static void unpackLane(float* destination, const uint8_t* pixels, size_t count, int c)
{
    unsigned shift = 8u * (unsigned)c;
    if (c <= 2) {
        for (size_t i = 0; i < count; i++) {
            uint32_t texel;
            std::memcpy(&texel, pixels + i * 4, 4);
            float v = (float)(int)((texel >> shift) & 255u) * (1.0f / 255.0f);
            destination[i] = v * v;
        }
    } else {
        for (size_t i = 0; i < count; i++) {
            uint32_t texel;
            std::memcpy(&texel, pixels + i * 4, 4);
            destination[i] = (float)(int)((texel >> shift) & 255u) * (1.0f / 255.0f);
        }
    }
}

// Floats back to lane c: colour trunc(sqrt(v) x 255.9), alpha
// trunc(v x 255.9), clamped to 0..255; zero and negative values give 0.
// Clamping before the truncation gives the same bytes as clamping after.
static inline uint8_t packValue(float v, bool colour)
{
    v = v > 0.0f ? v : 0.0f;
    float scaled = (colour ? std::sqrt(v) : v) * 255.9f;
    return (uint8_t)(int)(scaled < 255.0f ? scaled : 255.0f);
}

static void packLane(uint8_t* pixels, const float* source, size_t count, int c)
{
    bool colour = c <= 2;
    uint8_t* lane = pixels + c;
    size_t i = 0;
#if defined(__SSE2__)
    // Four values at a time; sqrtps and cvttps2dq round and truncate
    // exactly like their scalar forms.
    const __m128 zero = _mm_setzero_ps(), scale = _mm_set1_ps(255.9f), top = _mm_set1_ps(255.0f);
    for (; i + 4 <= count; i += 4) {
        __m128 v = _mm_max_ps(_mm_loadu_ps(source + i), zero);
        if (colour)
            v = _mm_sqrt_ps(v);
        __m128i bytes = _mm_cvttps_epi32(_mm_min_ps(_mm_mul_ps(v, scale), top));
        alignas(16) int32_t values[4];
        _mm_store_si128((__m128i*)values, bytes);
        lane[i * 4] = (uint8_t)values[0];
        lane[i * 4 + 4] = (uint8_t)values[1];
        lane[i * 4 + 8] = (uint8_t)values[2];
        lane[i * 4 + 12] = (uint8_t)values[3];
    }
#endif
    for (; i < count; i++)
        lane[i * 4] = packValue(source[i], colour);
}

// Vertical half of the reduction: output row r is the sum over taps k of
// k[k] x source row 8 + 2r - k, added in tap order; rows outside the image
// are zero and skipped. Output rows go to rows of rowLength floats with 8
// zeros on each side, ready for the horizontal pass. Columns are summed in
// blocks held in registers across the taps.
static void reduceColumns(const float* kernel, const float* source, int w, int h, float* out, int rowLength)
{
    constexpr int block = 16;
    int outRows = h / 2;
    for (int r = 0; r < outRows; r++) {
        const float* rows[16];
        float taps[16];
        int count = 0;
        for (int k = 0; k < 16; k++) {
            int s = 8 + 2 * r - k;
            if (s >= 0 && s < h) {
                rows[count] = source + (size_t)s * w;
                taps[count] = kernel[k];
                count++;
            }
        }
        float* row = out + (size_t)r * rowLength;
        std::memset(row, 0, 8 * sizeof(float));
        std::memset(row + 8 + w, 0, 8 * sizeof(float));
        float* dst = row + 8;
        int x = 0;
        for (; x + block <= w; x += block) {
            float sum[block] = {};
            for (int t = 0; t < count; t++) {
                const float* src = rows[t] + x;
                float tap = taps[t];
                for (int j = 0; j < block; j++)
                    sum[j] += tap * src[j];
            }
            for (int j = 0; j < block; j++)
                dst[x + j] = sum[j];
        }
        for (; x < w; x++) {
            float sum = 0.0f;
            for (int t = 0; t < count; t++)
                sum += taps[t] * rows[t][x];
            dst[x] = sum;
        }
    }
}

// Horizontal half: out[x] = sum over taps k of k[k] x in[8 + 2x - k], in tap
// order. The input row has 8 zeros on each side; the zero terms leave every
// sum as it is, so the padded loop matches skipping them. The row is first
// split into even and odd samples (scratch of 2 x (w / 2 + 8) floats) so
// that every tap reads contiguous memory.
static void reduceRow(const float* kernel, const float* in, int w, int outWidth, float* out, float* even, float* odd)
{
    constexpr int block = 16;
    const float* padded = in - 8;  // padded[i] = in[i - 8], i = 0 .. w + 15
    int pairs = (w + 16) / 2;
    for (int j = 0; j < pairs; j++) {
        even[j] = padded[2 * j];
        odd[j] = padded[2 * j + 1];
    }
    // in[8 + 2x - k] = padded[16 + 2x - k]: an even sample for even k, odd for odd k.
    const float* sources[16];
    for (int k = 0; k < 16; k++)
        sources[k] = k % 2 == 0 ? even + 8 - k / 2 : odd + 7 - (k - 1) / 2;
    int x = 0;
    for (; x + block <= outWidth; x += block) {
        float sum[block] = {};
        for (int k = 0; k < 16; k++) {
            const float* src = sources[k] + x;
            float tap = kernel[k];
            for (int j = 0; j < block; j++)
                sum[j] += tap * src[j];
        }
        for (int j = 0; j < block; j++)
            out[x + j] = sum[j];
    }
    for (; x < outWidth; x++) {
        float sum = 0.0f;
        for (int k = 0; k < 16; k++)
            sum += kernel[k] * sources[k][x];
        out[x] = sum;
    }
}

// log2 of the larger side, plus one: the levels of a chain down to 1 x 1.
static int chainLevels(int width, int height)
{
    int levels = 1;
    for (int w = width, h = height; w > 1 || h > 1; w /= 2, h /= 2)
        levels++;
    return levels;
}

void uploadTexture(int width, int height, uint8_t* pixels, TexelCoverage* coverage)
{
    if (coverage) {
        coverageStart(coverage, width, height, chainLevels(width, height));
        coverageMarkLevel(coverage, 0, pixels);
    }
    const float* kernel = reductionKernel();
    int w = width, h = height;
    // The first block starts at the aligned cursor: it is the release mark.
    float* a = (float*)tempmalloc((size_t)w * h * sizeof(float));
    float* b = (float*)tempmalloc((size_t)(w + 16) * (h + 16) * sizeof(float));
    void* mark = a;
    int rowLength = w + 16;
    // The last row of b never holds pass output: it takes the even and odd
    // split of the horizontal pass.
    float* even = b + (size_t)(h + 15) * rowLength;
    float* odd = even + rowLength / 2;

    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int level = 1;
    do {
        int newW = w > 1 ? w / 2 : w;
        int newH = h > 1 ? h / 2 : h;
        for (int c = 0; c < 4; c++) {
            unpackLane(a, pixels, (size_t)w * h, c);

            // Rows after the vertical pass, each padded by 8 zeros per side.
            if (h > 1) {
                reduceColumns(kernel, a, w, h, b, rowLength);
            } else {
                std::memset(b, 0, (size_t)rowLength * sizeof(float));
                std::memcpy(b + 8, a, (size_t)w * sizeof(float));
            }

            // a is free again: it takes the rows after the horizontal pass.
            for (int r = 0; r < newH; r++) {
                const float* in = b + (size_t)r * rowLength + 8;
                float* out = a + (size_t)r * newW;
                if (w > 1)
                    reduceRow(kernel, in, w, newW, out, even, odd);
                else
                    std::memcpy(out, in, (size_t)newW * sizeof(float));
            }

            packLane(pixels, a, (size_t)newW * newH, c);
        }
        w = newW;
        h = newH;
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        if (coverage)
            coverageMarkLevel(coverage, level, pixels);
        level++;
    } while (w > 1 || h > 1);

    tmpfree(mark);
}
