// Texture upload with a gamma-aware windowed-sinc mipmap chain, and the
// byte-to-float channel conversion it shares with the blur.
#include <cmath>
#include <cstring>

#include "textures/temp_pool.h"
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

static uint8_t packColour(float v)
{
    if (!(v > 0.0f))
        return 0;
    int byte = (int)(std::sqrt(v) * 255.9f);
    return (uint8_t)(byte > 255 ? 255 : byte);
}

static uint8_t packAlpha(float v)
{
    if (!(v > 0.0f))
        return 0;
    int byte = (int)(v * 255.9f);
    return (uint8_t)(byte > 255 ? 255 : byte);
}

// Vertical half of the reduction: output row r is the sum over taps k of
// k[k] x source row 8 + 2r - k, added in tap order; rows outside the image
// are zero and skipped. Output rows go to rows of rowLength floats with 8
// zeros on each side, ready for the horizontal pass.
static void reduceColumns(const float* kernel, const float* source, int w, int h, float* out, int rowLength)
{
    int outRows = h / 2;
    for (int r = 0; r < outRows; r++) {
        float* row = out + (size_t)r * rowLength;
        std::memset(row, 0, (size_t)rowLength * sizeof(float));
        float* dst = row + 8;
        for (int k = 0; k < 16; k++) {
            int s = 8 + 2 * r - k;
            if (s < 0 || s >= h)
                continue;
            const float* src = source + (size_t)s * w;
            float tap = kernel[k];
            for (int x = 0; x < w; x++)
                dst[x] += tap * src[x];
        }
    }
}

// Horizontal half: out[x] = sum over taps k of k[k] x in[8 + 2x - k]. The
// input row has 8 zeros on each side; the zero terms leave every sum as it
// is, so the padded loop matches skipping them.
static void reduceRow(const float* kernel, const float* in, int outWidth, float* out)
{
    for (int x = 0; x < outWidth; x++)
        out[x] = 0.0f;
    for (int k = 0; k < 16; k++) {
        const float* src = in + 8 - k;
        float tap = kernel[k];
        for (int x = 0; x < outWidth; x++)
            out[x] += tap * src[2 * x];
    }
}

void uploadTexture(int width, int height, uint8_t* pixels)
{
    const float* kernel = reductionKernel();
    int w = width, h = height;
    // The first block starts at the aligned cursor: it is the release mark.
    float* a = (float*)tempmalloc((size_t)w * h * sizeof(float));
    float* b = (float*)tempmalloc((size_t)(w + 16) * (h + 16) * sizeof(float));
    void* mark = a;
    int rowLength = w + 16;

    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int level = 1;
    do {
        int newW = w > 1 ? w / 2 : w;
        int newH = h > 1 ? h / 2 : h;
        for (int c = 0; c < 4; c++) {
            const float* table = unpackTable(c <= 2, false);
            const uint8_t* lane = pixels + c;
            for (size_t i = 0, n = (size_t)w * h; i < n; i++)
                a[i] = table[lane[i * 4]];

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
                    reduceRow(kernel, in, newW, out);
                else
                    std::memcpy(out, in, (size_t)newW * sizeof(float));
            }

            uint8_t* dst = pixels + c;
            size_t n = (size_t)newW * newH;
            if (c <= 2)
                for (size_t i = 0; i < n; i++)
                    dst[i * 4] = packColour(a[i]);
            else
                for (size_t i = 0; i < n; i++)
                    dst[i * 4] = packAlpha(a[i]);
        }
        w = newW;
        h = newH;
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        level++;
    } while (w > 1 || h > 1);

    tmpfree(mark);
}
