// The asset pre-calculation: every texture and mesh of the show, made once
// in a fixed order while the loading bar advances.
#include "textures/precalc.h"

#include "render/render_flags.h"
#include "shell/lifecycle.h"
#include "show/random.h"
#include "textures/blur_atlas.h"
#include "textures/image_texture.h"
#include "textures/noise.h"

int noisePermutation[1024];
Texture* bubbleAtlas = nullptr;
Texture* plasmaTexture = nullptr;
Texture* grainTexture = nullptr;
Texture* backdropTexture = nullptr;
Texture* maskTexture = nullptr;
Texture* logoTexture = nullptr;
Texture* textTextures[3] = {nullptr, nullptr, nullptr};
BlurChain* blurChain = nullptr;
Texture* screenTexture = nullptr;
Mesh* boxMesh = nullptr;
Mesh* tubeMesh = nullptr;

void precalcAssets()
{
    ScopeTimer* noise = scopeBegin("precalc_noise");
    for (int i = 0; i < 1024; i++)
        noisePermutation[i] = i;
    for (int i = 0; i < 1024; i++) {
        int j = (int)((randNext() >> 17) & 1023);
        int swap = noisePermutation[i];
        noisePermutation[i] = noisePermutation[j];
        noisePermutation[j] = swap;
    }
    scopeEnd(noise);

    bubbleAtlas = makeBlurAtlas("data/bubble.jpg", nullptr, alphaFromGreyDistance, "data/bubble2.jpg", nullptr,
                                alphaFromGreyDistance, 0);
    plasmaTexture = makeSolidTexture(128, 64, 255, 255, 255, 255, 1.0f, 1.0f, 1.0f, RF_NOMIPMAP);
    grainTexture = makeNoiseTexture(256, 256, 230, 255, 1.0f, 1.0f, 1.0f, 0);
    backdropTexture = makeJpegTexture("data/ttest2.jpg", nullptr, nullptr, 1.0f, 1.0f, 1.0f, 0);
    maskTexture = makeJpegTexture("data/leiska.jpg", nullptr, nullptr, 1.0f, 1.0f, 1.0f, 0);
    logoTexture = makeJpegTexture("data/logo.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0);
    textTextures[0] = makeJpegTexture("data/text1.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0);
    textTextures[1] = makeJpegTexture("data/text2.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0);
    textTextures[2] = makeJpegTexture("data/text3.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0);
    blurChain = makeBlurChain();
    screenTexture = makeScreenTexture();
    boxMesh = makeBox(1.0f, RF_FLAT);
    tubeMesh = makeTube(5, 3, 0);
}
