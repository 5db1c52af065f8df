// Sprite expansion of a particle batch on the CPU: four corners per particle,
// the two atlas levels of its depth of field and their cross-fade colour.
#include <cmath>

#include "base/constants.h"
#include "geometry/particles.h"
#include "textures/blur_atlas.h"
#include "textures/texture.h"

// The square is turned by -PI/4 so that its half-diagonal is the size.
static const float spriteSin = (float)std::sin(-PI / 4);
static const float spriteCos = (float)std::cos(-PI / 4);

void expandParticleSprites(const ParticleSet& particles, const ParticleBatch& batch, const ParticleLook& look,
                           const SpriteArrays& out)
{
    const int n = batch.n;
    const int* indices = batch.indices;
    const uint8_t* frames = particles.frames;
    const float sizeScale = look.sizeScale;
    // Per particle: which image, and how large.
    bool twoImages = look.texture->frameLayout == 2;
    for (int i = 0; i < n; i++) {
        int p = indices[i];
        if (twoImages) {
            out.imageOffset[i] = frames[p] * 0.5f;
            out.imageWidth[i] = 0.5f;
        } else {
            out.imageOffset[i] = 0.0f;
            out.imageWidth[i] = 1.0f;
        }
        out.size[i] = sizeScale * particles.sizes[p];
    }

    const float rx = batch.right[0], ry = batch.right[1], rz = batch.right[2];
    const float ux = batch.up[0], uy = batch.up[1], uz = batch.up[2];
    const float c = look.intensity;
    const float focusScale = look.focusScale;
    float* corner = out.corners;
    float* tex0 = out.texCoords0;
    float* tex1 = out.texCoords1;
    float* colour = out.colours;
    for (int i = 0; i < n; i++, corner += 12, tex0 += 8, tex1 += 8, colour += 16) {
        const float* p = particles.positions + 3 * indices[i];
        const float size = out.size[i];
        const float sn = size * spriteSin;
        const float cs = size * spriteCos;
        const float snRx = sn * rx, snRy = sn * ry, snRz = sn * rz;
        const float csRx = cs * rx, csRy = cs * ry, csRz = cs * rz;
        const float snUx = sn * ux, snUy = sn * uy, snUz = sn * uz;
        const float csUx = cs * ux, csUy = cs * uy, csUz = cs * uz;
        const float px = p[0], py = p[1], pz = p[2];
        // p + sn R + cs U; p + cs R - sn U; p - sn R - cs U; p - cs R + sn U
        corner[0] = px + snRx + csUx;
        corner[1] = py + snRy + csUy;
        corner[2] = pz + snRz + csUz;
        corner[3] = px + csRx - snUx;
        corner[4] = py + csRy - snUy;
        corner[5] = pz + csRz - snUz;
        corner[6] = px - snRx - csUx;
        corner[7] = py - snRy - csUy;
        corner[8] = pz - snRz - csUz;
        corner[9] = px - csRx + snUx;
        corner[10] = py - csRy + snUy;
        corner[11] = pz - csRz + snUz;

        // Depth of field: blur grows with the distance from the focus depth
        // (key 1); level L and L + 1 are cross-faded by f.
        const float key = batch.keys[i];
        float b = (std::fabs(1.0f / key - 1.0f) / focusScale) * key;
        if (!(b > 0.0f))  // also a focus scale of 0 at the focus depth (0 / 0)
            b = 0.0f;
        if (b > 9.0f)
            b = 9.0f;
        const int level = (int)b;
        const float f = b - (float)level;
        const float alpha = 1.0f - f * c;
        const float g = c * (1.0f - f) / alpha;
        for (int k = 0; k < 16; k += 4) {
            colour[k] = g;
            colour[k + 1] = g;
            colour[k + 2] = g;
            colour[k + 3] = alpha;
        }

        // Atlas corners (s0,t0), (s1,t0), (s1,t1), (s0,t1), s mapped into
        // the particle's image.
        const float so = out.imageOffset[i];
        const float sw = out.imageWidth[i];
        const float* r0 = particleAtlasLevels[level];
        const float* r1 = particleAtlasLevels[level < 9 ? level + 1 : 9];
        const float s00 = r0[0] * sw + so, s01 = r0[2] * sw + so;
        const float s10 = r1[0] * sw + so, s11 = r1[2] * sw + so;
        tex0[0] = s00, tex0[1] = r0[1], tex0[2] = s01, tex0[3] = r0[1];
        tex0[4] = s01, tex0[5] = r0[3], tex0[6] = s00, tex0[7] = r0[3];
        tex1[0] = s10, tex1[1] = r1[1], tex1[2] = s11, tex1[3] = r1[1];
        tex1[4] = s11, tex1[5] = r1[3], tex1[6] = s10, tex1[7] = r1[3];
    }
}
