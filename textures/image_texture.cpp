// Plain JPEG textures: the picture padded with white to powers of two, alpha
// from a second JPEG's red channel or from a function of the colour.
#include "textures/image_texture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/fatal.h"
#include "base/power_of_two.h"
#include "base/temp_pool.h"
#include "textures/jpeg.h"

uint8_t alphaFromGreyDistance(uint8_t r, uint8_t g, uint8_t b)
{
    int distance = std::abs(128 - r) + std::abs(128 - g) + std::abs(128 - b);
    return (uint8_t)(distance > 255 ? 255 : distance);
}

uint8_t* padImageTexels(const uint8_t* rgb, const uint8_t* alphaRgb, AlphaFunction alphaFunction, int w, int h,
                        RenderFlags flags, int* paddedWidth, int* paddedHeight)
{
    int pw = powerOfTwoAtLeast(w);
    int ph = powerOfTwoAtLeast(h);
    uint8_t* texels = (uint8_t*)std::malloc((size_t)pw * ph * 4);
    std::memset(texels, 0xff, (size_t)pw * ph * 4);
    uint8_t invert = (flags & RF_INVERT) ? 0xff : 0;
    for (int y = 0; y < h; y++) {
        const uint8_t* in = rgb + (size_t)y * w * 3;
        const uint8_t* alphaIn = alphaRgb ? alphaRgb + (size_t)y * w * 3 : nullptr;
        uint8_t* out = texels + (size_t)y * pw * 4;
        for (int x = 0; x < w; x++) {
            uint8_t r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
            uint8_t a = alphaIn ? alphaIn[3 * x] : alphaFunction ? alphaFunction(r, g, b) : 255;
            out[4 * x] = r ^ invert;
            out[4 * x + 1] = g ^ invert;
            out[4 * x + 2] = b ^ invert;
            out[4 * x + 3] = a ^ invert;
        }
    }
    *paddedWidth = pw;
    *paddedHeight = ph;
    return texels;
}

void checkAlphaSize(const char* alphaName, int alphaWidth, int alphaHeight, const char* colourName, int w, int h)
{
    if (alphaWidth == w && alphaHeight == h)
        return;
    char text[2048];
    std::snprintf(text, sizeof text, "%s is %d x %d but its alpha image %s is %d x %d", colourName, w, h, alphaName,
                  alphaWidth, alphaHeight);
    fatalError(text);
}

void reserveUploadScratch(int width, int height)
{
    // The mipmap filter takes (w x h + (w + 16) x (h + 16)) floats from the
    // pool; an image that cannot get them stops here, before the work.
    size_t floats = (size_t)width * height + (size_t)(width + 16) * (height + 16);
    tmpfree(tempmalloc(floats * sizeof(float)));
}

Texture* makeJpegTexture(const char* colourName, const char* alphaName, AlphaFunction alphaFunction, float scaleS,
                         float scaleT, float scaleR, RenderFlags flags)
{
    flags &= RF_CREATE_MASK;
    uint8_t* alphaRgb = nullptr;
    int alphaWidth = 0, alphaHeight = 0;
    if (alphaName)
        alphaRgb = loadJpeg(alphaName, &alphaWidth, &alphaHeight);
    int w, h;
    uint8_t* rgb = loadJpeg(colourName, &w, &h);
    if (alphaRgb)
        checkAlphaSize(alphaName, alphaWidth, alphaHeight, colourName, w, h);

    int pw, ph;
    if (!(flags & RF_NOMIPMAP))
        reserveUploadScratch(powerOfTwoAtLeast(w), powerOfTwoAtLeast(h));
    uint8_t* texels = padImageTexels(rgb, alphaRgb, alphaFunction, w, h, flags, &pw, &ph);
    std::free(rgb);
    std::free(alphaRgb);
    return finishTexture(pw, ph, texels, (float)w / (float)pw * scaleS, (float)h / (float)ph * scaleT, scaleR, flags,
                         0);
}
