// The show's assets: every texture a frame draws with, made once at start-up
// by the asset pre-calculation, step by step so that whoever runs start-up
// can show progress and take events between steps.
#pragma once
#include "base/progress.h"
#include "base/random.h"
#include "geometry/mesh.h"
#include "platform/display.h"
#include "textures/texture.h"

struct ShowAssets {
    Texture* bubbleAtlas = nullptr;      // two-image blur atlas of the particles
    Texture* plasmaTexture = nullptr;    // 128 x 64, refilled every frame
    Texture* grainTexture = nullptr;     // 256 x 256 grey noise of the grain
    Texture* backdropTexture = nullptr;  // warped backdrop of the world scene
    Texture* maskTexture = nullptr;      // multiplied over the whole picture
    Texture* logoTexture = nullptr;      // closing logo (t flipped)
    Texture* textTextures[3] = {};       // scrolling text layers 1..3 (t flipped)
    BlurChain* blurChain = nullptr;      // glow levels
    Texture* screenTexture = nullptr;    // relief pass copy of the work area
};

// Work start-up does whose results nothing draws. It stays because the show
// depends on its side effects: the random steps it takes and the
// loading-bar steps it reports.
struct PrecalcLeftovers {
    int noisePermutation[1024];  // 0..1023 shuffled: 1024 random steps before any texture
    Mesh* boxMesh = nullptr;     // a compiled box: one loading-bar step
    Mesh* tubeMesh = nullptr;    // a compiled tube: one loading-bar step
};

// The pre-calculation's steps, in their fixed order: the noise permutation
// (timed as "precalc_noise"), the blur atlas, the plasma, grain, backdrop,
// mask, logo and three text textures, the glow chain, the relief's copy,
// the box and the tube.
constexpr int precalcStepCount = 14;

// Runs step `step` of the pre-calculation. Every finished texture and mesh
// reports one step to progress (the atlas two: once halfway), 13 in all.
// Needs the GL context and the display's set-up sizes; draws from random
// (the run's random state as start-up leaves it: 1024 + 65536 steps in
// all); the steps must run in order, each once.
void precalcStep(int step, const Display& display, RandomState& random, ShowAssets* assets,
                 PrecalcLeftovers* leftovers, const ProgressReport& progress);

// Every step in order.
void precalcAssets(const Display& display, RandomState& random, ShowAssets* assets, PrecalcLeftovers* leftovers,
                   const ProgressReport& progress);
