// The asset pre-calculation: every texture and mesh of the show, made once
// in a fixed order, each step reporting its progress.
#include "show/assets.h"

#include "base/clock.h"
#include "render/render_flags.h"
#include "textures/blur_atlas.h"
#include "textures/image_texture.h"
#include "textures/noise.h"

// Shuffles 0..1023 with 1024 random steps; nothing reads the result.
static void shuffleNoisePermutation(RandomState& random, int permutation[1024])
{
    ScopeTimer* noise = scopeBegin("precalc_noise");
    for (int i = 0; i < 1024; i++)
        permutation[i] = i;
    for (int i = 0; i < 1024; i++) {
        int j = (int)((randNext(random) >> 17) & 1023);
        int swap = permutation[i];
        permutation[i] = permutation[j];
        permutation[j] = swap;
    }
    scopeEnd(noise);
}

// A finished item: its pointer, after one step reported.
template <typename T>
static T* reported(T* item, const ProgressReport& progress)
{
    reportStep(progress);
    return item;
}

void precalcStep(int step, const Display& display, RandomState& random, ShowAssets* assets,
                 PrecalcLeftovers* leftovers, const ProgressReport& progress)
{
    ShowAssets& a = *assets;
    switch (step) {
    case 0: shuffleNoisePermutation(random, leftovers->noisePermutation); break;
    case 1:
        a.bubbleAtlas = reported(makeBlurAtlas("data/bubble.jpg", nullptr, alphaFromGreyDistance, "data/bubble2.jpg",
                                               nullptr, alphaFromGreyDistance, 0, progress),
                                 progress);
        break;
    case 2:
        a.plasmaTexture = reported(makeSolidTexture(128, 64, 255, 255, 255, 255, 1.0f, 1.0f, 1.0f, RF_NOMIPMAP), progress);
        break;
    case 3: a.grainTexture = reported(makeNoiseTexture(random, 256, 256, 230, 255, 1.0f, 1.0f, 1.0f, 0), progress); break;
    case 4:
        a.backdropTexture = reported(makeJpegTexture("data/ttest2.jpg", nullptr, nullptr, 1.0f, 1.0f, 1.0f, 0), progress);
        break;
    case 5:
        a.maskTexture = reported(makeJpegTexture("data/leiska.jpg", nullptr, nullptr, 1.0f, 1.0f, 1.0f, 0), progress);
        break;
    case 6:
        a.logoTexture = reported(makeJpegTexture("data/logo.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0), progress);
        break;
    case 7:
        a.textTextures[0] = reported(makeJpegTexture("data/text1.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0), progress);
        break;
    case 8:
        a.textTextures[1] = reported(makeJpegTexture("data/text2.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0), progress);
        break;
    case 9:
        a.textTextures[2] = reported(makeJpegTexture("data/text3.jpg", nullptr, nullptr, 1.0f, -1.0f, 1.0f, 0), progress);
        break;
    case 10: a.blurChain = makeBlurChain(display); break;
    case 11: a.screenTexture = reported(makeScreenTexture(display), progress); break;
    case 12: leftovers->boxMesh = reported(makeBox(display.gl, 1.0f, RF_FLAT), progress); break;
    case 13: leftovers->tubeMesh = reported(makeTube(display.gl, 5, 3, 0), progress); break;
    default: break;
    }
}

void precalcAssets(const Display& display, RandomState& random, ShowAssets* assets, PrecalcLeftovers* leftovers,
                   const ProgressReport& progress)
{
    for (int step = 0; step < precalcStepCount; step++)
        precalcStep(step, display, random, assets, leftovers, progress);
}
