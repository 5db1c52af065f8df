// The asset pre-calculation run once at start-up, and the globals holding
// its results for the rest of the run.
#pragma once
#include "geometry/mesh.h"
#include "textures/texture.h"

extern int noisePermutation[1024];  // shuffled 0..1023; read by nothing
extern Texture* bubbleAtlas;        // two-image blur atlas of the particles
extern Texture* plasmaTexture;      // 128 x 64, refilled every frame
extern Texture* grainTexture;       // 256 x 256 grey noise of the grain
extern Texture* backdropTexture;    // warped backdrop of the world scene
extern Texture* maskTexture;        // multiplied over the whole picture
extern Texture* logoTexture;        // closing logo (t flipped)
extern Texture* textTextures[3];    // scrolling text layers 1..3 (t flipped)
extern BlurChain* blurChain;        // glow levels
extern Texture* screenTexture;      // relief pass copy of the work area
extern Mesh* boxMesh;               // built but not drawn
extern Mesh* tubeMesh;              // built but not drawn

// Builds every texture and mesh in a fixed order, one loading-bar step per
// item (13 in all). Needs the GL context, the set-up sizes and randseed as
// start-up leaves it. Prints the "precalc_noise" timing line first.
void precalcAssets();
