// The static grey noise texture of the film grain, drawn from the
// random state.
#include "textures/noise.h"

#include <cstdlib>

void fillNoiseTexels(RandomState& random, uint8_t* texels, int width, int height, int low, int high)
{
    uint32_t range = (uint32_t)(high - low);
    size_t count = (size_t)width * height;
    for (size_t p = 0; p < count; p++) {
        uint8_t grey = (uint8_t)(low + (int)((randNext(random) >> 17) % range));
        texels[4 * p] = grey;
        texels[4 * p + 1] = grey;
        texels[4 * p + 2] = grey;
        texels[4 * p + 3] = 255;
    }
}

Texture* makeNoiseTexture(RandomState& random, int width, int height, int low, int high, float scaleS, float scaleT,
                          float scaleR, RenderFlags flags)
{
    uint8_t* texels = (uint8_t*)std::malloc((size_t)width * height * 4);
    fillNoiseTexels(random, texels, width, height, low, high);
    return finishTexture(width, height, texels, scaleS, scaleT, scaleR, flags, 0);
}
