// Particles: clouds of camera-facing square sprites drawn back to front, with
// per-particle size and sprite image, and depth of field that cross-fades two
// levels of a pre-blurred sprite atlas by each particle's distance from the
// focus point.
#pragma once
#include <cstdint>

#include "render/render_flags.h"

struct Texture;

// The most particles one batch draws (one glDrawElements each).
constexpr int maxParticleBatch = 1024;

// Draws count particles (count <= 100000, else fatal "dumbass") seen from eye,
// focused at target's depth (one unit along +z when eye and target coincide). positions: 3 floats each; sizes: one multiplier
// each; frames: sprite image 0 or 1 each. Particles behind the eye are left out.
void drawParticles(const float* positions, const float* sizes, int count, const float eye[3],
                   const float target[3], const Texture* texture, const uint8_t* frames, float focusScale,
                   float sizeScale, float intensity, RenderFlags renderFlags);

// Draws n <= maxParticleBatch particles: particle indices[i] with depth key
// keys[i] (1 at the focus depth), as squares along the unit vectors right and up.
void drawParticleBatch(const float* positions, const float* sizes, const float* keys, const int* indices, int n,
                       const float right[3], const float up[3], const Texture* texture, const uint8_t* frames,
                       float focusScale, float sizeScale, float intensity, RenderFlags renderFlags);

// Flat arrays of one batch of expanded sprites.
struct SpriteArrays {
    float* corners;      // n x 4 corners x 3 floats
    float* texCoords0;   // n x 4 x 2: atlas level L, texture unit 0
    float* texCoords1;   // n x 4 x 2: atlas level min(L + 1, 9), texture unit 1
    float* colours;      // n x 4 x 4: (g, g, g, alpha), the same on every corner
    float* imageOffset;  // n: s offset of the particle's sprite image
    float* imageWidth;   // n: s width of one sprite image
    float* size;         // n: half-diagonal of the square
};

// The CPU half of a batch: corners (upper left, upper right, lower right,
// lower left), atlas coordinates of both units and depth-of-field colours.
void expandParticleSprites(const float* positions, const float* sizes, const float* keys, const int* indices,
                           int n, const float right[3], const float up[3], int frameLayout,
                           const uint8_t* frames, float focusScale, float sizeScale, float intensity,
                           const SpriteArrays& out);

// The identity index array 0, 1, 2, ... shared by every batch; it only grows.
extern uint32_t* particleIndices;
extern int particleIndexCount;

// The random table made on the first batch ever drawn (1024 advances of
// randseed). Nothing reads it.
extern uint32_t particleRandom[1024];
extern bool particleRandomMade;
