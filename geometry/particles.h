// Particles: clouds of camera-facing square sprites drawn back to front, with
// per-particle size and sprite image, and depth of field that cross-fades two
// levels of a pre-blurred sprite atlas by each particle's distance from the
// focus point.
#pragma once
#include <cstdint>
#include <vector>

#include "base/random.h"
#include "platform/gl_caps.h"
#include "render/render_flags.h"

struct Texture;

// The most particles one batch draws (one glDrawElements each).
constexpr int maxParticleBatch = 1024;

// What the particle renderer keeps from draw to draw; whoever draws owns it.
struct ParticleTables {
    // The identity index array 0, 1, 2, ... shared by every batch; it only grows.
    std::vector<uint32_t> indices;
    // The random table made on the first batch drawn with these tables
    // (1024 random steps). Nothing reads it.
    uint32_t random[1024] = {};
    bool randomMade = false;
};

// The particles of a draw: count of them, with positions (3 floats each),
// size multipliers (one each) and sprite images (0 or 1 each).
struct ParticleSet {
    const float* positions;
    const float* sizes;
    const uint8_t* frames;
    int count;
};

// How a draw's particles look.
struct ParticleLook {
    const Texture* texture;  // the blur atlas; its frameLayout says how many sprite images it holds
    float focusScale;        // depth of field: blur levels per unit of relative depth off the focus
    float sizeScale;         // multiplies every particle's size
    float intensity;         // brightness
    RenderFlags renderFlags;
};

// One batch: n <= maxParticleBatch particles of a set, in drawing order.
struct ParticleBatch {
    const int* indices;  // the particles, as indices into the set
    const float* keys;   // their depth keys, 1 at the focus depth
    int n;
    float right[3], up[3];  // the camera's unit axes the squares lie along
};

// Draws the set (count <= 100000, else fatal "dumbass") seen from eye,
// focused at target's depth (one unit along +z when eye and target
// coincide), farthest first. Particles behind the eye are left out.
void drawParticles(const GlCaps& gl, ParticleTables& tables, RandomState& random, const ParticleSet& particles,
                   const float eye[3], const float target[3], const ParticleLook& look);

// Draws one batch as squares. The first batch ever drawn with these tables
// first makes their random table.
void drawParticleBatch(const GlCaps& gl, ParticleTables& tables, RandomState& random, const ParticleSet& particles,
                       const ParticleBatch& batch, const ParticleLook& look);

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
void expandParticleSprites(const ParticleSet& particles, const ParticleBatch& batch, const ParticleLook& look,
                           const SpriteArrays& out);
