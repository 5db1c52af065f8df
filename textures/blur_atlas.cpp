// The two-image blur atlas: each image's half holds the picture sharp and
// defocused nine times, in cells of full, half and quarter size.
#include "textures/blur_atlas.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/fatal.h"
#include "textures/bokeh.h"
#include "textures/jpeg.h"

const float particleAtlasLevels[10][4] = {
    {0.0f, 0.0f, 0.5f, 0.5f},         {0.5f, 0.0f, 1.0f, 0.5f},         {0.0f, 0.5f, 0.5f, 1.0f},
    {0.5f, 0.5f, 0.75f, 0.75f},       {0.75f, 0.5f, 1.0f, 0.75f},       {0.5f, 0.75f, 0.75f, 1.0f},
    {0.75f, 0.75f, 0.875f, 0.875f},   {0.875f, 0.75f, 1.0f, 0.875f},    {0.75f, 0.875f, 0.875f, 1.0f},
    {0.875f, 0.875f, 1.0f, 1.0f},
};

float blurAtlasRadius(int k)
{
    return 0.1f * std::pow((float)(k + 1) / 11.0f, 1.5f);
}

void fillAtlasSource(uint8_t* texels, const uint8_t* rgb, const uint8_t* alphaRgb, AlphaFunction alphaFunction,
                     int w0, int h0)
{
    size_t count = (size_t)w0 * h0;
    for (size_t p = 0; p < count; p++) {
        uint8_t r = rgb[3 * p], g = rgb[3 * p + 1], b = rgb[3 * p + 2];
        texels[4 * p] = r;
        texels[4 * p + 1] = g;
        texels[4 * p + 2] = b;
        texels[4 * p + 3] = alphaRgb ? alphaRgb[3 * p] : alphaFunction ? alphaFunction(r, g, b) : 0;
    }
}

// Halves the w x h image in place by 2 x 2 averages and zeroes the rest of
// its former area.
static void halveInPlace(uint8_t* texels, int w, int h)
{
    int hw = w / 2, hh = h / 2;
    for (int y = 0; y < hh; y++) {
        const uint8_t* top = texels + (size_t)(2 * y) * w * 4;
        const uint8_t* bottom = top + (size_t)w * 4;
        uint8_t* out = texels + (size_t)y * hw * 4;
        for (int x = 0; x < hw; x++)
            for (int c = 0; c < 4; c++)
                out[4 * x + c] = (uint8_t)((top[8 * x + c] + top[8 * x + 4 + c] + bottom[8 * x + c] +
                                            bottom[8 * x + 4 + c]) >> 2);
    }
    size_t kept = (size_t)hw * hh * 4;
    std::memset(texels + kept, 0, (size_t)w * h * 4 - kept);
}

void writeAtlasHalf(uint8_t* atlas, uint8_t* source, int w0, int h0, int firstColumn)
{
    uint8_t* blurred = (uint8_t*)std::malloc((size_t)w0 * h0 * 4);
    int w = w0, h = h0;
    size_t atlasRow = (size_t)w0 * 4 * 4;
    for (int k = 0; k < 10; k++) {
        const uint8_t* level = source;
        if (k > 0) {
            bokehBlur(source, blurred, blurAtlasRadius(k), w, h);
            level = blurred;
        }
        int column = firstColumn + (int)(2.0f * w0 * particleAtlasLevels[k][0]);
        int row = (int)(2.0f * h0 * particleAtlasLevels[k][1]);
        for (int y = 0; y < h; y++)
            std::memcpy(atlas + (row + y) * atlasRow + (size_t)column * 4, level + (size_t)y * w * 4,
                        (size_t)w * 4);
        if (k == 2 || k == 5) {
            halveInPlace(source, w, h);
            w /= 2;
            h /= 2;
        }
    }
    std::free(blurred);
}

uint8_t* blurAtlasTexels(const AtlasPicture& first, const AtlasPicture& second, const ProgressReport& halfDone)
{
    int w = first.width, h = first.height;
    if (second.width != w || second.height != h)
        return nullptr;
    uint8_t* source = (uint8_t*)std::calloc((size_t)w * h, 4);
    uint8_t* atlas = (uint8_t*)std::calloc((size_t)w * h * 8, 4);
    fillAtlasSource(source, first.rgb, first.alphaRgb, first.alphaFunction, w, h);
    writeAtlasHalf(atlas, source, w, h, 0);
    reportStep(halfDone);
    fillAtlasSource(source, second.rgb, second.alphaRgb, second.alphaFunction, w, h);
    writeAtlasHalf(atlas, source, w, h, 2 * w);
    std::free(source);
    return atlas;
}

Texture* makeBlurAtlas(const char* name0, const char* alphaName0, AlphaFunction alphaFunction0, const char* name1,
                       const char* alphaName1, AlphaFunction alphaFunction1, RenderFlags flags,
                       const ProgressReport& halfDone)
{
    flags &= RF_CREATE_MASK;
    AtlasPicture pictures[2] = {{nullptr, nullptr, alphaFunction0, 0, 0}, {nullptr, nullptr, alphaFunction1, 0, 0}};
    const char* names[2] = {name0, name1};
    const char* alphaNames[2] = {alphaName0, alphaName1};
    for (int i = 0; i < 2; i++) {
        AtlasPicture& picture = pictures[i];
        int alphaWidth = 0, alphaHeight = 0;
        if (alphaNames[i])
            picture.alphaRgb = loadJpeg(alphaNames[i], &alphaWidth, &alphaHeight);
        picture.rgb = loadJpeg(names[i], &picture.width, &picture.height);
        if (picture.alphaRgb)
            checkAlphaSize(alphaNames[i], alphaWidth, alphaHeight, names[i], picture.width, picture.height);
        if (i == 0 && !(flags & RF_NOMIPMAP))
            reserveUploadScratch(4 * picture.width, 2 * picture.height);
    }
    uint8_t* atlas = blurAtlasTexels(pictures[0], pictures[1], halfDone);
    if (!atlas) {
        char text[2048];
        std::snprintf(text, sizeof text, "vitun läski älä lataa erikokosii texturei: %s", name1);
        fatalError(text);
    }
    for (AtlasPicture& picture : pictures) {
        std::free((void*)picture.rgb);
        std::free((void*)picture.alphaRgb);
    }
    return finishTexture(4 * pictures[0].width, 2 * pictures[0].height, atlas, 0.25f, 0.5f, 0.5f, flags, 2);
}
