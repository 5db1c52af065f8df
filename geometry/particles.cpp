// Particle drawing: depth keys, the back-to-front order and the batches of
// sprites drawn with two texture units.
#include "geometry/particles.h"

#include <cmath>

#include "base/clock.h"
#include "base/fatal.h"
#include "base/temp_pool.h"
#include "geometry/radix_sort.h"
#include "platform/gl_api.h"
#include "platform/gl_caps.h"
#include "render/render_state.h"
#include "textures/texture.h"

// The depth sort's arrays: scratch of every draw, nothing kept between draws.
static SortKey sortKeys[maxSortKeys];
static SortKey sortScratch[maxSortKeys];

static void normalise(float out[3], float x, float y, float z)
{
    float length = std::sqrt(x * x + y * y + z * z);
    out[0] = x / length;
    out[1] = y / length;
    out[2] = z / length;
}

void drawParticles(const GlCaps& gl, ParticleTables& tables, RandomState& random, const ParticleSet& particles,
                   const float eye[3], const float target[3], const ParticleLook& look)
{
    // Depth along the view direction, scaled so that the target's depth is 1.
    // An eye on its target looks one unit along +z, as the camera set-up does.
    float d[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    float dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (dd == 0.0f) {
        d[2] = 1.0f;
        dd = 1.0f;
    }
    float k[3] = {d[0] / dd, d[1] / dd, d[2] / dd};

    // The camera's right and up axes are the first two rows of the modelview.
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    ParticleBatch batch;
    normalise(batch.right, m[0], m[4], m[8]);
    normalise(batch.up, m[1], m[5], m[9]);

    int count = particles.count;
    if (count > maxSortKeys)
        fatalError("dumbass");
    if (count < 0)
        count = 0;
    for (int i = 0; i < count; i++) {
        const float* p = particles.positions + 3 * i;
        sortKeys[i].key = (p[0] - eye[0]) * k[0] + (p[1] - eye[1]) * k[1] + (p[2] - eye[2]) * k[2];
        sortKeys[i].index = i;
    }
    ScopeTimer* sortScope = scopeBegin("vornRadixsort");
    radixSort(sortKeys, sortScratch, count);
    scopeEnd(sortScope);

    // Farthest first; only particles in front of the eye.
    int* selectedIndices = (int*)tempmalloc((size_t)count * sizeof(int));
    float* selectedKeys = (float*)tempmalloc((size_t)count * sizeof(float));
    int selected = 0;
    for (int i = count - 1; i >= 0; i--) {
        if (sortKeys[i].key > 0.0f) {
            selectedIndices[selected] = sortKeys[i].index;
            selectedKeys[selected] = sortKeys[i].key;
            selected++;
        }
    }

    for (int first = 0; first < selected; first += maxParticleBatch) {
        batch.indices = selectedIndices + first;
        batch.keys = selectedKeys + first;
        batch.n = selected - first < maxParticleBatch ? selected - first : maxParticleBatch;
        drawParticleBatch(gl, tables, random, particles, batch, look);
    }
    tmpfree(selectedIndices);
}

void drawParticleBatch(const GlCaps& gl, ParticleTables& tables, RandomState& random, const ParticleSet& particles,
                       const ParticleBatch& batch, const ParticleLook& look)
{
    if (!tables.randomMade) {
        for (int i = 0; i < 1024; i++) {
            randNext(random);
            tables.random[i] = random.seed >> 17;
        }
        tables.randomMade = true;
    }

    int n = batch.n;
    SpriteArrays sprites;
    sprites.corners = (float*)tempmalloc((size_t)n * 4 * 3 * sizeof(float));
    sprites.texCoords0 = (float*)tempmalloc((size_t)n * 4 * 2 * sizeof(float));
    sprites.texCoords1 = (float*)tempmalloc((size_t)n * 4 * 2 * sizeof(float));
    sprites.colours = (float*)tempmalloc((size_t)n * 4 * 4 * sizeof(float));
    sprites.imageOffset = (float*)tempmalloc((size_t)n * sizeof(float));
    sprites.imageWidth = (float*)tempmalloc((size_t)n * sizeof(float));
    sprites.size = (float*)tempmalloc((size_t)n * sizeof(float));

    ScopeTimer* expandScope = scopeBegin("wtf");
    expandParticleSprites(particles, batch, look, sprites);
    scopeEnd(expandScope);

    if ((int)tables.indices.size() < 4 * n) {
        tables.indices.resize(4 * (size_t)n);
        for (size_t i = 0; i < tables.indices.size(); i++)
            tables.indices[i] = (uint32_t)i;
    }

    pushRenderState();
    applyRenderFlags(look.renderFlags | RF_NOCULL);
    glDisable(GL_LIGHTING);
    bindTextureLerp(gl, look.texture, look.renderFlags);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, sprites.corners);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, sprites.colours);
    gl.clientActiveTexture(GL_TEXTURE1_ARB);
    gl.activeTexture(GL_TEXTURE1_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, sprites.texCoords1);
    gl.clientActiveTexture(GL_TEXTURE0_ARB);
    gl.activeTexture(GL_TEXTURE0_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, sprites.texCoords0);

    ScopeTimer* drawScope = scopeBegin("glDrawElements");
    glDrawElements(GL_QUADS, 4 * n, GL_UNSIGNED_INT, tables.indices.data());
    scopeEnd(drawScope);

    glPopClientAttrib();
    popRenderState();
    tmpfree(sprites.corners);
}
